// The status line for a person at a terminal: on standard error, only when
// that is a terminal, rewritten in place ("\r" ... erase to the end of the
// line), with a summary line after each clip; standard output keeps its bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "e2e/e2e_clips.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "support/terminal_run.h"

using e2e::makeClip;
using testing_support::runRaw2tvx;
using testing_support::runRaw2tvxOnTerminal;
using testing_support::TempDir;

namespace {

const char kEraseToEnd[] = "\x1b[K";

// The status lines drawn: every "\r" TEXT "\x1b[K" not followed by a line feed.
std::vector<std::string> statusLines(const std::string& terminal) {
    std::vector<std::string> lines;
    const std::regex drawn("\r([^\r\x1b]*)\x1b\\[K(?!\n)");
    for (auto it = std::sregex_iterator(terminal.begin(), terminal.end(), drawn);
         it != std::sregex_iterator(); ++it)
        lines.push_back((*it)[1].str());
    return lines;
}

// The summary lines: "\r" TEXT "\x1b[K\n".
std::vector<std::string> summaryLines(const std::string& terminal) {
    std::vector<std::string> lines;
    const std::regex summary("\r([^\r\x1b]*)\x1b\\[K\n");
    for (auto it = std::sregex_iterator(terminal.begin(), terminal.end(), summary);
         it != std::sregex_iterator(); ++it)
        lines.push_back((*it)[1].str());
    return lines;
}

// What is left of the terminal's bytes without the status and summary lines.
std::string withoutStatus(const std::string& terminal) {
    return std::regex_replace(terminal, std::regex("\r[^\r\x1b]*\x1b\\[K\n?"), "");
}

void makeSmallClip(const TempDir& dir, const std::string& name, int frames) {
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", std::to_string(frames), name});
}

}  // namespace

TEST(ProgressLine, OnATerminalStandardErrorShowsTheClipAndStandardOutputIsUnchanged) {
    TempDir dir;
    makeSmallClip(dir, "clip.RAW", 10);
    const std::vector<std::string> arguments = {"clip.RAW", "out_%d.dpx", "-i2", "-o9", "-s1"};

    // Without a terminal: nothing on standard error.
    const auto plain = runRaw2tvx(arguments, dir.path());
    ASSERT_EQ(0, plain.exitCode);
    EXPECT_EQ("clip.RAW\n64x32 10 frames 24.000 fps\n....\ndone\n", plain.out);
    EXPECT_EQ("", plain.err);

    // Frames 2, 4, 6 and 8: the first status line counts 4.
    const auto shown = runRaw2tvxOnTerminal(arguments, dir.path(), false);
    ASSERT_EQ(0, shown.exitCode);
    EXPECT_EQ(plain.out, shown.out);
    const std::vector<std::string> status = statusLines(shown.terminal);
    ASSERT_FALSE(status.empty()) << shown.terminal;
    EXPECT_EQ(0u, status.front().rfind("clip.RAW  frame 1 of 4", 0)) << status.front();
    for (const std::string& line : status)
        EXPECT_TRUE(std::regex_match(line, std::regex("clip\\.RAW  frame [1-4] of 4(  [0-9]+\\.[0-9] fps  "
                                                      "[0-9]+:[0-9][0-9]:[0-9][0-9] left)?")))
            << line;
    const std::vector<std::string> summaries = summaryLines(shown.terminal);
    ASSERT_EQ(1u, summaries.size()) << shown.terminal;
    EXPECT_TRUE(std::regex_match(summaries[0], std::regex("clip\\.RAW: 4 frames in [0-9]+\\.[0-9][0-9] s, "
                                                          "[0-9]+\\.[0-9] fps")))
        << summaries[0];
    // Nothing else reaches the terminal.
    EXPECT_EQ("", withoutStatus(shown.terminal));
}

// In a wildcard run the frame counter runs on from clip to clip, and with it
// the out point: the second clip has two frames to go.
TEST(ProgressLine, EveryClipOfAWildcardRunGetsItsCountAndASummary) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("clips"));
    makeSmallClip(dir, "clips/a.RAW", 5);
    makeSmallClip(dir, "clips/b.RAW", 5);
    const auto shown = runRaw2tvxOnTerminal({"clips/*.RAW", "*_%d.dpx", "-o7"}, dir.path(), false);
    ASSERT_EQ(0, shown.exitCode);
    EXPECT_EQ(
        "clips/a.RAW\n64x32 5 frames 24.000 fps\n.....\nclips/b.RAW\n64x32 5 frames 24.000 fps\n..\ndone\n",
        shown.out);
    const std::vector<std::string> summaries = summaryLines(shown.terminal);
    ASSERT_EQ(2u, summaries.size()) << shown.terminal;
    EXPECT_EQ(0u, summaries[0].rfind("a.RAW: 5 frames in ", 0)) << summaries[0];
    EXPECT_EQ(0u, summaries[1].rfind("b.RAW: 2 frames in ", 0)) << summaries[1];
    const std::string terminal = shown.terminal;
    EXPECT_NE(std::string::npos, terminal.find("\rb.RAW  frame 1 of 2")) << terminal;
}

// Standard output on the same terminal: its bytes all arrive, in order, between
// the status lines.
TEST(ProgressLine, MarksOnTheSameTerminalAllArriveBetweenTheStatusLines) {
    TempDir dir;
    makeSmallClip(dir, "clip.RAW", 12);
    const auto shared = runRaw2tvxOnTerminal({"clip.RAW", "out_%d.dpx"}, dir.path(), true);
    ASSERT_EQ(0, shared.exitCode);
    EXPECT_FALSE(statusLines(shared.terminal).empty()) << shared.terminal;
    EXPECT_EQ(1u, summaryLines(shared.terminal).size()) << shared.terminal;
    EXPECT_EQ("clip.RAW\n64x32 12 frames 24.000 fps\n............\ndone\n", withoutStatus(shared.terminal));
}

// -v prints a line per frame; on the same terminal those lines would run into
// a status line, so only the summary is shown. Apart from it, the status line
// is drawn as usual.
TEST(ProgressLine, VerboseLinesOnTheSameTerminalGetOnlyTheSummary) {
    TempDir dir;
    makeSmallClip(dir, "clip.RAW", 3);
    const auto shared = runRaw2tvxOnTerminal({"clip.RAW", "out_%d.dpx", "-v"}, dir.path(), true);
    ASSERT_EQ(0, shared.exitCode);
    EXPECT_TRUE(statusLines(shared.terminal).empty()) << shared.terminal;
    ASSERT_EQ(1u, summaryLines(shared.terminal).size()) << shared.terminal;
    const std::string rest = withoutStatus(shared.terminal);
    EXPECT_NE(std::string::npos, rest.find("export frame 0\nexport frame 1\nexport frame 2\n")) << rest;

    const auto apart = runRaw2tvxOnTerminal({"clip.RAW", "out_%d.dpx", "-v"}, dir.path(), false);
    ASSERT_EQ(0, apart.exitCode);
    EXPECT_FALSE(statusLines(apart.terminal).empty()) << apart.terminal;
    EXPECT_EQ(withoutStatus(shared.terminal), apart.out);
}
