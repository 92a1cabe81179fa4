// --plan says what a run will write, and the run writes exactly that;
// --clip-index runs put together write what one run writes; --first-number,
// --skip-existing and --no-clobber do what they say.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "e2e/e2e_clips.h"

using namespace e2e;
using testing_support::readFileBytes;
using testing_support::runProgram;
using testing_support::runRaw2tvx;
using testing_support::TempDir;

namespace {

void makeCard(const TempDir& dir) {
    std::filesystem::create_directory(dir.file("card"));
    for (int clip = 1; clip <= 3; ++clip)
        makeClip(dir, {"--width", "64", "--height", "32", "--frames", std::to_string(2 + clip), "--seed",
                       std::to_string(clip), "card/C00" + std::to_string(clip) + ".RAW"});
}

// The value of every "key": "value" line of the plan for a key, in order.
std::vector<std::string> valuesOf(const std::string& plan, const std::string& key) {
    std::vector<std::string> values;
    const std::string start = "\"" + key + "\": ";
    for (std::size_t at = plan.find(start); at != std::string::npos; at = plan.find(start, at + 1)) {
        const std::size_t begin = at + start.size();
        std::string value = plan.substr(begin, plan.find('\n', begin) - begin);
        if (!value.empty() && value.back() == ',') value.pop_back();
        if (value.size() >= 2 && value.front() == '"') value = value.substr(1, value.size() - 2);
        values.push_back(value);
    }
    return values;
}

bool parsesAsJson(const std::string& text, const TempDir& dir) {
    testing_support::writeFileBytes(dir.file("plan.json"), text);
    return runProgram({"/usr/bin/python3", "-m", "json.tool", dir.file("plan.json")}).exitCode == 0;
}

std::set<std::string> filesIn(const std::string& directory) {
    const std::vector<std::string> names = directoryNames(directory);
    return {names.begin(), names.end()};
}

}  // namespace

TEST(Plan, SaysWhatTheRunWritesAndTheClipRunsWriteTheSame) {
    if (::access("/usr/bin/python3", X_OK) != 0) GTEST_SKIP() << "python3 is needed to read the JSON";
    TempDir dir;
    makeCard(dir);
    // -i1 -s1 -o6: the out point counts the run's frames, across the clips.
    const std::vector<std::string> run = {"card/*.RAW", "whole/*_%03d.dpx", "-i1", "-s1", "-o6"};
    std::vector<std::string> plan = run;
    plan.push_back("--plan");
    const auto planned = runRaw2tvx(plan, dir.path());
    ASSERT_EQ(0, planned.exitCode) << planned.err;
    EXPECT_TRUE(parsesAsJson(planned.out, dir)) << planned.out;
    EXPECT_EQ(0u, planned.out.find("{\n  \"clipCount\": 3,\n")) << planned.out;
    // C001 (3 frames): 1; C002 (4): 1, 3 (counter 2 and 4); C003 (5): 1 (counter 6 >= the out point).
    EXPECT_EQ((std::vector<std::string>{"1", "2", "1"}), valuesOf(planned.out, "frames"));
    EXPECT_EQ((std::vector<std::string>{"whole/C001_001.dpx", "whole/C002_003.dpx", "whole/C003_007.dpx"}),
              valuesOf(planned.out, "firstFile"));
    EXPECT_EQ((std::vector<std::string>{"whole/C001_001.dpx", "whole/C002_005.dpx", "whole/C003_007.dpx"}),
              valuesOf(planned.out, "lastFile"));

    std::filesystem::create_directory(dir.file("whole"));
    ASSERT_EQ(0, runRaw2tvx(run, dir.path()).exitCode);
    EXPECT_EQ((std::set<std::string>{"C001_001.dpx", "C002_003.dpx", "C002_005.dpx", "C003_007.dpx"}),
              filesIn(dir.file("whole")));

    // The same run as three tasks, in any order.
    std::filesystem::create_directory(dir.file("split"));
    for (const char* index : {"2", "0", "1"}) {
        const auto task = runRaw2tvx(
            {"card/*.RAW", "split/*_%03d.dpx", "-i1", "-s1", "-o6", std::string("--clip-index=") + index},
            dir.path());
        ASSERT_EQ(0, task.exitCode) << index << task.err;
    }
    EXPECT_EQ(filesIn(dir.file("whole")), filesIn(dir.file("split")));
    for (const std::string& name : filesIn(dir.file("whole")))
        EXPECT_EQ(readFileBytes(dir.file("whole/" + name)), readFileBytes(dir.file("split/" + name))) << name;

    // The plan's exit code is the run's: a wildcard that matches nothing is 5.
    const auto none = runRaw2tvx({"empty/*.RAW", "out/*.mov", "--plan"}, dir.path());
    EXPECT_EQ(kNoMatchStatus, none.exitCode);
    const auto beyond = runRaw2tvx({"card/*.RAW", "out/*.mov", "--clip-index=3"}, dir.path());
    EXPECT_EQ(kUsageStatus, beyond.exitCode);
    EXPECT_EQ("raw2tvx: --clip-index=3: the run has 3 clips, numbered from 0\n", beyond.err);
}

