// Developing a camera archive gives what the clip gives: the same DPX files
// byte for byte, and movies whose decoded frames are the same, with every
// kind of switch; and --verify finds a damaged frame, a cut archive and the
// archive of another clip.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "e2e/e2e_clips.h"
#include "e2e/movie_decode.h"

using namespace e2e;
using testing_support::readFileBytes;
using testing_support::runRaw2tvx;
using testing_support::TempDir;
using testing_support::writeFileBytes;

namespace {

std::vector<std::string> with(std::vector<std::string> arguments, const std::vector<std::string>& more) {
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

// The files of a directory, by name, with their bytes.
std::vector<std::pair<std::string, std::string>> contentsOf(const std::string& directory) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const std::string& name : directoryNames(directory))
        files.emplace_back(name, readFileBytes(directory + "/" + name));
    return files;
}

// Runs the same switches on the clip and on its archive, each into a fresh
// directory of its own, and says whether they wrote the same DPX files.
::testing::AssertionResult sameDpx(const TempDir& dir, const std::string& clip, const std::string& archive,
                                   const std::vector<std::string>& switches,
                                   const std::string& pattern = "f_%03d.dpx") {
    static int run = 0;
    const std::string fromClip = "clip" + std::to_string(run), fromArchive = "arch" + std::to_string(run);
    ++run;
    std::filesystem::create_directory(dir.file(fromClip));
    std::filesystem::create_directory(dir.file(fromArchive));
    const auto a = runRaw2tvx(with({clip, fromClip + "/" + pattern}, switches), dir.path());
    const auto b = runRaw2tvx(with({archive, fromArchive + "/" + pattern}, switches), dir.path());
    if (a.exitCode != 0)
        return ::testing::AssertionFailure() << "the clip's run: " << a.exitCode << " " << a.err;
    if (b.exitCode != 0)
        return ::testing::AssertionFailure() << "the archive's run: " << b.exitCode << " " << b.err;
    const auto expected = contentsOf(dir.file(fromClip));
    if (expected.empty()) return ::testing::AssertionFailure() << "the clip gave no file";
    if (expected != contentsOf(dir.file(fromArchive)))
        return ::testing::AssertionFailure()
               << "the files differ: " << directoryNames(dir.file(fromClip)).size() << " from the clip, "
               << directoryNames(dir.file(fromArchive)).size() << " from the archive";
    return ::testing::AssertionSuccess();
}

void archive(const TempDir& dir, const std::string& clip, const std::string& movie,
             const std::vector<std::string>& more = {}) {
    const auto result = runRaw2tvx(with({clip, movie, "--archive"}, more), dir.path());
    ASSERT_EQ(0, result.exitCode) << clip << " " << result.err;
}

}  // namespace

TEST(ArchiveDevelop, DpxFilesAreTheClipsForEverySwitch) {
    TempDir dir;
    makeClip(dir, {"--width", "96", "--height", "40", "--frames", "4", "--scene", "chart", "--noise", "6",
                   "--rate", "29970", "a.RAW"});
    makeClip(dir, {"--width", "96", "--height", "40", "--frames", "3", "--scene", "lenscap", "cap.RAW"});
    archive(dir, "a.RAW", "a.mov");
    archive(dir, "cap.RAW", "cap.avi");
    const std::vector<std::vector<std::string>> switches = {
        {},
        {"-d4", "-l400"},
        {"-d1", "-g2.2", "-bl600", "-wl14000"},
        {"-d3", "-c", "-cb100", "-cw700"},
        {"-d0", "-i1", "-o3", "-s1"},
        {"-(16,8,80,32)"},
        {"-w48", "-h20"},
        {"+TIMC=01:00:00;02", "-d2"},
        {"-bccap.RAW", "-bo16"},
        {"-bccap.avi"},
    };
    for (const auto& item : switches)
        EXPECT_TRUE(sameDpx(dir, "a.RAW", "a.mov", item)) << ::testing::PrintToString(item);
}

