// The threads at work follow the CPUs the process may run on, not those the
// machine has: under taskset -c 0 a run works on its main thread alone, and
// --threads=N gives N (the main thread and N - 1 pool workers). Counted from
// outside, in /proc, while the run goes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "e2e/e2e_clips.h"

using e2e::makeClip;
using testing_support::TempDir;

namespace {

struct ThreadCount {
    int exitStatus = -1;
    int mostThreads = 0;
};

// Runs argv in dir with its output thrown away, counting the threads of the
// process until it ends.
ThreadCount countThreads(const TempDir& dir, const std::vector<std::string>& argv) {
    std::vector<char*> pointers;
    std::vector<std::string> copies = argv;
    for (std::string& argument : copies) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::chdir(dir.path().c_str()) != 0) ::_exit(126);
        if (!std::freopen("/dev/null", "w", stdout) || !std::freopen("/dev/null", "w", stderr)) ::_exit(126);
        ::execv(pointers[0], pointers.data());
        ::_exit(127);
    }
    ThreadCount count;
    const std::string tasks = "/proc/" + std::to_string(child) + "/task";
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        std::error_code error;
        int threads = 0;
        for (auto it = std::filesystem::directory_iterator(tasks, error);
             !error && it != std::filesystem::directory_iterator(); it.increment(error))
            ++threads;
        count.mostThreads = std::max(count.mostThreads, threads);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    count.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return count;
}

}  // namespace

TEST(ProcessorCount, FollowsTheAffinityAndTheThreadsOption) {
    if (::access("/usr/bin/taskset", X_OK) != 0) GTEST_SKIP() << "taskset (util-linux) is needed";
    TempDir dir;
    // Long enough for the pool to be seen at work.
    makeClip(dir, {"--width", "1920", "--height", "1080", "--frames", "20", "clip.RAW"});

    // The report line names the count; /proc shows the threads: the main
    // thread, which takes its share of every frame, and a worker for each
    // further CPU (null.dpx writes nothing, so no writer thread).
    const auto pinned = testing_support::runProgram(
        {"/usr/bin/taskset", "-c", "0", RAW2TVX_BIN, "clip.RAW", "null.dpx", "-v", "-o0"}, dir.path());
    EXPECT_EQ(0, pinned.exitCode) << pinned.err;
    EXPECT_EQ(0u, pinned.out.find("found 1 cpus\n")) << pinned.out;
    const ThreadCount one =
        countThreads(dir, {"/usr/bin/taskset", "-c", "0", RAW2TVX_BIN, "clip.RAW", "null.dpx"});
    EXPECT_EQ(0, one.exitStatus);
    EXPECT_EQ(1, one.mostThreads);

    const auto three =
        testing_support::runRaw2tvx({"clip.RAW", "null.dpx", "-v", "-o0", "--threads=3"}, dir.path());
    EXPECT_EQ(0u, three.out.find("found 3 cpus\n")) << three.out;
    const ThreadCount threads = countThreads(dir, {RAW2TVX_BIN, "clip.RAW", "null.dpx", "--threads=3"});
    EXPECT_EQ(0, threads.exitStatus);
    EXPECT_EQ(3, threads.mostThreads);

    // The option wins over the affinity: the process asked for it.
    const ThreadCount over = countThreads(
        dir, {"/usr/bin/taskset", "-c", "0", RAW2TVX_BIN, "clip.RAW", "null.dpx", "--threads=2"});
    EXPECT_EQ(2, over.mostThreads);
}
