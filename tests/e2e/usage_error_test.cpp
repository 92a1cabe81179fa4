#include <gtest/gtest.h>

#include "support/run_program.h"
#include "support/temp_dir.h"

// A log power or gamma the tone curve cannot use stops the run before any
// clip is looked at, with the switch named and exit code 2.
TEST(UsageError, UnusableCurveValuesAreRefusedWithExitCodeTwo) {
    testing_support::TempDir dir;
    struct Case {
        std::string argument;
        std::string expectedText;
    };
    for (const Case& refused : {Case{"-l1", "-l1: log power 1 "}, Case{"-l0", "-l0: log power 0 "},
                                Case{"-l-3", "-l-3: log power -3 "}, Case{"-g0", "-g0: gamma 0 "}}) {
        const auto result = testing_support::runRaw2tvx({"x.RAW", "out.dpx", refused.argument}, dir.path());
        EXPECT_FALSE(result.signalled);
        EXPECT_EQ(2, result.exitCode) << refused.argument;
        EXPECT_EQ("", result.out);
        EXPECT_EQ(0u, result.err.find("raw2tvx: " + refused.expectedText)) << result.err;
        EXPECT_EQ('\n', result.err.back());
    }
}

TEST(UsageError, MetadataEchoedBeforeTheRefusedSwitchStaysInTheOutput) {
    testing_support::TempDir dir;
    const auto result =
        testing_support::runRaw2tvx({"x.RAW", "out.avi", "+TIMB=24", "-g1", "-l"}, dir.path());
    EXPECT_EQ(2, result.exitCode);
    EXPECT_EQ("add TIMB = 24 (int)\n", result.out);
    EXPECT_EQ(0u, result.err.find("raw2tvx: -l: log power 1 ")) << result.err;
}
