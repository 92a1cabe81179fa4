#include "raw/trailer_at_end.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

using testing_support::TempDir;
using testing_support::writeFileBytes;

namespace {

std::string trailerBytes(int width, int version) {
    std::string bytes(192, '\0');
    bytes.replace(0, 4, "RAWM");
    bytes[4] = static_cast<char>(width & 0xFF);
    bytes[5] = static_cast<char>(width >> 8);
    bytes[32] = static_cast<char>(version);
    return bytes;
}

TrailerAtEnd readFrom(const std::string& path) {
    platform::File file;
    EXPECT_TRUE(file.open(path, platform::File::Access::Read));
    return readTrailerAtEnd(file);
}

}  // namespace

TEST(TrailerAtEnd, FindsTheTrailerInTheLast192Bytes) {
    TempDir dir;
    writeFileBytes(dir.file("clip.RAW"), std::string(1000, 'x') + trailerBytes(1928, 1));
    const TrailerAtEnd found = readFrom(dir.file("clip.RAW"));
    EXPECT_FALSE(found.seekFailed);
    ASSERT_TRUE(found.trailer.has_value());
    EXPECT_EQ(1000, found.offset);
    EXPECT_EQ(1928, found.trailer->width);
    EXPECT_EQ(1, found.trailer->version);
}

TEST(TrailerAtEnd, AShortFileOrOneWithoutTheMagicHasNone) {
    TempDir dir;
    writeFileBytes(dir.file("short.RAW"), "RAWM" + std::string(100, '\1'));
    EXPECT_FALSE(readFrom(dir.file("short.RAW")).trailer.has_value());
    writeFileBytes(dir.file("plain.RAW"), std::string(400, 'x'));
    const TrailerAtEnd plain = readFrom(dir.file("plain.RAW"));
    EXPECT_FALSE(plain.trailer.has_value());
    EXPECT_FALSE(plain.seekFailed);
    writeFileBytes(dir.file("empty.RAW"), "");
    EXPECT_FALSE(readFrom(dir.file("empty.RAW")).trailer.has_value());
}
