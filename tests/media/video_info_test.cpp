#include "media/video_info.h"

#include <gtest/gtest.h>

#include <vector>

#include "media/known_ids.h"

namespace {

VideoInfoHeader sampleHeader() {
    VideoInfoHeader header;
    header.source = {1, 2, 3, 4};
    header.target = {5, 6, 7, -8};
    header.bitRate = 0x01020304;
    header.bitErrorRate = 0x05060708;
    header.avgTimePerFrame = 0x1122334455667788;
    header.bitmap.width = 1920;
    header.bitmap.height = 1080;
    header.bitmap.planes = 1;
    header.bitmap.bitCount = 48;
    header.bitmap.compression = 0x38344752;  // "RG48"
    header.bitmap.sizeImage = 12441600;
    header.bitmap.xPelsPerMeter = 11;
    header.bitmap.yPelsPerMeter = 12;
    header.bitmap.clrUsed = 13;
    header.bitmap.clrImportant = 14;
    return header;
}

std::vector<std::uint8_t> le32(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

std::vector<std::uint8_t> bytesAt(const std::vector<std::uint8_t>& block, std::size_t offset,
                                  std::size_t count) {
    return std::vector<std::uint8_t>(block.begin() + static_cast<std::ptrdiff_t>(offset),
                                     block.begin() + static_cast<std::ptrdiff_t>(offset + count));
}

}  // namespace

TEST(VideoInfo, FieldsSitAtTheirLittleEndianOffsets) {
    const std::vector<std::uint8_t> block = makeVideoInfo(sampleHeader());
    ASSERT_EQ(1128u, block.size());
    EXPECT_EQ(le32(1), bytesAt(block, 0, 4));
    EXPECT_EQ(le32(4), bytesAt(block, 12, 4));
    EXPECT_EQ(le32(5), bytesAt(block, 16, 4));
    EXPECT_EQ(le32(static_cast<std::uint32_t>(-8)), bytesAt(block, 28, 4));
    EXPECT_EQ(le32(0x01020304), bytesAt(block, 32, 4));
    EXPECT_EQ(le32(0x05060708), bytesAt(block, 36, 4));
    EXPECT_EQ((std::vector<std::uint8_t>{0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11}),
              bytesAt(block, 40, 8));
    EXPECT_EQ(le32(40), bytesAt(block, 48, 4));
    EXPECT_EQ(le32(1920), bytesAt(block, 52, 4));
    EXPECT_EQ(le32(1080), bytesAt(block, 56, 4));
    EXPECT_EQ((std::vector<std::uint8_t>{1, 0, 48, 0}), bytesAt(block, 60, 4));
    EXPECT_EQ((std::vector<std::uint8_t>{'R', 'G', '4', '8'}), bytesAt(block, 64, 4));
    EXPECT_EQ(le32(12441600), bytesAt(block, 68, 4));
    EXPECT_EQ(le32(11), bytesAt(block, 72, 4));
    EXPECT_EQ(le32(12), bytesAt(block, 76, 4));
    EXPECT_EQ(le32(13), bytesAt(block, 80, 4));
    EXPECT_EQ(le32(14), bytesAt(block, 84, 4));
    for (std::size_t offset = 88; offset < block.size(); ++offset) ASSERT_EQ(0, block[offset]) << offset;
}

TEST(VideoInfo, ReadsBackWhatItWrote) {
    const std::vector<std::uint8_t> block = makeVideoInfo(sampleHeader());
    const std::optional<VideoInfoHeader> header = readVideoInfoHeader(block);
    ASSERT_TRUE(header);
    EXPECT_EQ(-8, header->target.bottom);
    EXPECT_EQ(0x1122334455667788, header->avgTimePerFrame);
    EXPECT_EQ(48, header->bitmap.bitCount);
    EXPECT_EQ(12441600u, header->bitmap.sizeImage);
    EXPECT_EQ(14u, header->bitmap.clrImportant);
}

TEST(VideoInfo, AShortBlockIsNotRead) {
    std::vector<std::uint8_t> block = makeVideoInfo(sampleHeader());
    block.resize(87);
    EXPECT_FALSE(readVideoInfoHeader(block));
    MediaType type;
    type.formatType = FORMAT_VideoInfo;
    type.format = block;
    EXPECT_FALSE(readBitmapHeaderOfType(type));
    EXPECT_FALSE(readBitmapInfoHeader(block, 200));
}

TEST(VideoInfo, EachFormatTypeHasItsBitmapHeaderOffset) {
    MediaType type;
    type.formatType = FORMAT_VideoInfo;
    type.format = makeVideoInfo(sampleHeader());
    ASSERT_TRUE(readBitmapHeaderOfType(type));
    EXPECT_EQ(1920, readBitmapHeaderOfType(type)->width);

    // A VIDEOINFOHEADER2 carries its bitmap header at byte 72 of 112.
    type.formatType = FORMAT_VideoInfo2;
    type.format.assign(112, 0);
    const std::vector<std::uint8_t> size = le32(777);
    std::copy(size.begin(), size.end(), type.format.begin() + 72 + 20);
    ASSERT_TRUE(readBitmapHeaderOfType(type));
    EXPECT_EQ(777u, readBitmapHeaderOfType(type)->sizeImage);
    type.format.resize(111);
    EXPECT_FALSE(readBitmapHeaderOfType(type));

    type.formatType = FORMAT_None;
    type.format.assign(1128, 0);
    EXPECT_FALSE(readBitmapHeaderOfType(type));
}
