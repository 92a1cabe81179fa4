#include "app/cli/path_kind.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/path.h"
#include "support/temp_dir.h"

TEST(ClassifyPath, ComparesTheLastExtensionWithoutRegardToCase) {
    EXPECT_EQ(PathKind::Raw, classifyPath("/clips/M00000004.RAW"));
    EXPECT_EQ(PathKind::Raw, classifyPath("/clips/m.raw"));
    EXPECT_EQ(PathKind::Raw, classifyPath("/clips/M.R00"));
    EXPECT_EQ(PathKind::Other, classifyPath("/clips/M.R01"));
    EXPECT_EQ(PathKind::Avi, classifyPath("/out/new.AVI"));
    EXPECT_EQ(PathKind::Mov, classifyPath("/out/new.MoV"));
    EXPECT_EQ(PathKind::Dpx, classifyPath("/out/frame%05d.dpx"));
    EXPECT_EQ(PathKind::Other, classifyPath("/out/new.avi.bak"));
    EXPECT_EQ(PathKind::Other, classifyPath("/out/new.avix"));
    EXPECT_EQ(PathKind::Avi, classifyPath("/out/.avi"));
    EXPECT_EQ(PathKind::Other, classifyPath("/out/noextension"));
    EXPECT_EQ(PathKind::Other, classifyPath(""));
    EXPECT_EQ(PathKind::Raw, classifyPath("/a/shots.v2/../clip.raw"));
}

TEST(ClassifyPath, ADotInADirectoryNameGivesNoKnownKind) {
    EXPECT_EQ(PathKind::Other, classifyPath("/work/dir.avi/clip"));

    // A relative argument is judged by its absolute path, so the directory
    // it lies in counts when the argument has no dot of its own.
    testing_support::TempDir dir;
    const std::string dotted = dir.file("shots.avi");
    ASSERT_EQ(0, ::mkdir(dotted.c_str(), 0755));
    const std::string previous = platform::currentDirectory();
    ASSERT_EQ(0, ::chdir(dotted.c_str()));
    const PathKind bare = classifyPath("clip");
    const PathKind withExtension = classifyPath("clip.RAW");
    const PathKind upward = classifyPath("../clip.mov");
    ASSERT_EQ(0, ::chdir(previous.c_str()));
    EXPECT_EQ(PathKind::Other, bare);
    EXPECT_EQ(PathKind::Raw, withExtension);
    EXPECT_EQ(PathKind::Mov, upward);
}
