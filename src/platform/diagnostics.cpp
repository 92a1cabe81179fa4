#include "platform/diagnostics.h"

#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

#include "platform/status_line.h"

namespace platform {

namespace {

std::mutex diagnosticsLock;

void writeLine(const char* kind, const std::string& text) {
    clearStatusLine();
    std::fflush(stdout);
    std::fputs("raw2tvx: ", stderr);
    std::fputs(kind, stderr);
    std::fputs(text.c_str(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

}  // namespace

// The callers' formats are checked where they are written (see the header).
__attribute__((format(printf, 2, 0))) static void writeFormatted(const char* kind, const char* format,
                                                                 std::va_list arguments) {
    const std::string text = formatText(format, arguments);
    const std::lock_guard<std::mutex> hold(diagnosticsLock);
    writeLine(kind, text);
}

// The callers' formats are checked where they are written (see the header).
std::string formatText(const char* format, std::va_list arguments) {
    std::va_list counting;
    va_copy(counting, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, counting);
    va_end(counting);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, arguments);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

void reportError(const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    writeFormatted("", format, arguments);
    va_end(arguments);
}

void warn(const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    writeFormatted("warning: ", format, arguments);
    va_end(arguments);
}

void breakOpenLine() {
    // A status line holds the open line: erasing it leaves the cursor at the left.
    if (statusLineShown()) {
        clearStatusLine();
        return;
    }
    if (::isatty(STDERR_FILENO) != 1) return;
    std::fflush(stdout);
    std::fputc('\n', stderr);
}

}  // namespace platform
