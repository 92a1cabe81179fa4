#include "platform/directory.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <memory>

namespace platform {
namespace {

unsigned char folded(char character) {
    return static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(character)));
}

bool equalIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (folded(a[i]) != folded(b[i])) return false;
    return true;
}

struct DirCloser {
    void operator()(DIR* directory) const { ::closedir(directory); }
};

// Calls visit(name, status) for every regular file of the directory.
template <typename Visit>
void forEachRegularFile(const std::string& directory, Visit visit) {
    const std::string opened = directory.empty() ? "." : directory;
    std::unique_ptr<DIR, DirCloser> handle(::opendir(opened.c_str()));
    if (!handle) return;
    while (const dirent* entry = ::readdir(handle.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat status {};
        if (::stat((directory + name).c_str(), &status) != 0) continue;
        if (!S_ISREG(status.st_mode)) continue;
        visit(name, status);
    }
}

}  // namespace

bool matchesWildcard(const std::string& pattern, const std::string& name) {
    // Iterative matcher with one backtrack point: linear in practice and
    // never recursive, whatever the pattern.
    std::size_t p = 0, n = 0, starPattern = std::string::npos, starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starPattern = p++;
            starName = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || folded(pattern[p]) == folded(name[n]))) {
            ++p;
            ++n;
        } else if (starPattern != std::string::npos) {
            p = starPattern + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::string directoryPart(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::vector<DirectoryEntry> listMatchingFiles(const std::string& pattern) {
    const std::string directory = directoryPart(pattern);
    const std::string namePattern = pattern.substr(directory.size());
    std::vector<DirectoryEntry> entries;
    forEachRegularFile(directory, [&](const std::string& name, const struct stat& status) {
        if (matchesWildcard(namePattern, name))
            entries.push_back({name, static_cast<std::uint64_t>(status.st_size)});
    });
    std::sort(entries.begin(), entries.end(),
              [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
    return entries;
}

bool fileExists(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

std::string findFileIgnoringCase(const std::string& path) {
    if (fileExists(path)) return path;
    const std::string directory = directoryPart(path);
    const std::string wanted = path.substr(directory.size());
    std::string best;
    forEachRegularFile(directory, [&](const std::string& name, const struct stat&) {
        if (equalIgnoringCase(name, wanted) && (best.empty() || name < best)) best = name;
    });
    return best.empty() ? path : directory + best;
}

}  // namespace platform
