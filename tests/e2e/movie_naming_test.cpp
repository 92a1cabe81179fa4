// Which movies a run writes and what it prints on the way: numbered names
// from the frame counter, wildcard names, the calibration clip of a wildcard
// -bc, -v lines, clips that deliver no frame, and the refusal of several
// clips into one movie name.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "e2e/e2e_clips.h"
#include "e2e/movie_decode.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

using namespace e2e;
using testing_support::runRaw2tvx;
using testing_support::TempDir;

namespace {

void makeSmallClip(const TempDir& dir, const std::string& name, int frames) {
    makeClip(dir, {"--width", "32", "--height", "16", "--frames", std::to_string(frames), name});
}

std::string framesIn(const std::string& path) {
    return probeMovie(path).field("nb_read_frames");
}

}  // namespace

// Named clips share the run's frame counter: the second movie is numbered
// with the first clip's frame count, and each has its own frames.
TEST(MovieNaming, TwoClipsIntoANumberedNameGiveTwoMovies) {
    TempDir dir;
    makeSmallClip(dir, "a.RAW", 3);
    makeSmallClip(dir, "b.RAW", 2);
    const auto result = runRaw2tvx({"a.RAW", "b.RAW", "out%d.avi"}, dir.path());
    ASSERT_EQ(0, result.exitCode) << result.out << result.err;
    EXPECT_EQ("a.RAW\n32x16 3 frames 24.000 fps\n...b.RAW\n32x16 2 frames 24.000 fps\n..\ndone\n",
              result.out);
    EXPECT_EQ("raw2tvx: 2 clips converted; 5 frames written\n", result.err);
    EXPECT_EQ((std::vector<std::string>{"a.RAW", "b.RAW", "out0.avi", "out3.avi"}),
              directoryNames(dir.path()));
    EXPECT_EQ("3", framesIn(dir.file("out0.avi")));
    EXPECT_EQ("2", framesIn(dir.file("out3.avi")));
}

// Every wildcard match writes the output name with the clip's name in place
// of the '*', taken literally (a '%d' stays as typed); a "\n" separates the
// clips.
TEST(MovieNaming, WildcardNamesFollowTheClips) {
    TempDir dir;
    std::filesystem::create_directories(dir.file("dcim"));
    std::filesystem::create_directories(dir.file("out"));
    makeSmallClip(dir, "dcim/M0001.RAW", 2);
    makeSmallClip(dir, "dcim/M0002.RAW", 3);
    const auto result = runRaw2tvx({"dcim/*.RAW", "out/*.mov"}, dir.path());
    ASSERT_EQ(0, result.exitCode) << result.out << result.err;
    EXPECT_EQ(
        "dcim/M0001.RAW\n32x16 2 frames 24.000 fps\n..\ndcim/M0002.RAW\n32x16 3 frames 24.000 fps\n...\n"
        "done\n",
        result.out);
    EXPECT_EQ((std::vector<std::string>{"M0001.mov", "M0002.mov"}), directoryNames(dir.file("out")));
    EXPECT_EQ("2", framesIn(dir.file("out/M0001.mov")));
    EXPECT_EQ("3", framesIn(dir.file("out/M0002.mov")));

    const auto literal = runRaw2tvx({"dcim/*.RAW", "out/take_*_%d.avi"}, dir.path());
    ASSERT_EQ(0, literal.exitCode) << literal.out << literal.err;
    EXPECT_TRUE(fileExists(dir.file("out/take_M0001_%d.avi")));
    EXPECT_TRUE(fileExists(dir.file("out/take_M0002_%d.avi")));
}

// A wildcard -bc picks the dark clip among the matches: it is calibrated
// first and never converted. When the next clip begins after a converted
// one, the movie just finished is named.
TEST(MovieNaming, CalibrationClipOfAWildcardIsNotConverted) {
    TempDir dir;
    std::filesystem::create_directories(dir.file("dcim"));
    std::filesystem::create_directories(dir.file("out"));
    makeSmallClip(dir, "dcim/M0001.RAW", 2);
    makeSmallClip(dir, "dcim/M0002.RAW", 2);
    makeClip(dir,
             {"--width", "32", "--height", "16", "--frames", "2", "--scene", "lenscap", "dcim/M0003.RAW"});
    const auto result = runRaw2tvx({"dcim/*.RAW", "out/*.mov", "-bcdcim/*.RAW", "-v"}, dir.path());
    ASSERT_EQ(0, result.exitCode) << result.out << result.err;
    const std::string cpus = result.out.substr(0, result.out.find('\n') + 1);
    EXPECT_EQ(0u, cpus.rfind("found ", 0));
    EXPECT_EQ(cpus +
                  "using black calibration file M0003.RAW\n"
                  "dcim/M0003.RAW\n32x16 2 frames 24.000 fps\n"
                  "Black Level Calibation: min = 502, max = 522, avg = 511\n"
                  "dcim/M0001.RAW\n32x16 2 frames 24.000 fps\nexport frame 0\nexport frame 1\n"
                  "\nFinished: out/M0001.mov\n"
                  "dcim/M0002.RAW\n32x16 2 frames 24.000 fps\nexport frame 0\nexport frame 1\n"
                  "\n\ndone\n",
              result.out);
    EXPECT_EQ((std::vector<std::string>{"M0001.mov", "M0002.mov"}), directoryNames(dir.file("out")));
}

