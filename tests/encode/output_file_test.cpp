#include "encode/output_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

namespace {

OutputFile chosen(const std::string& name) {
    OutputFile file;
    EXPECT_EQ(S_OK, chooseOutputFile(name, &file)) << name;
    return file;
}

}  // namespace

TEST(OutputFile, MovAndAviNamesAreKeptWhateverTheirCase) {
    EXPECT_EQ(ContainerKind::Mov, chosen("/out/clip.MOV").container);
    EXPECT_EQ("/out/clip.MOV", chosen("/out/clip.MOV").path);
    EXPECT_EQ(ContainerKind::Mov, chosen("clip.mov").container);
    EXPECT_EQ(ContainerKind::Avi, chosen("clip.Avi").container);
    EXPECT_EQ("clip.Avi", chosen("clip.Avi").path);
}

TEST(OutputFile, ANameWithoutExtensionBecomesAnAvi) {
    EXPECT_EQ(ContainerKind::Avi, chosen("/out/clip").container);
    EXPECT_EQ("/out/clip.avi", chosen("/out/clip").path);
    // A dot in a directory name is no extension.
    EXPECT_EQ("/out/take.2/clip.avi", chosen("/out/take.2/clip").path);
}

TEST(OutputFile, AnyOtherExtensionGetsAviAfterIt) {
    EXPECT_EQ(ContainerKind::Avi, chosen("x.mp4").container);
    EXPECT_EQ("x.mp4.avi", chosen("x.mp4").path);
    EXPECT_EQ("/out/clip.movie.avi", chosen("/out/clip.movie").path);
}

TEST(OutputFile, EmptyAndOverlongNamesAreRefused) {
    OutputFile file;
    EXPECT_EQ(E_INVALIDARG, chooseOutputFile("", &file));
    // 4091 characters plus ".avi" make 4095, the most taken.
    EXPECT_EQ(S_OK, chooseOutputFile(std::string(4091, 'a'), &file));
    EXPECT_EQ(4095u, file.path.size());
    const HRESULT tooLong = chooseOutputFile(std::string(4092, 'a'), &file);
    EXPECT_TRUE(failed(tooLong));
    EXPECT_EQ(ENAMETOOLONG, errnoFromHresult(tooLong));
}
