#include "app/report/console.h"

#include <cstdio>
#include <string>

#include "platform/console.h"
#include "platform/diagnostics.h"

Console::Console(bool verbose, bool quietReport)
    : verbose_(verbose), quietReport_(quietReport), progress_(makeProgressLine(verbose && !quietReport)) {}

void Console::document(const std::string& text) {
    showPending();
    writeReport(text);
}

bool Console::showPending() {
    Pending* pending = pending_;
    if (pending == nullptr) return false;
    // The result is shown through this console: it must not wait for itself.
    pending_ = nullptr;
    const bool failed = pending->showResult();
    if (failed) outputFailed_ = true;
    return failed;
}

void Console::writeReport(const std::string& text) {
    if (text.empty()) return;
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
    lineOpen_ = text.back() != '\n';
}

void Console::write(Line line, const char* format, std::va_list arguments) {
    const std::string text = platform::formatText(format, arguments);
    showPending();
    const bool reading = line == Line::Reading || line == Line::ReadingError;
    if (reading && outputFailed_) return;
    if (line == Line::Report || line == Line::Reading) {
        if (!quietReport_) writeReport(text);
        return;
    }
    // Our own lines start at the left even when marks hold the line open.
    if (lineOpen_) platform::breakOpenLine();
    lineOpen_ = false;
    if (line == Line::Warning)
        platform::warn("%s", text.c_str());
    else
        platform::reportError("%s", text.c_str());
}

void Console::report(const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    write(Line::Report, format, arguments);
    va_end(arguments);
}

void Console::reportReading(const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    write(Line::Reading, format, arguments);
    va_end(arguments);
}

void Console::error(const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    write(Line::Error, format, arguments);
    va_end(arguments);
}

void Console::readingError(const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    write(Line::ReadingError, format, arguments);
    va_end(arguments);
}

void Console::inform(const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    write(Line::Error, format, arguments);
    va_end(arguments);
}

void Console::warn(const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    write(Line::Warning, format, arguments);
    va_end(arguments);
}

void Console::frameMark(std::uint64_t frameCounter) {
    if (verbose_)
        report("export frame %llu\n", static_cast<unsigned long long>(frameCounter));
    else
        report(".");
}

void Console::debugLine(const char* text) {
    showPending();
    platform::writeDebugString(text);
}

void Console::processorLine(int processors) {
    report("found %d cpus\n", processors);
}

void Console::startClipProgress(const std::string& clipName, std::uint64_t framesTotal) {
    progress_.startClip(clipName, framesTotal);
}
