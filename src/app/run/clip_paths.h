#pragma once

#include <string>

// A clip argument rebuilt as its directory + base name + ".RAW": whatever
// extension was typed (raw, r00, any case) is replaced.
std::string rebuildClipPath(const std::string& argument);

// The clip's base path: its .RAW path without the four characters ".RAW".
std::string clipBasePath(const std::string& rawPath);

// The name of a listed file without its last four characters (".RAW").
std::string listedBaseName(const std::string& fileName);

// The output name of a clip in wildcard mode: the output argument with its
// first '*' replaced by the clip's base name, whose '%' signs are doubled so
// that the name stays a pattern with the output argument's conversion only.
std::string wildcardOutputName(const std::string& outputPath, const std::string& baseName);

// The movie of a clip in wildcard mode: the output argument with its first
// '*' replaced by the clip's base name, taken literally.
std::string wildcardMovieName(const std::string& outputPath, const std::string& baseName);

bool containsWildcard(const std::string& path);

// One clip a pass converts: a clip named by its .RAW (or .R00), or a camera
// archive named by its movie.
struct ClipEntry {
    bool archive = false;
    std::string openPath;  // what its source opens: the clip's base path (no ".RAW"), the archive's path
    std::string filePath;  // the file that names it: base path + ".RAW", or the archive
    std::string baseName;  // its name without extension, as listed, for a '*' in the output
};

// The entry of a file that a pass lists or names: a clip's .RAW (or .R00),
// or an archive.
ClipEntry clipEntryOf(const std::string& path, bool archive);

// An argument that names an archive to develop rather than a clip: an .avi or .mov.
bool namesArchive(const std::string& argument);

// Case-insensitive comparison of two paths, as clip names are compared.
bool samePathIgnoringCase(const std::string& a, const std::string& b);
