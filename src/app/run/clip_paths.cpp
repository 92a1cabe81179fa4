#include "app/run/clip_paths.h"

#include <cctype>

#include "app/cli/path_kind.h"
#include "platform/directory.h"
#include "platform/path.h"

std::string rebuildClipPath(const std::string& argument) {
    const std::string directory = platform::directoryPart(argument);
    std::string name = argument.substr(directory.size());
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    return directory + name + ".RAW";
}

std::string clipBasePath(const std::string& rawPath) {
    return rawPath.size() >= 4 ? rawPath.substr(0, rawPath.size() - 4) : rawPath;
}

std::string listedBaseName(const std::string& fileName) {
    return clipBasePath(fileName);
}

std::string wildcardOutputName(const std::string& outputPath, const std::string& baseName) {
    const std::size_t star = outputPath.find('*');
    if (star == std::string::npos) return outputPath;
    // The base name is literal text inside a numbered-file pattern.
    std::string literalName;
    for (char c : baseName) {
        literalName += c;
        if (c == '%') literalName += '%';
    }
    return outputPath.substr(0, star) + literalName + outputPath.substr(star + 1);
}

std::string wildcardMovieName(const std::string& outputPath, const std::string& baseName) {
    const std::size_t star = outputPath.find('*');
    if (star == std::string::npos) return outputPath;
    return outputPath.substr(0, star) + baseName + outputPath.substr(star + 1);
}

ClipEntry clipEntryOf(const std::string& path, bool archive) {
    ClipEntry entry;
    entry.archive = archive;
    const std::string fileName = path.substr(platform::directoryPart(path).size());
    entry.baseName = listedBaseName(fileName);
    if (archive) {
        entry.openPath = path;
        entry.filePath = path;
    } else {
        entry.openPath = clipBasePath(rebuildClipPath(path));
        entry.filePath = entry.openPath + ".RAW";
    }
    return entry;
}

bool namesArchive(const std::string& argument) {
    const PathKind kind = classifyPath(argument);
    return kind == PathKind::Avi || kind == PathKind::Mov;
}

bool containsWildcard(const std::string& path) {
    return path.find('*') != std::string::npos;
}

bool samePathIgnoringCase(const std::string& a, const std::string& b) {
    const std::string first = platform::absolutePath(a);
    const std::string second = platform::absolutePath(b);
    if (first.size() != second.size()) return platform::sameFile(a, b);
    for (std::size_t i = 0; i < first.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(first[i])) !=
            std::tolower(static_cast<unsigned char>(second[i])))
            return platform::sameFile(a, b);
    }
    return true;
}
