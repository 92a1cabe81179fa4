#pragma once

#include "app/cli/argument_notes.h"
#include "app/cli/command_line.h"

class Console;

// Warns, one line per problem, about every argument after the program's
// path that does something the user probably did not mean: a switch whose
// number is missing, has text after it or lies outside the range the help
// text gives; text after a flag; an unknown switch; an argument that is
// neither a clip, an output, a switch nor a tag; a -bc without a clip; more
// than one output; a '*' output for a clip argument without one; and the switches and tags a DPX sequence has
// no use for. Each line quotes the argument as typed and says what the run does with it.
void warnAboutArguments(const CommandLine& line, Console& console);

// What the checks made while clips are converted need to know of the
// arguments as typed.
ArgumentNotes argumentNotesOf(const ArgumentList& arguments);
