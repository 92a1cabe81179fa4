#include "files/last_error_report.h"

#include <array>
#include <atomic>
#include <cstdio>

#include "platform/path.h"

namespace {

std::atomic<LastErrorDisplay> display{nullptr};

}  // namespace

std::string FormatLastError(int errorCode) {
    std::array<char, 512> text{};
    const std::string systemText = platform::errorText(errorCode);
    std::snprintf(text.data(), text.size(), "failed with error %d: %s", errorCode, systemText.c_str());
    return text.data();
}

void setLastErrorDisplay(LastErrorDisplay newDisplay) {
    display.store(newDisplay);
}

void ReportLastError(int errorCode) {
    if (const LastErrorDisplay shown = display.load()) shown(FormatLastError(errorCode));
}
