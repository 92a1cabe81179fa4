#include <gtest/gtest.h>

#include "support/run_program.h"
#include "support/temp_dir.h"

// The help text goes out word for word, with the 14 backspaces that erase the
// "---- more ----" prompt; standard input is not a terminal, so nothing waits.
TEST(Help, TooFewArgumentsPrintTheHelpTextAndEndWithCodeOne) {
    const std::string golden = testing_support::readFileBytes(std::string(TEST_DATA_DIR) + "/help.golden");
    ASSERT_FALSE(golden.empty());
    for (const auto& arguments : {std::vector<std::string>{}, std::vector<std::string>{"clip.RAW"},
                                  std::vector<std::string>{"-l1"}}) {
        const auto result = testing_support::runRaw2tvx(arguments);
        EXPECT_FALSE(result.signalled);
        EXPECT_EQ(1, result.exitCode);
        EXPECT_EQ(golden, result.out);
        EXPECT_EQ("", result.err);
    }
}
