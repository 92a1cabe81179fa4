#include "files/path_name.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/path.h"

namespace {

std::string fileNameA(const CPathName& path, std::size_t size) {
    std::string buffer(size, 'x');
    path.GetFileNameA(buffer.data(), size);
    return buffer;
}

std::string extensionA(const CPathName& path) {
    char buffer[260];
    path.GetExtensionA(buffer, sizeof buffer);
    return buffer;
}

std::string directoryA(const CPathName& path) {
    char buffer[260];
    path.GetDirectoryA(buffer, sizeof buffer);
    return buffer;
}

// An absolute path of exactly length bytes made of short components.
std::string absolutePathOfLength(std::size_t length) {
    std::string path;
    while (path.size() < length) {
        const std::size_t component = std::min<std::size_t>(200, length - path.size() - 1);
        path += "/" + std::string(component, 'p');
        if (component == 0) path.back() = 'q';
    }
    return path;
}

}  // namespace

TEST(PathName, RelativeNamesBecomeAbsoluteAndNormalised) {
    const std::string here = platform::currentDirectory();
    const CPathName relative("shots/a.dpx");
    EXPECT_EQ(0, relative.GetError());
    EXPECT_EQ(here + "/shots/a.dpx", std::string(relative.GetNarrow()));
    EXPECT_EQ(here + "/shots/a.dpx", relative.GetWide().native());

    const CPathName messy("/shots//day1/../a.dpx");
    EXPECT_EQ("/shots/a.dpx", std::string(messy.GetNarrow()));
    EXPECT_STREQ("a.dpx", fileNameA(messy, 260).c_str());
    EXPECT_EQ("dpx", extensionA(messy));
    EXPECT_EQ("/shots", directoryA(messy));
    EXPECT_EQ("/shots", messy.GetDirectoryW().native());
    EXPECT_EQ("a.dpx", messy.GetFileNameW().native());
    EXPECT_EQ("dpx", messy.GetExtensionW().native());

    const CPathName fromWide(std::filesystem::path("/out/./shot_0007.dpx"));
    EXPECT_EQ("/out/shot_0007.dpx", std::string(fromWide.GetNarrow()));
}

TEST(PathName, NarrowExtensionSearchesTheWholePathWideOnlyTheFileName) {
    const CPathName dotted("/dir.take2/frame");
    EXPECT_EQ("take2/frame", extensionA(dotted));
    EXPECT_TRUE(dotted.GetExtensionW().empty());
    EXPECT_EQ("frame", dotted.GetFileNameW().native());

    const CPathName plain("/dir/frame");
    EXPECT_EQ("/dir/frame", extensionA(plain));

    const CPathName directory("/dir/sub/");
    EXPECT_TRUE(directory.GetFileNameW().empty());
    EXPECT_TRUE(directory.GetExtensionW().empty());
    EXPECT_EQ("/dir/sub", directoryA(directory));
}

TEST(PathName, CopiesAreCutToSizeLessOneAndTerminated) {
    const std::string longName(120, 'n');
    const CPathName path("/out/" + longName);
    const std::string copied = fileNameA(path, 100);
    EXPECT_EQ(std::string(99, 'n'), copied.substr(0, 99));
    EXPECT_EQ('\0', copied[99]);

    // A short name is followed by zeros up to the size.
    const std::string shortCopy = fileNameA(CPathName("/out/a.dpx"), 12);
    EXPECT_EQ(std::string("a.dpx\0\0\0\0\0\0\0", 12), shortCopy);

    const std::string terminatorOnly = fileNameA(path, 1);
    EXPECT_EQ(std::string(1, '\0'), terminatorOnly);
    const std::string untouched = fileNameA(path, 0);
    EXPECT_TRUE(untouched.empty());
}

TEST(PathName, PathsReachingPathMaxAreRefused) {
    const std::string longest = absolutePathOfLength(4095);
    ASSERT_EQ(4095u, longest.size());
    const CPathName accepted(longest);
    EXPECT_EQ(0, accepted.GetError());
    EXPECT_EQ(longest, std::string(accepted.GetNarrow()));

    const std::string tooLong = absolutePathOfLength(4096);
    ASSERT_EQ(4096u, tooLong.size());
    const CPathName refused(tooLong);
    EXPECT_EQ(1, refused.GetError());
    EXPECT_EQ(nullptr, refused.GetNarrow());
    EXPECT_TRUE(refused.GetWide().empty());
    char directory[16];
    std::fill(std::begin(directory), std::end(directory), 'x');
    refused.GetDirectoryA(directory, sizeof directory);
    EXPECT_EQ(std::string(16, '\0'), std::string(directory, sizeof directory));
    EXPECT_EQ(std::string(8, '\0'), fileNameA(refused, 8));
}

TEST(PathName, EmptyNamesAndZeroBytesAreRefused) {
    EXPECT_EQ(1, CPathName("").GetError());
    EXPECT_EQ(1, CPathName(static_cast<const char*>(nullptr)).GetError());
    EXPECT_EQ(1, CPathName(std::string("a\0b.dpx", 7)).GetError());
    EXPECT_EQ(0, CPathName("/").GetError());
    EXPECT_TRUE(CPathName("/").GetFileNameW().empty());
}