TEST(Plan, FirstNumberSkipExistingAndNoClobber) {
    TempDir dir;
    makeCard(dir);
    std::filesystem::create_directory(dir.file("out"));
    ASSERT_EQ(0, runRaw2tvx({"card/*.RAW", "out/*_%03d.dpx", "--first-number=100"}, dir.path()).exitCode);
    EXPECT_EQ((std::set<std::string>{"C001_100.dpx", "C001_101.dpx", "C001_102.dpx", "C002_103.dpx",
                                     "C002_104.dpx", "C002_105.dpx", "C002_106.dpx", "C003_107.dpx",
                                     "C003_108.dpx", "C003_109.dpx", "C003_110.dpx", "C003_111.dpx"}),
              filesIn(dir.file("out")));
    ASSERT_EQ(
        0,
        runRaw2tvx({"card/C001.RAW", "card/C002.RAW", "m%d.mov", "--first-number=7"}, dir.path()).exitCode);
    EXPECT_TRUE(fileExists(dir.file("m7.mov")));
    EXPECT_TRUE(fileExists(dir.file("m10.mov")));  // 7 + C001's three frames

    // A clip whose files are all there is passed over; one with a file
    // missing is converted again, to the same bytes.
    const std::string kept = readFileBytes(dir.file("out/C002_104.dpx"));
    std::filesystem::remove(dir.file("out/C002_104.dpx"));
    const auto again =
        runRaw2tvx({"card/*.RAW", "out/*_%03d.dpx", "--first-number=100", "--skip-existing"}, dir.path());
    ASSERT_EQ(0, again.exitCode) << again.err;
    EXPECT_EQ("card/C002.RAW\n64x32 4 frames 24.000 fps\n....\n\ndone\n",
              again.out.substr(again.out.find("card/C002")));
    EXPECT_EQ(
        "raw2tvx: card/C001.RAW: passed over: its outputs are all there\n"
        "raw2tvx: card/C003.RAW: passed over: its outputs are all there\n"
        "raw2tvx: 1 clip converted, 2 passed over; 4 frames written\n",
        again.err);
    EXPECT_EQ(kept, readFileBytes(dir.file("out/C002_104.dpx")));

    // --no-clobber refuses before anything is written.
    std::filesystem::remove(dir.file("out/C003_111.dpx"));
    const auto refused =
        runRaw2tvx({"card/*.RAW", "out/*_%03d.dpx", "--first-number=100", "--no-clobber"}, dir.path());
    EXPECT_EQ(kUsageStatus, refused.exitCode);
    EXPECT_EQ("raw2tvx: out/C001_100.dpx is there already, and --no-clobber keeps it: nothing was written\n",
              refused.err);
    EXPECT_FALSE(fileExists(dir.file("out/C003_111.dpx")));
    const auto fresh = runRaw2tvx({"card/C003.RAW", "fresh_%d.dpx", "--no-clobber"}, dir.path());
    EXPECT_EQ(0, fresh.exitCode) << fresh.err;
}