// When the calibration clip comes first among the matches, it is passed over
// without a movie, so no "Finished:" line names one; nor after a clip whose
// in point lies past its end.
TEST(MovieNaming, FinishedNamesOnlyMoviesThatWereWritten) {
    TempDir dir;
    std::filesystem::create_directories(dir.file("dcim"));
    std::filesystem::create_directories(dir.file("out"));
    makeClip(dir,
             {"--width", "32", "--height", "16", "--frames", "2", "--scene", "lenscap", "dcim/A0000.RAW"});
    makeSmallClip(dir, "dcim/M0001.RAW", 2);
    makeSmallClip(dir, "dcim/M0002.RAW", 4);
    const auto result = runRaw2tvx({"dcim/*.RAW", "out/*.mov", "-bcdcim/*.RAW"}, dir.path());
    ASSERT_EQ(0, result.exitCode) << result.out << result.err;
    EXPECT_EQ(
        "using black calibration file A0000.RAW\n"
        "dcim/A0000.RAW\n32x16 2 frames 24.000 fps\n"
        "Black Level Calibation: min = 502, max = 522, avg = 511\n"
        "\ndcim/M0001.RAW\n32x16 2 frames 24.000 fps\n..\n"
        "Finished: out/M0001.mov\n"
        "dcim/M0002.RAW\n32x16 4 frames 24.000 fps\n....\ndone\n",
        result.out);
    EXPECT_EQ((std::vector<std::string>{"M0001.mov", "M0002.mov"}), directoryNames(dir.file("out")));

    // -i3: M0001 has no frame 3, so only M0002 gets a movie.
    std::filesystem::remove_all(dir.file("out"));
    std::filesystem::create_directories(dir.file("out"));
    const auto late = runRaw2tvx({"dcim/*.RAW", "out/*.mov", "-bcdcim/*.RAW", "-i3"}, dir.path());
    ASSERT_EQ(0, late.exitCode) << late.out << late.err;
    EXPECT_EQ(std::string::npos, late.out.find("Finished:")) << late.out;
    EXPECT_EQ(std::vector<std::string>{"M0002.mov"}, directoryNames(dir.file("out")));
}

// -v prints the processor count and one line per frame with the counter,
// which starts again for every movie of a wildcard and runs on between
// named clips.
TEST(MovieNaming, VerboseLinesCountTheFrames) {
    TempDir dir;
    makeSmallClip(dir, "a.RAW", 2);
    makeSmallClip(dir, "b.RAW", 2);
    const auto named = runRaw2tvx({"a.RAW", "b.RAW", "n%d.avi", "-v"}, dir.path());
    ASSERT_EQ(0, named.exitCode) << named.out << named.err;
    const std::string cpus = named.out.substr(0, named.out.find('\n') + 1);
    EXPECT_EQ(cpus +
                  "a.RAW\n32x16 2 frames 24.000 fps\nexport frame 0\nexport frame 1\n"
                  "b.RAW\n32x16 2 frames 24.000 fps\nexport frame 2\nexport frame 3\n\ndone\n",
              named.out);
    EXPECT_TRUE(fileExists(dir.file("n0.avi")));
    EXPECT_TRUE(fileExists(dir.file("n2.avi")));

    const auto wildcard = runRaw2tvx({"*.RAW", "w_*.avi", "-v"}, dir.path());
    ASSERT_EQ(0, wildcard.exitCode) << wildcard.out << wildcard.err;
    EXPECT_EQ(cpus +
                  "a.RAW\n32x16 2 frames 24.000 fps\nexport frame 0\nexport frame 1\n"
                  "\nb.RAW\n32x16 2 frames 24.000 fps\nexport frame 0\nexport frame 1\n\ndone\n",
              wildcard.out);
}

