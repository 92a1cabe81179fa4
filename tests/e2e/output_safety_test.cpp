// Output names and writes that must not lose or corrupt data: refused name
// patterns, a missing output argument, outputs that are an input clip,
// writes that fail, and movie output that is not built.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "e2e/e2e_clips.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

using namespace e2e;
using testing_support::readFileBytes;
using testing_support::runProgram;
using testing_support::runRaw2tvx;
using testing_support::TempDir;

namespace {

void makeSmallClip(const TempDir& dir, const std::string& name) {
    makeClip(dir, {"--width", "32", "--height", "8", "--frames", "2", "--scene", "ramp", name});
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The absolute name the program gives a file of the test directory: it runs
// there, so its current directory is the directory's real path.
std::string absoluteName(const TempDir& dir, const std::string& name) {
    return (std::filesystem::canonical(dir.path()) / name).string();
}

}  // namespace

// Only literal text, %% and one %[0][width]d with a width up to 10 make a
// file name. Anything else ends the run with code 2 before a clip is read.
TEST(OutputSafety, OutputPatternsOutsideTheGrammarAreRefusedBeforeAnyClipIsRead) {
    TempDir dir;
    makeSmallClip(dir, "clip.RAW");
    for (const char* pattern : {"f%s.dpx", "f%n.dpx", "f%x.dpx", "f%d%d.dpx", "f%05d_%d.dpx", "f%5.2d.dpx",
                                "f%-5d.dpx", "f%+d.dpx", "f%ld.dpx", "f%011d.dpx", "f%.dpx"}) {
        for (const char* clip : {"clip.RAW", "missing.RAW"}) {
            const auto result = runRaw2tvx({clip, pattern}, dir.path());
            EXPECT_EQ(kUsageStatus, result.exitCode) << pattern << " " << clip;
            EXPECT_EQ("", result.out) << "a clip was read";
            EXPECT_EQ(0u, result.err.find("raw2tvx: bad output name \"" + std::string(pattern) + "\": "))
                << result.err;
            EXPECT_TRUE(endsWith(result.err, "\n")) << result.err;
            EXPECT_EQ(std::vector<std::string>{"clip.RAW"}, directoryNames(dir.path())) << pattern;
        }
    }
    // A trailing '%' leaves no .dpx name at all: there is no output.
    const auto trailing = runRaw2tvx({"clip.RAW", "f.dpx%"}, dir.path());
    EXPECT_EQ(kUsageStatus, trailing.exitCode);
    EXPECT_EQ("", trailing.out);
    EXPECT_EQ(
        "raw2tvx: warning: f.dpx%: ignored: not a clip (.RAW, .R00), an output (.avi, .mov, .dpx), a switch "
        "or "
        "a tag\nraw2tvx: no output given: name the .avi, .mov or .dpx file to write\n",
        trailing.err);
    EXPECT_EQ(std::vector<std::string>{"clip.RAW"}, directoryNames(dir.path()));

    // What the grammar allows: %% is a percent sign, widths up to 10.
    const auto allowed = runRaw2tvx({"clip.RAW", "a%%_%010d.dpx", "-o1"}, dir.path());
    EXPECT_EQ(0, allowed.exitCode) << allowed.out;
    EXPECT_TRUE(readDpx(dir.file("a%_0000000000.dpx")).valid);
    const auto spaced = runRaw2tvx({"clip.RAW", "b%3d.dpx", "-i1"}, dir.path());
    EXPECT_EQ(0, spaced.exitCode) << spaced.out;
    EXPECT_TRUE(readDpx(dir.file("b  1.dpx")).valid);
}

TEST(OutputSafety, RunWithoutOutputArgumentEndsWithCodeTwo) {
    TempDir dir;
    makeSmallClip(dir, "clip.RAW");
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"clip.RAW", "-444"}, std::vector<std::string>{"clip.RAW", "clip.R00"}}) {
        const auto result = runRaw2tvx(arguments, dir.path());
        EXPECT_EQ(kUsageStatus, result.exitCode);
        EXPECT_EQ("", result.out);
        EXPECT_EQ("raw2tvx: no output given: name the .avi, .mov or .dpx file to write\n", result.err);
    }
    EXPECT_EQ(std::vector<std::string>{"clip.RAW"}, directoryNames(dir.path()));
}

