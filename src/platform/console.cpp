#include "platform/console.h"

#include <cstdio>
#include <unistd.h>

namespace platform {

bool standardInputIsTerminal() { return ::isatty(STDIN_FILENO) == 1; }

int readCharacter() { return std::getchar(); }

void writeDebugString(const char* text) {
    std::fputs(text, stderr);
    std::fputc('\n', stderr);
}

}  // namespace platform
