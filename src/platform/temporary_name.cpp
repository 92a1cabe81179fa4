#include "platform/temporary_name.h"

#include "platform/process.h"

namespace {

// The longest file name (one path component) the usual Linux file systems take.
constexpr std::size_t kMaxComponentBytes = 255;

}  // namespace

namespace platform {

std::string temporaryNameFor(const std::string& finalPath) {
    const std::size_t slash = finalPath.rfind('/');
    const std::string directory = slash == std::string::npos ? std::string() : finalPath.substr(0, slash + 1);
    const std::string fileName = slash == std::string::npos ? finalPath : finalPath.substr(slash + 1);
    const std::string marker = ".tmp-" + std::to_string(platform::processId());
    const std::string hidden = "." + fileName + marker;
    if (hidden.size() <= kMaxComponentBytes) return directory + hidden;
    return directory + ".raw2tvx" + marker;
}

}  // namespace platform
