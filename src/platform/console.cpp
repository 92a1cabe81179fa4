#include "platform/console.h"

#include <cstdio>
#include <unistd.h>

#include "platform/status_line.h"

namespace platform {

bool standardInputIsTerminal() { return ::isatty(STDIN_FILENO) == 1; }

int readCharacter() { return std::getchar(); }

void writeDebugString(const char* text) {
    clearStatusLine();
    std::fputs(text, stderr);
    std::fputc('\n', stderr);
}

}  // namespace platform
