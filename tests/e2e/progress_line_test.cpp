// The status line for a person at a terminal: on standard error, only when
// that is a terminal, rewritten in place ("\r" ... erase to the end of the
// line), with a summary line after each clip; standard output keeps its bytes.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
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

// The lines drawn on the terminal: "\r" TEXT "\x1b[K", then a line feed for
// the summary lines that stay, none for the status lines that are rewritten.
struct DrawnLines {
    std::vector<std::string> status;
    std::vector<std::string> summaries;
    std::string rest;  // every other byte, in order
};

DrawnLines drawnLines(const std::string& terminal) {
    DrawnLines lines;
    std::size_t at = 0;
    while (at < terminal.size()) {
        const std::size_t start = terminal.find('\r', at);
        const std::size_t erase = start == std::string::npos ? start : terminal.find("\x1b[K", start);
        if (erase == std::string::npos) {
            lines.rest += terminal.substr(at);
            break;
        }
        lines.rest += terminal.substr(at, start - at);
        const std::string text = terminal.substr(start + 1, erase - start - 1);
        at = erase + 3;
        if (at < terminal.size() && terminal[at] == '\n') {
            lines.summaries.push_back(text);
            ++at;
        } else {
            lines.status.push_back(text);
        }
    }
    return lines;
}

// True when text has the shape, where each '#' stands for one or more digits.
bool hasShape(const std::string& text, const std::string& shape) {
    std::size_t at = 0;
    for (char want : shape) {
        if (want != '#') {
            if (at >= text.size() || text[at] != want) return false;
            ++at;
            continue;
        }
        const std::size_t digits = at;
        while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) ++at;
        if (at == digits) return false;
    }
    return at == text.size();
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
    const DrawnLines lines = drawnLines(shown.terminal);
    ASSERT_FALSE(lines.status.empty()) << shown.terminal;
    EXPECT_EQ(0u, lines.status.front().rfind("clip.RAW  frame 1 of 4", 0)) << lines.status.front();
    for (const std::string& line : lines.status)
        EXPECT_TRUE(hasShape(line, "clip.RAW  frame # of 4  #.# fps  #:#:# left")) << line;
    ASSERT_EQ(1u, lines.summaries.size()) << shown.terminal;
    EXPECT_TRUE(hasShape(lines.summaries[0], "clip.RAW: 4 frames in #.# s, #.# fps")) << lines.summaries[0];
    // Nothing else reaches the terminal.
    EXPECT_EQ("", lines.rest);
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
    const std::vector<std::string> summaries = drawnLines(shown.terminal).summaries;
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
    const DrawnLines lines = drawnLines(shared.terminal);
    EXPECT_FALSE(lines.status.empty()) << shared.terminal;
    EXPECT_EQ(1u, lines.summaries.size()) << shared.terminal;
    EXPECT_EQ("clip.RAW\n64x32 12 frames 24.000 fps\n............\ndone\n", lines.rest);
}

// -v prints a line per frame; on the same terminal those lines would run into
// a status line, so only the summary is shown. Apart from it, the status line
// is drawn as usual.
TEST(ProgressLine, VerboseLinesOnTheSameTerminalGetOnlyTheSummary) {
    TempDir dir;
    makeSmallClip(dir, "clip.RAW", 3);
    const auto shared = runRaw2tvxOnTerminal({"clip.RAW", "out_%d.dpx", "-v"}, dir.path(), true);
    ASSERT_EQ(0, shared.exitCode);
    const DrawnLines lines = drawnLines(shared.terminal);
    EXPECT_TRUE(lines.status.empty()) << shared.terminal;
    ASSERT_EQ(1u, lines.summaries.size()) << shared.terminal;
    EXPECT_NE(std::string::npos, lines.rest.find("export frame 0\nexport frame 1\nexport frame 2\n"))
        << lines.rest;

    const auto apart = runRaw2tvxOnTerminal({"clip.RAW", "out_%d.dpx", "-v"}, dir.path(), false);
    ASSERT_EQ(0, apart.exitCode);
    EXPECT_FALSE(drawnLines(apart.terminal).status.empty()) << apart.terminal;
    EXPECT_EQ(lines.rest, apart.out);
}
