#include "platform/path.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/directory.h"

namespace platform {

std::string currentDirectory() {
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) return "/";
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

std::string absolutePath(const std::string& path) {
    if (path.empty()) return path;
    const std::string joined = path[0] == '/' ? path : currentDirectory() + "/" + path;
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= joined.size()) {
        std::size_t end = joined.find('/', start);
        if (end == std::string::npos) end = joined.size();
        const std::string part = joined.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string result;
    for (const auto& part : parts) result += "/" + part;
    if (result.empty()) result = "/";
    // A trailing '/' on the input names a directory; keep that visible.
    if (joined.back() == '/' && result != "/") result += "/";
    return result;
}

std::optional<FileIdentity> fileIdentity(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

bool sameFile(const std::string& a, const std::string& b) {
    const auto first = fileIdentity(a);
    const auto second = fileIdentity(b);
    return first && second && *first == *second;
}

std::uint32_t logicalBlockSize(const std::string& path) {
    struct statvfs volume {};
    std::string probe = path;
    if (::statvfs(probe.c_str(), &volume) != 0) {
        probe = directoryPart(absolutePath(path));
        if (probe.empty() || ::statvfs(probe.c_str(), &volume) != 0) return 512;
    }
    return volume.f_bsize == 0 ? 512u : static_cast<std::uint32_t>(volume.f_bsize);
}

bool renameReplacing(const std::string& from, const std::string& to, int* error) {
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    if (error) *error = errno;
    return false;
}

bool removeFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

std::string errorText(int error) {
    return std::strerror(error);
}

}  // namespace platform
