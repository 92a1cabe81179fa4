#pragma once

// Prints the help text on standard output. After the "---- more ----" prompt
// it waits for one character when standard input is a terminal, then erases
// the prompt with backspaces and prints the rest.
void printHelpText();

// The whole help text at once, for --help: both pages without the prompt,
// then the long options.
void printFullHelpText();
