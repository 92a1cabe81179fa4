#pragma once

#include <string>

// What an argument names, judged by its extension alone.
enum class PathKind { Other = 0, Avi = 1, Mov = 2, Dpx = 3, Raw = 4 };

// The argument is made absolute against the current directory; the extension
// is the text after the last '.' of that whole path, directories included
// (the whole path when it has no dot), compared without regard to case with
// avi, mov, dpx, raw and r00. So "shots.v2/clip" is Other, not a known kind.
PathKind classifyPath(const std::string& argument);
