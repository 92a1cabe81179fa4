// Memory stays flat over long batches: a run over 200 clips holds no more
// memory than a run over 20 of the same clips, for DPX and movie output. Every
// clip reallocates its frame buffers, makes a movie and a graph, and ends them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "e2e/e2e_clips.h"
#include "support/temp_dir.h"

using e2e::makeClip;
using testing_support::TempDir;

namespace {

// A lost frame buffer per clip (the picture alone is 256 x 128 x 6 = 192 KiB)
// would add 180 x 192 KiB = 34 MiB between the two runs. What the runs share
// varies by a few MiB with the threads' timing: the encoder's threads and the
// allocator's per-thread arenas.
constexpr long kAllowedGrowthKiB = 4 * 1024;

struct RunUsage {
    int exitCode = -1;
    long peakResidentKiB = 0;
};

// Runs raw2tvx in dir with its output thrown away, and reads the largest
// resident set it had from the system's accounting of the child.
RunUsage runMeasured(const std::vector<std::string>& arguments, const std::string& dir) {
    std::vector<std::string> argv{RAW2TVX_BIN};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        if (null < 0 || ::chdir(dir.c_str()) != 0) ::_exit(126);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        std::vector<char*> pointers;
        for (const auto& word : argv) pointers.push_back(const_cast<char*>(word.c_str()));
        pointers.push_back(nullptr);
        ::execv(pointers[0], pointers.data());
        ::_exit(127);
    }
    RunUsage usage;
    int status = 0;
    struct rusage resources {};
    if (child < 0 || ::wait4(child, &status, 0, &resources) != child) return usage;
    usage.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    usage.peakResidentKiB = resources.ru_maxrss;
    return usage;
}

// Folders "few" with 20 clips and "many" with 200, all links to one clip.
void makeBatches(const TempDir& dir) {
    makeClip(dir, {"--width", "256", "--height", "128", "--frames", "1", "--noise", "40", "clip.RAW"});
    namespace fs = std::filesystem;
    fs::create_directory(dir.file("few"));
    fs::create_directory(dir.file("many"));
    for (int index = 0; index < 200; ++index) {
        char name[32];
        std::snprintf(name, sizeof name, "c%03d.RAW", index);
        fs::create_hard_link(dir.file("clip.RAW"), dir.file("many/" + std::string(name)));
        if (index < 20) fs::create_hard_link(dir.file("clip.RAW"), dir.file("few/" + std::string(name)));
    }
}

void expectFlat(const TempDir& dir, const std::string& output, const std::vector<std::string>& switches) {
    namespace fs = std::filesystem;
    RunUsage runs[2];
    const char* batches[2] = {"few", "many"};
    for (int run = 0; run < 2; ++run) {
        fs::remove_all(dir.file("out"));
        fs::create_directory(dir.file("out"));
        std::vector<std::string> arguments{std::string(batches[run]) + "/*.RAW", "out/" + output};
        arguments.insert(arguments.end(), switches.begin(), switches.end());
        runs[run] = runMeasured(arguments, dir.path());
        ASSERT_EQ(0, runs[run].exitCode) << output << " " << batches[run];
    }
    EXPECT_EQ(200u, static_cast<std::size_t>(
                        std::distance(fs::directory_iterator(dir.file("out")), fs::directory_iterator())))
        << output;
    EXPECT_GT(runs[0].peakResidentKiB, 0);
    EXPECT_LE(runs[1].peakResidentKiB - runs[0].peakResidentKiB, kAllowedGrowthKiB)
        << output << ": " << runs[0].peakResidentKiB << " KiB over 20 clips, " << runs[1].peakResidentKiB
        << " KiB over 200";
}

}  // namespace

TEST(BatchMemory, TwoHundredClipsHoldNoMoreThanTwentyForDpxAndMovies) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers keep freed memory back for a while, so it grows with every allocation";
#endif
    TempDir dir;
    makeBatches(dir);
    expectFlat(dir, "*_%d.dpx", {"-444"});
    expectFlat(dir, "*.mov", {"-422"});
    expectFlat(dir, "*.avi", {});
}
