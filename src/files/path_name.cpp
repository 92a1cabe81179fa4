#include "files/path_name.h"

#include <algorithm>
#include <cstring>

#include "platform/path.h"

namespace {

void copyTruncated(const std::string& text, char* buffer, std::size_t size) {
    if (buffer == nullptr || size == 0) return;
    const std::size_t copied = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), copied);
    std::memset(buffer + copied, 0, size - copied);
}

}  // namespace

CPathName::CPathName(const char* narrowName) {
    build(narrowName == nullptr ? std::string() : narrowName);
}

CPathName::CPathName(const std::string& narrowName) {
    build(narrowName);
}

CPathName::CPathName(const std::filesystem::path& wideName) {
    build(wideName.native());
}

void CPathName::build(const std::string& name) {
    const bool usable = !name.empty() && name.size() < kPathCapacity && name.find('\0') == std::string::npos;
    const std::string absolute = usable ? platform::absolutePath(name) : std::string();
    if (absolute.empty() || absolute.size() >= kPathCapacity) {
        path_.clear();
        filePart_ = extension_ = std::string::npos;
        error_ = 1;
        return;
    }
    path_ = absolute;
    const std::size_t lastSlash = absolute.rfind('/');
    const std::size_t fileStart = lastSlash == std::string::npos ? 0 : lastSlash + 1;
    filePart_ = fileStart < absolute.size() ? fileStart : std::string::npos;
    if (filePart_ != std::string::npos) {
        const std::size_t dot = absolute.rfind('.');
        if (dot != std::string::npos && dot >= filePart_) extension_ = dot + 1;
    }
}

const char* CPathName::GetNarrow() const {
    return path_.empty() ? nullptr : path_.c_str();
}

void CPathName::GetFileNameA(char* buffer, std::size_t size) const {
    const std::string& narrow = path_.native();
    const std::size_t slash = narrow.rfind('/');
    copyTruncated(slash == std::string::npos ? narrow : narrow.substr(slash + 1), buffer, size);
}

void CPathName::GetExtensionA(char* buffer, std::size_t size) const {
    const std::string& narrow = path_.native();
    const std::size_t dot = narrow.rfind('.');
    copyTruncated(dot == std::string::npos ? narrow : narrow.substr(dot + 1), buffer, size);
}

void CPathName::GetDirectoryA(char* buffer, std::size_t size) const {
    const std::string& narrow = path_.native();
    const std::size_t slash = narrow.rfind('/');
    copyTruncated(slash == std::string::npos ? std::string() : narrow.substr(0, slash), buffer, size);
}

std::filesystem::path CPathName::GetDirectoryW() const {
    const std::string& wide = path_.native();
    const std::size_t slash = wide.rfind('/');
    return slash == std::string::npos ? std::filesystem::path()
                                      : std::filesystem::path(wide.substr(0, slash));
}

std::filesystem::path CPathName::GetFileNameW() const {
    if (filePart_ == std::string::npos) return {};
    return std::filesystem::path(path_.native().substr(filePart_));
}

std::filesystem::path CPathName::GetExtensionW() const {
    if (extension_ == std::string::npos) return {};
    return std::filesystem::path(path_.native().substr(extension_));
}
