#include "support/run_program.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/temp_dir.h"

namespace testing_support {
namespace {

std::string readWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string shellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

}  // namespace

ProgramResult runProgram(const std::vector<std::string>& argv, const std::string& workingDirectory,
                         const std::string& shellPrefix) {
    TempDir capture;
    const std::string outPath = capture.path() + "/out";
    const std::string errPath = capture.path() + "/err";

    std::vector<std::string> command = argv;
    if (!shellPrefix.empty()) {
        std::string line = shellPrefix;
        line.append(" exec");
        for (const auto& word : argv) line += " " + shellQuote(word);
        command = {"/bin/sh", "-c", line};
    }

    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0) ::_exit(126);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        if (!workingDirectory.empty() && ::chdir(workingDirectory.c_str()) != 0) ::_exit(126);
        std::vector<char*> pointers;
        for (const auto& word : command) pointers.push_back(const_cast<char*>(word.c_str()));
        pointers.push_back(nullptr);
        // The program runs as a shell would start it: every signal at its
        // default, so that it must cope with SIGXFSZ itself.
        ::signal(SIGXFSZ, SIG_DFL);
        ::execv(pointers[0], pointers.data());
        ::_exit(127);
    }
    ProgramResult result;
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) return result;
    if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signalled = true;
        result.exitCode = 128 + WTERMSIG(status);
    }
    result.out = readWhole(outPath);
    result.err = readWhole(errPath);
    return result;
}

ProgramResult runRaw2tvx(const std::vector<std::string>& arguments, const std::string& workingDirectory) {
    std::vector<std::string> argv{RAW2TVX_BIN};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runProgram(argv, workingDirectory);
}

ProgramResult runMkclip(const std::vector<std::string>& arguments, const std::string& workingDirectory) {
    std::vector<std::string> argv{MKCLIP_BIN};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runProgram(argv, workingDirectory);
}

ProgramResult runDpxinfo(const std::vector<std::string>& arguments, const std::string& workingDirectory) {
    std::vector<std::string> argv{DPXINFO_BIN};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runProgram(argv, workingDirectory);
}

}  // namespace testing_support
