#pragma once

#include <string>
#include <vector>

namespace testing_support {

struct TerminalRunResult {
    int exitCode = -1;
    bool signalled = false;
    std::string out;       // standard output, when it was not the terminal
    std::string terminal;  // every byte the program wrote to the terminal, as written
};

// Runs raw2tvx with standard error on a new pseudo-terminal `columns` wide,
// in raw mode so that its bytes arrive as they were written. Standard output
// goes to the same terminal when outputOnTerminal, else it is captured apart;
// standard input is /dev/null.
TerminalRunResult runRaw2tvxOnTerminal(const std::vector<std::string>& arguments,
                                       const std::string& workingDirectory, bool outputOnTerminal,
                                       int columns = 100);

}  // namespace testing_support
