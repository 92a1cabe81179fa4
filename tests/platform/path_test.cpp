#include "platform/path.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "support/temp_dir.h"

TEST(AbsolutePath, JoinsRelativeNamesToTheCurrentDirectoryAndNormalises) {
    const std::string here = platform::currentDirectory();
    EXPECT_EQ(here + "/shots/a.dpx", platform::absolutePath("shots/a.dpx"));
    EXPECT_EQ(here + "/a.dpx", platform::absolutePath("./x/../a.dpx"));
    EXPECT_EQ("/a/c", platform::absolutePath("/a//b/../c"));
    EXPECT_EQ("/", platform::absolutePath("/.."));
    EXPECT_EQ("", platform::absolutePath(""));
}

TEST(SameFile, SeesThroughLinksAndRefusesMissingFiles) {
    testing_support::TempDir dir;
    testing_support::writeFileBytes(dir.file("a"), "x");
    testing_support::writeFileBytes(dir.file("b"), "x");
    ASSERT_EQ(0, ::symlink(dir.file("a").c_str(), dir.file("link").c_str()));
    EXPECT_TRUE(platform::sameFile(dir.file("a"), dir.file("link")));
    EXPECT_TRUE(platform::sameFile(dir.file("a"), dir.path() + "/./a"));
    EXPECT_FALSE(platform::sameFile(dir.file("a"), dir.file("b")));
    EXPECT_FALSE(platform::sameFile(dir.file("a"), dir.file("missing")));
}
