#pragma once

#include <string>
#include <vector>

namespace testing_support {

struct ProgramResult {
    int exitCode = -1;        // the status the program exited with, 0..255
    bool signalled = false;   // ended by a signal (a crash), not by exit
    std::string out;          // everything written to standard output
    std::string err;          // everything written to standard error
};

// Runs a program with the given arguments (argv[0] is the program), with
// standard input from /dev/null and the working directory given (empty: ours).
// An extra shell prefix such as "ulimit -f 100;" is applied through /bin/sh
// when shellPrefix is not empty.
ProgramResult runProgram(const std::vector<std::string>& argv, const std::string& workingDirectory = "",
                         const std::string& shellPrefix = "");

// Runs the raw2tvx binary under test / the clip generator.
ProgramResult runRaw2tvx(const std::vector<std::string>& arguments, const std::string& workingDirectory = "");
ProgramResult runMkclip(const std::vector<std::string>& arguments, const std::string& workingDirectory = "");
ProgramResult runDpxinfo(const std::vector<std::string>& arguments, const std::string& workingDirectory = "");

}  // namespace testing_support
