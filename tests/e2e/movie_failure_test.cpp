// Movies that cannot be written completely leave nothing behind: a write
// refused under a file size limit (on a frame, or on the trailer once every
// frame is in), a missing or unwritable directory, a run interrupted with
// Ctrl-C. Each failed write ends the run with code 7 and names the file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "e2e/e2e_clips.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

using namespace e2e;
using testing_support::runProgram;
using testing_support::runRaw2tvx;
using testing_support::TempDir;

namespace {

const char kEncodeFailed[] = "Failed to encode.  Do you have Zorvex Tavrix Studio installed?\n";

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Runs raw2tvx in dir under a file size limit in 512-byte blocks (the POSIX
// unit of the shell's ulimit -f). The limit's signal is ignored, so a write
// past it fails with EFBIG.
testing_support::ProgramResult runLimited(const TempDir& dir, std::vector<std::string> arguments,
                                          int blocks) {
    arguments.insert(arguments.begin(), RAW2TVX_BIN);
    return runProgram(arguments, dir.path(), "trap '' XFSZ; ulimit -f " + std::to_string(blocks) + ";");
}

}  // namespace

// A limit far below the movie fails on a frame; a limit one block short of
// the movie fails once every frame is in, on the trailer. Either way: the
// message, the file named with the reason, no file, exit code 7.
TEST(MovieFailure, FailedWriteLeavesNoFileAndEndsWithCodeSeven) {
    TempDir dir;
    makeClip(dir, {"--width", "128", "--height", "64", "--frames", "4", "--noise", "200", "clip.RAW"});
    for (const std::string kind : {"", "-444"}) {
        for (const std::string name : {"big.avi", "big.mov"}) {
            SCOPED_TRACE(kind + " " + name);
            std::vector<std::string> arguments{"clip.RAW", name};
            if (!kind.empty()) arguments.push_back(kind);
            const auto whole = runRaw2tvx(arguments, dir.path());
            ASSERT_EQ(0, whole.exitCode) << whole.out << whole.err;
            const auto size = std::filesystem::file_size(dir.file(name));
            std::filesystem::remove(dir.file(name));

            for (const int blocks : {4, static_cast<int>((size - 1) / 512)}) {
                const auto result = runLimited(dir, arguments, blocks);
                EXPECT_FALSE(result.signalled);
                EXPECT_EQ(kOutputIncompleteStatus, result.exitCode) << blocks << " blocks\n" << result.out;
                EXPECT_TRUE(contains(result.out, kEncodeFailed)) << result.out;
                EXPECT_EQ("raw2tvx: " + name + " could not be written: File too large\n", result.err);
                EXPECT_EQ(std::vector<std::string>{"clip.RAW"}, directoryNames(dir.path())) << blocks;
            }
        }
    }
}

// The trailer case prints a dot for every frame: the frames went in, and the
// failure surfaced only when the movie was completed.
TEST(MovieFailure, FailureOnTheTrailerComesAfterEveryFrame) {
    TempDir dir;
    makeClip(dir, {"--width", "128", "--height", "64", "--frames", "4", "--noise", "200", "clip.RAW"});
    ASSERT_EQ(0, runRaw2tvx({"clip.RAW", "whole.mov"}, dir.path()).exitCode);
    const auto size = std::filesystem::file_size(dir.file("whole.mov"));
    std::filesystem::remove(dir.file("whole.mov"));
    const auto result = runLimited(dir, {"clip.RAW", "whole.mov"}, static_cast<int>((size - 1) / 512));
    EXPECT_EQ(kOutputIncompleteStatus, result.exitCode);
    EXPECT_EQ("clip.RAW\n128x64 4 frames 24.000 fps\n...." + std::string(kEncodeFailed) + "\ndone\n",
              result.out);
    EXPECT_EQ(std::vector<std::string>{"clip.RAW"}, directoryNames(dir.path()));
}

// A directory that does not exist, and a directory in the place of the file.
TEST(MovieFailure, MissingDirectoryOrDirectoryInPlaceEndsWithCodeSeven) {
    TempDir dir;
    makeClip(dir, {"--width", "32", "--height", "16", "--frames", "2", "clip.RAW"});
    for (const std::string name : {"nowhere/out.avi", "nowhere/out.mov"}) {
        const auto result = runRaw2tvx({"clip.RAW", name}, dir.path());
        EXPECT_EQ(kOutputIncompleteStatus, result.exitCode) << name;
        EXPECT_EQ("clip.RAW\n32x16 2 frames 24.000 fps\n" + std::string(kEncodeFailed) + "\ndone\n",
                  result.out);
        EXPECT_EQ("raw2tvx: " + name + " could not be written: No such file or directory\n", result.err);
        EXPECT_EQ(std::vector<std::string>{"clip.RAW"}, directoryNames(dir.path()));
    }
    for (const std::string name : {"taken.avi", "taken.mov"}) {
        std::filesystem::create_directory(dir.file(name));
        const auto result = runRaw2tvx({"clip.RAW", name}, dir.path());
        EXPECT_EQ(kOutputIncompleteStatus, result.exitCode) << name << result.out;
        EXPECT_TRUE(contains(result.out, kEncodeFailed)) << result.out;
        EXPECT_EQ(0u, result.err.find("raw2tvx: " + name + " could not be written: ")) << result.err;
        EXPECT_TRUE(std::filesystem::is_directory(dir.file(name)));
        EXPECT_TRUE(std::filesystem::is_empty(dir.file(name)));
        std::filesystem::remove(dir.file(name));
        EXPECT_EQ(std::vector<std::string>{"clip.RAW"}, directoryNames(dir.path()));
    }
}

// A directory that takes no new file. The superuser writes anywhere, so the
// case means nothing when the tests run as root.
TEST(MovieFailure, UnwritableDirectoryEndsWithCodeSeven) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into any directory";
    TempDir dir;
    makeClip(dir, {"--width", "32", "--height", "16", "--frames", "2", "clip.RAW"});
    std::filesystem::create_directory(dir.file("locked"));
    ::chmod(dir.file("locked").c_str(), 0555);
    for (const std::string name : {"locked/out.avi", "locked/out.mov"}) {
        const auto result = runRaw2tvx({"clip.RAW", name}, dir.path());
        EXPECT_EQ(kOutputIncompleteStatus, result.exitCode) << name;
        EXPECT_TRUE(contains(result.out, kEncodeFailed)) << result.out;
        EXPECT_EQ("raw2tvx: " + name + " could not be written: Permission denied\n", result.err);
        EXPECT_TRUE(std::filesystem::is_empty(dir.file("locked")));
    }
    ::chmod(dir.file("locked").c_str(), 0755);
}

