#include "platform/status_line.h"

#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <mutex>

namespace platform {

namespace {

std::mutex statusLock;
bool shown = false;  // under statusLock

// What follows a status line: everything to its right, a left-over of a
// longer one or marks written after it, is erased.
const char kEraseToEnd[] = "\x1b[K";

bool sameTerminal(int first, int second) {
    struct stat a {};
    struct stat b {};
    if (::fstat(first, &a) != 0 || ::fstat(second, &b) != 0) return false;
    return a.st_rdev == b.st_rdev && a.st_ino == b.st_ino && a.st_dev == b.st_dev;
}

// Standard output first: a person watching both streams reads them in order.
void writeStatusBytes(const std::string& bytes) {
    std::fflush(stdout);
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    std::fflush(stderr);
}

}  // namespace

StatusTerminal statusTerminal() {
    StatusTerminal terminal;
    terminal.available = ::isatty(STDERR_FILENO) == 1;
    if (!terminal.available) return terminal;
    terminal.sharesOutput = ::isatty(STDOUT_FILENO) == 1 && sameTerminal(STDOUT_FILENO, STDERR_FILENO);
    struct winsize size {};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) terminal.columns = size.ws_col;
    return terminal;
}

void showStatusLine(const std::string& text) {
    const std::lock_guard<std::mutex> hold(statusLock);
    writeStatusBytes("\r" + text + kEraseToEnd);
    shown = true;
}

void clearStatusLine() {
    const std::lock_guard<std::mutex> hold(statusLock);
    if (!shown) return;
    writeStatusBytes(std::string("\r") + kEraseToEnd);
    shown = false;
}

bool statusLineShown() {
    const std::lock_guard<std::mutex> hold(statusLock);
    return shown;
}

void writeLineOverStatus(const std::string& text) {
    const std::lock_guard<std::mutex> hold(statusLock);
    writeStatusBytes("\r" + text + kEraseToEnd + "\n");
    shown = false;
}

}  // namespace platform
