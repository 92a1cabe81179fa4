#include "platform/temporary_name.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <mutex>
#include <set>
#include <string_view>

#include "platform/process.h"

namespace {

// The longest file name (one path component) the usual Linux file systems take.
constexpr std::size_t kMaxComponentBytes = 255;
constexpr std::string_view kFallbackName = ".raw2tvx";

std::string hostName() {
    std::array<char, 256> name{};
    if (::gethostname(name.data(), name.size() - 1) != 0 || name[0] == '\0') return "localhost";
    std::string host(name.data());
    // A name is one path component.
    for (char& c : host)
        if (c == '/') c = '_';
    return host;
}

const std::string& thisHost() {
    static const std::string host = hostName();
    return host;
}

// The process id a name of this host's temporary files ends with, or -1.
int processOfTemporary(std::string_view name, const std::string& host) {
    if (name.size() < 2 || name[0] != '.') return -1;
    const std::string hostMark = ".tmp-" + host + "-";
    const std::size_t mark = name.rfind(hostMark);
    // Before the marks, the hidden final name.
    if (mark == std::string_view::npos || mark < 2) return -1;
    const std::string_view digits = name.substr(mark + hostMark.size());
    if (digits.empty() || digits.size() > 9 || digits[0] == '0') return -1;
    int id = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return -1;
        id = id * 10 + (c - '0');
    }
    return id;
}

bool processIsGone(int id) {
    return ::kill(id, 0) != 0 && errno == ESRCH;
}

}  // namespace

namespace platform {

std::string temporaryMarker(const std::string& host, int processId) {
    return ".tmp-" + host + "-" + std::to_string(processId);
}

int removeStaleTemporaries(const std::string& directory) {
    const std::string path = directory.empty() ? "." : directory;
    DIR* listing = ::opendir(path.c_str());
    if (listing == nullptr) return 0;
    const int self = processId();
    int removed = 0;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        const int id = processOfTemporary(name, thisHost());
        if (id <= 0 || id == self || !processIsGone(id)) continue;
        const std::string file = directory + name;
        struct stat status {};
        if (::lstat(file.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) continue;
        if (::unlink(file.c_str()) == 0) ++removed;
    }
    ::closedir(listing);
    return removed;
}

std::string temporaryNameFor(const std::string& finalPath) {
    const std::size_t slash = finalPath.rfind('/');
    const std::string directory = slash == std::string::npos ? std::string() : finalPath.substr(0, slash + 1);
    const std::string fileName = slash == std::string::npos ? finalPath : finalPath.substr(slash + 1);
    {
        static std::mutex sweptLock;
        static std::set<std::string> swept;
        const std::lock_guard<std::mutex> hold(sweptLock);
        if (swept.insert(directory).second) removeStaleTemporaries(directory);
    }
    const std::string marker = temporaryMarker(thisHost(), processId());
    const std::string hidden = "." + fileName + marker;
    if (hidden.size() <= kMaxComponentBytes) return directory + hidden;
    return directory + std::string(kFallbackName) + marker;
}

}  // namespace platform
