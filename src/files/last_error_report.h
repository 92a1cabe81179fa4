#pragma once

#include <string>

// "failed with error <code>: <system text>", cut to 511 bytes.
std::string FormatLastError(int errorCode);

// Where ReportLastError's text is shown: the program that reads DPX files
// puts it in front of the user (standard error, say). Nothing is shown until
// one is set.
using LastErrorDisplay = void (*)(const std::string& text);
void setLastErrorDisplay(LastErrorDisplay display);

// Shows FormatLastError(errorCode) through the display set.
void ReportLastError(int errorCode);
