#pragma once

#include <string>

// "failed with error <code>: <system text>", cut to 511 bytes.
std::string FormatLastError(int errorCode);

// Writes FormatLastError(errorCode) as one line on standard error.
void ReportLastError(int errorCode);
