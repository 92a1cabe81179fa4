#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

// The longest path the file layer handles, terminator included (PATH_MAX).
inline constexpr std::size_t kPathCapacity = 4096;

// An absolute, lexically normalised path built from a name the user typed.
// A relative name is joined to the current directory; "." and ".." are folded
// away without resolving links, so the file need not exist. The narrow form is
// the path's UTF-8 bytes; the wide form is a std::filesystem::path holding the
// same bytes. A name that is empty, holds a zero byte, or whose absolute form
// needs kPathCapacity bytes or more leaves an empty path and error 1.
//
// The copying getters follow one rule: at most size - 1 bytes are copied and
// the rest of the buffer, up to size, is filled with zeros, so the result is
// always terminated and a longer text is cut.
class CPathName {
public:
    explicit CPathName(const char* narrowName);
    explicit CPathName(const std::string& narrowName);
    explicit CPathName(const std::filesystem::path& wideName);
    CPathName(const CPathName&) = delete;
    CPathName& operator=(const CPathName&) = delete;

    // 0 normally, 1 when the path could not be built.
    int GetError() const { return error_; }

    // The absolute path as UTF-8 bytes, or null when the path is empty.
    const char* GetNarrow() const;
    const std::filesystem::path& GetWide() const { return path_; }

    // The text after the last '/' (the whole path when there is none).
    void GetFileNameA(char* buffer, std::size_t size) const;
    // The text after the last '.' anywhere in the path, directories included,
    // or the whole path when it has no '.': /dir.take2/frame gives take2/frame.
    void GetExtensionA(char* buffer, std::size_t size) const;
    // The text before the last '/'; an all-zero buffer when there is none.
    void GetDirectoryA(char* buffer, std::size_t size) const;

    // The wide forms are whole path objects, so nothing is ever cut. The file
    // name is the last component (empty when the path ends in '/'); the
    // extension is the text after the last '.' of that component only.
    std::filesystem::path GetDirectoryW() const;
    std::filesystem::path GetFileNameW() const;
    std::filesystem::path GetExtensionW() const;

private:
    void build(const std::string& name);

    std::filesystem::path path_;
    std::size_t filePart_ = std::string::npos;   // index of the last component, npos when none
    std::size_t extension_ = std::string::npos;  // index after the file part's last '.', npos when none
    int error_ = 0;
};