TEST(ArchiveDevelop, EveryPackingAWindowedArchiveAndAWildcard) {
    TempDir dir;
    makeClip(dir, {"--width", "68", "--height", "30", "--frames", "2", "--packing", "12", "twelve.RAW"});
    makeClip(dir, {"--width", "37", "--height", "21", "--frames", "2", "--packing", "16", "plain.RAW"});
    archive(dir, "twelve.RAW", "twelve.mov");
    archive(dir, "plain.RAW", "plain.mov");
    EXPECT_TRUE(sameDpx(dir, "twelve.RAW", "twelve.mov", {}));
    EXPECT_TRUE(sameDpx(dir, "plain.RAW", "plain.mov", {"-d4"}));

    // An archive of a window develops, with that window typed, as the clip does.
    makeClip(dir, {"--width", "128", "--height", "48", "--frames", "2", "--scene", "chart", "--noise", "4",
                   "w.RAW"});
    makeClip(dir, {"--width", "128", "--height", "48", "--frames", "2", "--scene", "lenscap", "wcap.RAW"});
    archive(dir, "w.RAW", "w.mov", {"-(32,8,96,40)"});
    EXPECT_TRUE(sameDpx(dir, "w.RAW", "w.mov", {"-(32,8,96,40)", "-bcwcap.RAW", "-d3"}));

    // A shelf of archives, developed with a wildcard, names its files as the card did.
    std::filesystem::create_directory(dir.file("card"));
    std::filesystem::create_directory(dir.file("shelf"));
    for (const char* name : {"C001", "C002"}) {
        makeClip(dir, {"--width", "64", "--height", "32", "--frames", "3", "--seed", name + 3,
                       std::string("card/") + name + ".RAW"});
    }
    ASSERT_EQ(0, runRaw2tvx({"card/*.RAW", "shelf/*.mov", "--archive"}, dir.path()).exitCode);
    EXPECT_TRUE(sameDpx(dir, "card/*.RAW", "shelf/*.mov", {"-d2"}, "*_%02d.dpx"));
}

TEST(ArchiveDevelop, MoviesDecodeToTheClipsFramesAndOtherMoviesAreRefused) {
    TempDir dir;
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "3", "--scene", "chart", "--noise", "6",
                   "a.RAW"});
    archive(dir, "a.RAW", "a.mov");
    for (const std::vector<std::string>& kind : {std::vector<std::string>{"-422"}, {"-444", "-d4"}, {}}) {
        ASSERT_EQ(0, runRaw2tvx(with({"a.RAW", "fromclip.mov"}, kind), dir.path()).exitCode);
        ASSERT_EQ(0, runRaw2tvx(with({"a.mov", "fromarchive.mov"}, kind), dir.path()).exitCode);
        const auto expected = decodeMovie(dir.file("fromclip.mov"));
        const auto developed = decodeMovie(dir.file("fromarchive.mov"));
        ASSERT_EQ(3u, expected.size());
        ASSERT_EQ(expected.size(), developed.size());
        for (std::size_t frame = 0; frame < expected.size(); ++frame)
            EXPECT_EQ(expected[frame].planes, developed[frame].planes)
                << ::testing::PrintToString(kind) << frame;
    }
    // A movie that is no archive: refused, exit 6.
    const auto refused = runRaw2tvx({"fromclip.mov", "x_%d.dpx"}, dir.path());
    EXPECT_EQ(kClipUnusableStatus, refused.exitCode);
    EXPECT_NE(std::string::npos, refused.err.find("fromclip.mov is no camera archive")) << refused.err;
    EXPECT_FALSE(fileExists(dir.file("x_0.dpx")));
    // An output that is the archive itself is refused as for clips.
    const auto self = runRaw2tvx({"a.mov", "a.mov", "-422"}, dir.path());
    EXPECT_EQ(kUsageStatus, self.exitCode) << self.err;
}