// -i, -o and -s decide how many frames a movie gets.
TEST(MovieNaming, InOutAndSkipSetTheFrameCount) {
    TempDir dir;
    makeSmallClip(dir, "clip.RAW", 10);
    struct Case {
        std::vector<std::string> switches;
        std::string frames;
    };
    for (const Case& item : {Case{{}, "10"}, Case{{"-i5"}, "5"}, Case{{"-o0"}, "1"}, Case{{"-o4"}, "4"},
                             Case{{"-s2"}, "4"}, Case{{"-i5", "-o10", "-s1"}, "3"}, Case{{"-i9"}, "1"}}) {
        std::vector<std::string> arguments{"clip.RAW", "count.mov", "-444"};
        arguments.insert(arguments.end(), item.switches.begin(), item.switches.end());
        const auto result = runRaw2tvx(arguments, dir.path());
        ASSERT_EQ(0, result.exitCode) << result.out << result.err;
        EXPECT_EQ(item.frames, framesIn(dir.file("count.mov"))) << arguments.back();
    }
}

// A clip that delivers no frame (its in point lies past its end) writes no
// movie, not even an empty or temporary one; the next clip is written.
TEST(MovieNaming, ClipWithoutFramesWritesNoMovie) {
    TempDir dir;
    makeSmallClip(dir, "short.RAW", 2);
    makeSmallClip(dir, "long.RAW", 6);
    for (const std::string name : {"late.avi", "late.mov"}) {
        const auto result = runRaw2tvx({"short.RAW", name, "-i5"}, dir.path());
        ASSERT_EQ(0, result.exitCode) << result.out << result.err;
        EXPECT_EQ("short.RAW\n32x16 2 frames 24.000 fps\n\ndone\n", result.out);
        EXPECT_EQ((std::vector<std::string>{"long.RAW", "short.RAW"}), directoryNames(dir.path())) << name;
    }
    const auto both = runRaw2tvx({"short.RAW", "long.RAW", "m%d.avi", "-i5"}, dir.path());
    ASSERT_EQ(0, both.exitCode) << both.out << both.err;
    EXPECT_EQ((std::vector<std::string>{"long.RAW", "m0.avi", "short.RAW"}), directoryNames(dir.path()));
    EXPECT_EQ("1", framesIn(dir.file("m0.avi")));
}

// Several named clips into a name without a number would each replace the
// movie before: refused before any clip is read, with exit code 2.
TEST(MovieNaming, SeveralClipsIntoOneMovieNameAreRefused) {
    TempDir dir;
    makeSmallClip(dir, "a.RAW", 2);
    makeSmallClip(dir, "b.RAW", 2);
    for (const std::string name : {"one.avi", "one.MOV"}) {
        const auto result = runRaw2tvx({"a.RAW", "b.RAW", name}, dir.path());
        EXPECT_EQ(kUsageStatus, result.exitCode) << name;
        EXPECT_EQ("", result.out);
        EXPECT_EQ("raw2tvx: every clip would be written to the one movie " + name +
                      ", each replacing the last: put %d in the name (numbered by frame) or use a wildcard "
                      "input with * in the name\n",
                  result.err);
        EXPECT_EQ((std::vector<std::string>{"a.RAW", "b.RAW"}), directoryNames(dir.path()));
    }
    // One clip named twice is two clips all the same; one clip alone is fine.
    EXPECT_EQ(kUsageStatus, runRaw2tvx({"a.RAW", "a.RAW", "one.avi"}, dir.path()).exitCode);
    EXPECT_EQ(0, runRaw2tvx({"a.RAW", "one.avi"}, dir.path()).exitCode);
    EXPECT_TRUE(fileExists(dir.file("one.avi")));
}

// The extension chooses the container whatever its case, and the name is
// written as given.
TEST(MovieNaming, ExtensionCaseChoosesTheContainer) {
    TempDir dir;
    makeSmallClip(dir, "clip.RAW", 2);
    for (const std::string name : {"upper.MOV", "mixed.Mov", "upper.AVI"}) {
        const auto result = runRaw2tvx({"clip.RAW", name}, dir.path());
        ASSERT_EQ(0, result.exitCode) << result.out << result.err;
        const ProbeReport report = probeMovie(dir.file(name));
        const bool mov = name.back() != 'I';
        EXPECT_EQ(mov ? "mov,mp4,m4a,3gp,3g2,mj2" : "avi", report.field("format.format_name")) << name;
    }
    EXPECT_EQ((std::vector<std::string>{"clip.RAW", "mixed.Mov", "upper.AVI", "upper.MOV"}),
              directoryNames(dir.path()));
}
