#include "support/terminal_run.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/temp_dir.h"

namespace testing_support {

TerminalRunResult runRaw2tvxOnTerminal(const std::vector<std::string>& arguments,
                                       const std::string& workingDirectory, bool outputOnTerminal,
                                       int columns) {
    TerminalRunResult result;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        if (master >= 0) ::close(master);
        return result;
    }
    const std::string slaveName = ::ptsname(master);
    struct winsize size {};
    size.ws_row = 40;
    size.ws_col = static_cast<unsigned short>(columns);
    ::ioctl(master, TIOCSWINSZ, &size);

    TempDir capture;
    const std::string outPath = capture.path() + "/out";
    std::vector<std::string> argv{RAW2TVX_BIN};
    argv.insert(argv.end(), arguments.begin(), arguments.end());

    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(master);
        const int slave = ::open(slaveName.c_str(), O_RDWR | O_NOCTTY);
        const int in = ::open("/dev/null", O_RDONLY);
        const int out =
            outputOnTerminal ? slave : ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (slave < 0 || in < 0 || out < 0) ::_exit(126);
        struct termios mode {};
        if (::tcgetattr(slave, &mode) == 0) {
            ::cfmakeraw(&mode);
            ::tcsetattr(slave, TCSANOW, &mode);
        }
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(slave, 2);
        if (!workingDirectory.empty() && ::chdir(workingDirectory.c_str()) != 0) ::_exit(126);
        std::vector<char*> pointers;
        for (const auto& word : argv) pointers.push_back(const_cast<char*>(word.c_str()));
        pointers.push_back(nullptr);
        ::execv(pointers[0], pointers.data());
        ::_exit(127);
    }
    if (child < 0) {
        ::close(master);
        return result;
    }
    // Read until the last descriptor of the terminal's other end is closed (EIO).
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(master, buffer, sizeof buffer);
        if (got > 0) {
            result.terminal.append(buffer, static_cast<std::size_t>(got));
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        break;
    }
    ::close(master);
    int status = 0;
    if (::waitpid(child, &status, 0) != child) return result;
    if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signalled = true;
        result.exitCode = 128 + WTERMSIG(status);
    }
    if (!outputOnTerminal) {
        std::ifstream in(outPath, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        result.out = text.str();
    }
    return result;
}

}  // namespace testing_support
