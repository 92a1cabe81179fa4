#pragma once

#include <string>

#include "app/cli/argument_notes.h"

// What a look at the switches keeps from one argument to the next. The log
// power, gamma and frame rate keep their earlier value when a later switch
// gives no number, so the look follows them to say which value is used.
struct SwitchScan {
    bool dpxRun = false;       // the output is a DPX sequence: movie-only switches do nothing
    bool timeCodeTag = false;  // a +TIMC tag is given: a DPX sequence's time codes count at the frame rate
    float curveParam = 113.0f;
    float frameRate = 24.0f;
    ArgumentNotes notes;
    std::string outPointArgument;  // the -o in force, as typed
    bool outPointRead = false;     // it held a number and nothing else
    std::string cineonArgument;    // the last -cb or -cw, as typed
    int calibrationIndex = -1;     // the place in argv of the -bc in force
};

// Warns about one argument beginning with '-' at argv[index]: a number that
// is missing, followed by other text or outside the help's range, text after
// a switch that takes none, an unknown switch, a switch a DPX sequence does
// not use. Records in scan what later checks need.
void checkSwitchArgument(SwitchScan& scan, const char* argument, int index);
