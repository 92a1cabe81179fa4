#include "platform/directory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temp_dir.h"

using testing_support::TempDir;
using testing_support::writeFileBytes;

TEST(Wildcard, MatchesStarsAndQuestionMarksIgnoringCase) {
    EXPECT_TRUE(platform::matchesWildcard("*.RAW", "M0001.raw"));
    EXPECT_TRUE(platform::matchesWildcard("M000?.RAW", "M0001.RAW"));
    EXPECT_TRUE(platform::matchesWildcard("*", ""));
    EXPECT_TRUE(platform::matchesWildcard("a*b*c", "aXXbYYbZc"));
    EXPECT_FALSE(platform::matchesWildcard("*.RAW", "M0001.R00"));
    EXPECT_FALSE(platform::matchesWildcard("M000?.RAW", "M00010.RAW"));
    EXPECT_FALSE(platform::matchesWildcard("a*b", "acbx"));
    // A '*' in the pattern is always a wildcard, even facing a '*' in the name.
    EXPECT_TRUE(platform::matchesWildcard("*x", "*ax"));
}

TEST(Listing, ReturnsRegularFilesSortedByNameWithSizes) {
    TempDir dir;
    writeFileBytes(dir.file("b.raw"), "12345");
    writeFileBytes(dir.file("A.RAW"), "1");
    writeFileBytes(dir.file("c.txt"), "");
    ASSERT_EQ(0, ::mkdir(dir.file("d.raw").c_str(), 0755));

    const auto entries = platform::listMatchingFiles(dir.path() + "/*.raw");
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ("A.RAW", entries[0].name);
    EXPECT_EQ(1u, entries[0].size);
    EXPECT_EQ("b.raw", entries[1].name);
    EXPECT_EQ(5u, entries[1].size);
    EXPECT_TRUE(platform::listMatchingFiles(dir.path() + "/*.dpx").empty());
    EXPECT_TRUE(platform::listMatchingFiles(dir.path() + "/missing/*.raw").empty());
}

TEST(Listing, FindsAFileByNameIgnoringCaseOnlyWhenTheExactNameIsMissing) {
    TempDir dir;
    writeFileBytes(dir.file("clip.raw"), "x");
    writeFileBytes(dir.file("clip.R00"), "x");
    EXPECT_EQ(dir.file("clip.raw"), platform::findFileIgnoringCase(dir.file("clip.RAW")));
    EXPECT_EQ(dir.file("clip.R00"), platform::findFileIgnoringCase(dir.file("clip.r00")));
    EXPECT_EQ(dir.file("clip.R01"), platform::findFileIgnoringCase(dir.file("clip.R01")));
    writeFileBytes(dir.file("clip.RAW"), "y");
    EXPECT_EQ(dir.file("clip.RAW"), platform::findFileIgnoringCase(dir.file("clip.RAW")));
}
