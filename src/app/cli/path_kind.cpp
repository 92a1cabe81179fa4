#include "app/cli/path_kind.h"

#include <cstddef>

#include "platform/path.h"

namespace {

constexpr std::size_t kMaximumExtensionLength = 259;

std::string lowerCaseAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

}  // namespace

PathKind classifyPath(const std::string& argument) {
    const std::string absolute = platform::absolutePath(argument);
    const std::size_t lastDot = absolute.rfind('.');
    std::string extension = lastDot == std::string::npos ? absolute : absolute.substr(lastDot + 1);
    if (extension.size() > kMaximumExtensionLength) extension.resize(kMaximumExtensionLength);
    extension = lowerCaseAscii(extension);
    if (extension == "avi") return PathKind::Avi;
    if (extension == "mov") return PathKind::Mov;
    if (extension == "dpx") return PathKind::Dpx;
    if (extension == "raw" || extension == "r00") return PathKind::Raw;
    return PathKind::Other;
}
