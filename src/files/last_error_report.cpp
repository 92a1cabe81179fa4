#include "files/last_error_report.h"

#include <array>
#include <cstdio>

#include "platform/console.h"
#include "platform/path.h"

std::string FormatLastError(int errorCode) {
    std::array<char, 512> text{};
    const std::string systemText = platform::errorText(errorCode);
    std::snprintf(text.data(), text.size(), "failed with error %d: %s", errorCode, systemText.c_str());
    return text.data();
}

void ReportLastError(int errorCode) {
    platform::writeDebugString(FormatLastError(errorCode).c_str());
}
