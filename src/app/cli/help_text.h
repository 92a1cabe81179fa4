#pragma once

// Prints the help text on standard output. After the "---- more ----" prompt
// it waits for one character when standard input is a terminal, then erases
// the prompt with backspaces and prints the rest.
void printHelpText();
