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

// Case-insensitive comparison of two paths, as clip names are compared.
bool samePathIgnoringCase(const std::string& a, const std::string& b);
