#pragma once

namespace platform {

// True when standard input is a terminal a person can type at.
bool standardInputIsTerminal();

// Reads one character from standard input; EOF (-1) when there is none.
int readCharacter();

// A line for a developer watching the process; it goes to standard error.
void writeDebugString(const char* text);

}  // namespace platform