TEST(ArchiveVerify, FindsADamagedFrameACutArchiveAndAnotherClip) {
    TempDir dir;
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "4", "--scene", "chart", "--noise", "6",
                   "a.RAW"});
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "4", "--scene", "chart", "--noise", "6",
                   "--seed", "9", "b.RAW"});
    archive(dir, "a.RAW", "a.avi");
    auto ok = runRaw2tvx({"--verify", "a.avi", "a.RAW"}, dir.path());
    EXPECT_EQ(0, ok.exitCode) << ok.out << ok.err;
    EXPECT_EQ("a.avi: 4 frames checked, all match their checksums and a.RAW\n", ok.out);

    // Another take of the same size and settings: every frame's samples differ.
    const auto other = runRaw2tvx({"--verify", "a.avi", "b.RAW"}, dir.path());
    EXPECT_EQ(8, other.exitCode) << other.out;
    EXPECT_EQ("a.avi: 4 frames checked: frames 0 to 3 differ from b.RAW\n", other.out);
    // A clip whose trailer differs is not compared at all.
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "4", "--rate", "25000", "c.RAW"});
    const auto unlike = runRaw2tvx({"--verify", "a.avi", "c.RAW"}, dir.path());
    EXPECT_EQ(8, unlike.exitCode) << unlike.out;
    EXPECT_NE(std::string::npos, unlike.out.find("c.RAW is not the clip archived")) << unlike.out;

    // One bit flipped in the coded data of a frame.
    std::string bytes = readFileBytes(dir.file("a.avi"));
    const std::size_t frame = bytes.find("raw2tvx archive frame 2 crc32c");
    ASSERT_NE(std::string::npos, frame);
    const std::size_t scan = bytes.find(std::string("\xFF\xDA", 2), frame);
    ASSERT_NE(std::string::npos, scan);
    std::string flipped = bytes;
    flipped[scan + 40] = static_cast<char>(flipped[scan + 40] ^ 0x10);
    writeFileBytes(dir.file("flipped.avi"), flipped);
    const auto damaged = runRaw2tvx({"--verify", "flipped.avi"}, dir.path());
    EXPECT_EQ(8, damaged.exitCode) << damaged.out;
    EXPECT_NE(std::string::npos, damaged.out.find("frame 2 ")) << damaged.out;
    // Developing it stops at the damaged frame and says so.
    const auto developed = runRaw2tvx({"flipped.avi", "d_%d.dpx"}, dir.path());
    EXPECT_EQ(kClipUnusableStatus, developed.exitCode);
    EXPECT_NE(std::string::npos, developed.err.find("flipped.avi: frame 2 ")) << developed.err;

    // Cut short after the second frame: the last frames are missing, or the
    // archive cannot be read at all; either way it does not pass.
    writeFileBytes(dir.file("cut.avi"), bytes.substr(0, frame));
    const auto cut = runRaw2tvx({"--verify", "cut.avi"}, dir.path());
    EXPECT_TRUE(cut.exitCode == 8 || cut.exitCode == kClipUnusableStatus) << cut.exitCode << cut.out;
    EXPECT_NE(0, cut.exitCode);

    // A shelf: each archive its line, the worst code.
    std::filesystem::create_directory(dir.file("shelf"));
    std::filesystem::copy_file(dir.file("a.avi"), dir.file("shelf/a.avi"));
    std::filesystem::copy_file(dir.file("flipped.avi"), dir.file("shelf/b.avi"));
    const auto shelf = runRaw2tvx({"--verify", "shelf/*.avi"}, dir.path());
    EXPECT_EQ(8, shelf.exitCode);
    EXPECT_EQ(0u,
              shelf.out.find(
                  "shelf/a.avi: 4 frames checked, all match their checksums\nshelf/b.avi: 4 frames checked"))
        << shelf.out;
}