// Ctrl-C while a movie is being written removes its temporary file; the
// program then ends by the signal, as an interrupted program should. The
// clip is long but costs no disk: its frames are holes.
TEST(MovieFailure, InterruptedRunRemovesItsTemporaryMovie) {
    TempDir dir;
    makeClip(dir,
             {"--width", "1920", "--height", "1080", "--frames", "400", "--content-frames", "0", "long.RAW"});
    for (const std::string name : {"cut.avi", "cut.mov"}) {
        SCOPED_TRACE(name);
        std::fflush(nullptr);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (::chdir(dir.path().c_str()) != 0) ::_exit(126);
            const int devnull = ::open("/dev/null", O_RDWR);
            ::dup2(devnull, 0);
            ::dup2(devnull, 1);
            ::dup2(devnull, 2);
            ::execl(RAW2TVX_BIN, RAW2TVX_BIN, "long.RAW", name.c_str(), "-444", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        char host[256] = {};
        ::gethostname(host, sizeof host - 1);
        const std::string temporary = "." + name + ".tmp-" + host + "-" + std::to_string(child);
        bool seen = false;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!seen && std::chrono::steady_clock::now() < deadline) {
            seen = fileExists(dir.file(temporary));
            if (!seen) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        // Some frames go in before the interruption.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ::kill(child, SIGINT);
        int status = 0;
        ASSERT_EQ(child, ::waitpid(child, &status, 0));
        ASSERT_TRUE(seen) << "the temporary movie never appeared";
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << "status " << status;
        EXPECT_EQ(std::vector<std::string>{"long.RAW"}, directoryNames(dir.path()));
    }
}

// Without its movie module beside it (nor in ../lib/raw2tvx/modules) the program
// still writes DPX files; a movie fails as without its encoder, and standard
// error says which module could not be loaded and why.
TEST(MovieFailure, ProgramWithoutItsMovieModuleStillWritesDpx) {
    TempDir dir;
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "2", "clip.RAW"});
    const std::string alone = dir.file("bin/raw2tvx");
    std::filesystem::create_directory(dir.file("bin"));
    std::filesystem::copy_file(RAW2TVX_BIN, alone);
    std::filesystem::permissions(alone, std::filesystem::perms::owner_exec, std::filesystem::perm_options::add);

    const auto dpx = runProgram({alone, "clip.RAW", "f_%03d.dpx"}, dir.path());
    EXPECT_EQ(0, dpx.exitCode) << dpx.err;
    EXPECT_EQ("", dpx.err);
    EXPECT_TRUE(std::filesystem::exists(dir.file("f_001.dpx")));

    const auto movie = runProgram({alone, "clip.RAW", "m.mov", "-422"}, dir.path());
    EXPECT_EQ(255, movie.exitCode);
    EXPECT_TRUE(contains(movie.out, kEncodeFailed)) << movie.out;
    EXPECT_TRUE(contains(movie.err, "raw2tvx: the movie components cannot be loaded: " + dir.file("bin") +
                                        "/raw2tvx-movie.so: cannot open shared object file"))
        << movie.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("m.mov")));
}
