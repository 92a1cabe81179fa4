#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// What the checks made while clips are converted need to know about the
// arguments as the user typed them, so that a warning can quote them.
struct ArgumentNotes {
    std::string inPointArgument;                // the -i switch in force, as typed; empty when none
    std::string windowArgument;                 // the -( switch in force, as typed; empty when none
    bool windowComplete = false;                // it held four integers x1,y1,x2,y2
    std::array<std::int32_t, 4> windowTyped{};  // those four, when complete
    // -l, -g, -c, -cb, -cw, -bl and -wl as typed, left to right: the
    // switches that act through the tone table.
    std::vector<std::string> gradingArguments;
    std::string calibrationArgument;  // the -bc switch in force, as typed
};
