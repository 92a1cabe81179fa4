#include "platform/interrupt_cleanup.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/temp_dir.h"

namespace {

// Runs body in a child that is then interrupted by the signal; returns the
// signal that ended the child (0 if it exited instead).
template <typename Body>
int interruptedChild(int signalNumber, Body body) {
    const pid_t child = ::fork();
    if (child == 0) {
        platform::installInterruptCleanup();
        body();
        ::raise(signalNumber);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

}  // namespace

// A file being written when the run is interrupted is removed, and the
// process still ends by the signal, as a shell expects of Ctrl-C.
TEST(InterruptCleanup, RemovesTheFileBeingWrittenAndEndsByTheSignal) {
    testing_support::TempDir dir;
    const std::string writing = dir.file(".frame.dpx.tmp");
    const std::string finished = dir.file("finished.dpx");
    testing_support::writeFileBytes(writing, "half");
    testing_support::writeFileBytes(finished, "whole");

    EXPECT_EQ(SIGINT, interruptedChild(SIGINT, [&] {
                  platform::setInterruptCleanupPath(finished.c_str());
                  platform::setInterruptCleanupPath(writing.c_str());
              }));
    EXPECT_TRUE(testing_support::readFileBytes(writing).empty());
    EXPECT_EQ("whole", testing_support::readFileBytes(finished));

    // Once the file is complete and cleared, an interruption leaves it alone.
    EXPECT_EQ(SIGTERM, interruptedChild(SIGTERM, [&] {
                  platform::setInterruptCleanupPath(finished.c_str());
                  platform::setInterruptCleanupPath(nullptr);
              }));
    EXPECT_EQ("whole", testing_support::readFileBytes(finished));
}