// An output name that is one of the input clips' files, through a symbolic or
// a hard link, is refused with code 2 and the clip stays as it was.
TEST(OutputSafety, OutputThatIsAnInputFileIsRefused) {
    TempDir dir;
    makeSmallClip(dir, "clip.RAW");
    makeClip(dir, {"--width", "32", "--height", "8", "--frames", "3", "--split", "1000", "split.RAW"});
    makeClip(dir, {"--width", "32", "--height", "8", "--frames", "1", "--scene", "lenscap", "cal.RAW"});
    ASSERT_TRUE(fileExists(dir.file("split.R00")));
    std::filesystem::create_symlink("clip.RAW", dir.file("link.dpx"));
    std::filesystem::create_hard_link(dir.file("clip.RAW"), dir.file("hard.dpx"));
    std::filesystem::create_symlink("split.R00", dir.file("continuation.dpx"));
    std::filesystem::create_symlink("cal.RAW", dir.file("calibration.dpx"));
    std::filesystem::create_symlink("clip.RAW", dir.file("later_0.dpx"));
    const std::string clip = readFileBytes(dir.file("clip.RAW"));
    const std::string continuation = readFileBytes(dir.file("split.R00"));
    const std::string calibration = readFileBytes(dir.file("cal.RAW"));

    struct Case {
        std::vector<std::string> arguments;
        std::string output;
    };
    for (const Case& item :
         {Case{{"clip.RAW", "link.dpx"}, "link.dpx"}, Case{{"clip.RAW", "hard.dpx"}, "hard.dpx"},
          Case{{"split.RAW", "continuation.dpx"}, "continuation.dpx"},
          Case{{"clip.RAW", "calibration.dpx", "-bccal.RAW"}, "calibration.dpx"},
          // The clip named after the one being converted is an input too.
          Case{{"split.RAW", "clip.RAW", "later_%d.dpx"}, "later_0.dpx"}}) {
        // One frame of each clip: the name without a number may take it.
        std::vector<std::string> arguments = item.arguments;
        arguments.push_back("-o0");
        const auto result = runRaw2tvx(arguments, dir.path());
        EXPECT_EQ(kUsageStatus, result.exitCode) << item.output << result.out;
        EXPECT_TRUE(endsWith(result.err, "raw2tvx: " + item.output +
                                             " is one of the input clips' files: not writing over it\n"))
            << result.err;
        EXPECT_TRUE(endsWith(result.out, "fps\n\ndone\n")) << result.out;
    }
    EXPECT_EQ(clip, readFileBytes(dir.file("clip.RAW")));
    EXPECT_EQ(clip, readFileBytes(dir.file("hard.dpx")));
    EXPECT_EQ(continuation, readFileBytes(dir.file("split.R00")));
    EXPECT_EQ(calibration, readFileBytes(dir.file("cal.RAW")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.dpx")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("continuation.dpx")));
}

// In a wildcard run the clips matched later are inputs from the start.
TEST(OutputSafety, WildcardOutputThatIsALaterClipIsRefused) {
    TempDir dir;
    makeSmallClip(dir, "a.RAW");
    makeSmallClip(dir, "b.RAW");
    std::filesystem::create_directory(dir.file("out"));
    std::filesystem::create_symlink("../b.RAW", dir.file("out/a_0.dpx"));
    const std::string clip = readFileBytes(dir.file("b.RAW"));
    const auto result = runRaw2tvx({"*.RAW", "out/*_%d.dpx"}, dir.path());
    EXPECT_EQ(kUsageStatus, result.exitCode) << result.out;
    EXPECT_EQ("a.RAW\n32x8 2 frames 24.000 fps\n\ndone\n", result.out);
    EXPECT_EQ("raw2tvx: out/a_0.dpx is one of the input clips' files: not writing over it\n", result.err);
    EXPECT_EQ(clip, readFileBytes(dir.file("b.RAW")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("out/a_0.dpx")));
    EXPECT_EQ(std::vector<std::string>{"a_0.dpx"}, directoryNames(dir.file("out")));
}

// A write that fails part way (here under a file size limit, EFBIG) is
// reported with the file's name, leaves neither the partial file nor its
// temporary, and ends the run with code 7.
TEST(OutputSafety, FailedWriteLeavesNoPartialFileAndEndsWithCodeSeven) {
    TempDir dir;
    // 256 x 128 pixels: 2048 + 131072 bytes, beyond 100 blocks of any size.
    makeClip(dir, {"--width", "256", "--height", "128", "--frames", "2", "big.RAW"});
    const auto result = runProgram({RAW2TVX_BIN, "big.RAW", "big_%d.dpx"}, dir.path(), "ulimit -f 100;");
    EXPECT_FALSE(result.signalled);
    EXPECT_EQ(kOutputIncompleteStatus, result.exitCode) << result.out;
    const std::string name = absoluteName(dir, "big_0.dpx");
    EXPECT_EQ("big.RAW\n256x128 2 frames 24.000 fps\n\ndone\n", result.out);
    EXPECT_EQ(0u, result.err.find("raw2tvx: cannot write DPX file " + name + ": ")) << result.err;
    EXPECT_EQ(std::string::npos, result.err.find("big_1.dpx")) << "the run should end at the first failure";
    EXPECT_EQ(std::vector<std::string>{"big.RAW"}, directoryNames(dir.path()));
}

// The test above runs the program the way a shell starts it: with SIGXFSZ
// at its default, which would end it in the middle of the write if it did
// not ignore the signal itself.
TEST(OutputSafety, ProgramsUnderTestStartWithTheFileSizeSignalAtItsDefault) {
    const auto status = runProgram({"/bin/grep", "^SigIgn:", "/proc/self/status"});
    ASSERT_EQ(0, status.exitCode);
    const unsigned long long ignored = std::stoull(status.out.substr(status.out.find(':') + 1), nullptr, 16);
    EXPECT_EQ(0u, ignored & (1ull << (SIGXFSZ - 1))) << status.out;
}

TEST(OutputSafety, MissingOutputDirectoryEndsWithCodeSeven) {
    TempDir dir;
    makeSmallClip(dir, "clip.RAW");
    const auto result = runRaw2tvx({"clip.RAW", "nowhere/f_%d.dpx"}, dir.path());
    EXPECT_EQ(kOutputIncompleteStatus, result.exitCode) << result.out;
    EXPECT_EQ("clip.RAW\n32x8 2 frames 24.000 fps\n\ndone\n", result.out);
    EXPECT_EQ("raw2tvx: cannot write DPX file " + absoluteName(dir, "nowhere/f_0.dpx") +
                  ": No such file or directory\n",
              result.err);
    EXPECT_EQ(std::vector<std::string>{"clip.RAW"}, directoryNames(dir.path()));

    // A directory in the place of the file: nothing replaces it.
    std::filesystem::create_directory(dir.file("taken.dpx"));
    const auto taken = runRaw2tvx({"clip.RAW", "taken.dpx", "-o0"}, dir.path());
    EXPECT_EQ(kOutputIncompleteStatus, taken.exitCode) << taken.out;
    EXPECT_EQ("clip.RAW\n32x8 2 frames 24.000 fps\n\ndone\n", taken.out);
    EXPECT_NE(std::string::npos,
              taken.err.find("\nraw2tvx: cannot write DPX file " + absoluteName(dir, "taken.dpx") + ": "))
        << taken.err;
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("taken.dpx")));
    EXPECT_EQ((std::vector<std::string>{"clip.RAW", "taken.dpx"}), directoryNames(dir.path()));
}
