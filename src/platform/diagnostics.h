#pragma once

// Lines of our own about a run. Standard output carries the converter's
// report (clip lines, progress, the done line) and nothing else, so that a
// script reading it sees the same lines whatever went wrong; everything we
// add goes to standard error, "raw2tvx: " first. Standard output is flushed
// before each line, so a person watching both reads them in the order they
// happened.
//
// The format must be a literal (the compiler checks it): text from the user
// goes in through %s only.

#include <cstdarg>
#include <string>

namespace platform {

// The text a printf format and its arguments make.
std::string formatText(const char* format, std::va_list arguments) __attribute__((format(printf, 1, 0)));

// A failure and its reason: "raw2tvx: <text>\n".
void reportError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Something the run does that the user probably did not mean:
// "raw2tvx: warning: <text>\n".
void warn(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Progress marks on standard output leave their line open. When standard
// error is a terminal (where both streams are likely to meet), this ends
// that line first, so the next line of ours starts at the left; a status line
// (status_line.h) holding the line is erased instead.
void breakOpenLine();

}  // namespace platform
