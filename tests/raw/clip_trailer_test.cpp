#include "raw/clip_trailer.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

namespace {

// Trailer bytes laid out by hand, little-endian, independent of the parser.
struct TrailerBytes {
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(192, 0);
    TrailerBytes() {
        bytes[0] = 'R';
        bytes[1] = 'A';
        bytes[2] = 'W';
        bytes[3] = 'M';
    }
    void put16(std::size_t offset, std::uint32_t value) {
        bytes[offset] = static_cast<std::uint8_t>(value);
        bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
    }
    void put32(std::size_t offset, std::uint32_t value) {
        put16(offset, value & 0xFFFF);
        put16(offset + 2, value >> 16);
    }
};

TrailerBytes typicalTrailer() {
    TrailerBytes t;
    t.put16(4, 1920);
    t.put16(6, 1080);
    t.put32(8, 3628800);
    t.put32(12, 250);
    t.put32(20, 23976);
    t.put32(32, 1);
    t.put32(40, 1080);
    t.put32(44, 1920);
    t.put32(48, 3360);
    t.put32(52, 3628800);
    t.put32(56, 14);
    t.put32(60, 2048);
    t.put32(64, 15000);
    t.put32(68, 8);
    t.put32(72, 4);
    t.put32(76, 1904);
    t.put32(80, 1070);
    t.put32(84, 5);
    t.put32(88, 9);
    t.put32(92, 1060);
    t.put32(96, 1900);
    for (std::uint32_t entry = 0; entry < 18; ++entry)
        t.put32(116 + 4 * entry, entry % 2 ? 10000 : 1000 * entry);
    t.put32(116, 0xFFFFFD81);  // -639
    return t;
}

}  // namespace

TEST(ClipTrailer, ParsesEveryFieldLittleEndian) {
    const auto trailer = parseRawClipTrailer(typicalTrailer().bytes);
    ASSERT_TRUE(trailer.has_value());
    EXPECT_EQ(1920, trailer->width);
    EXPECT_EQ(1080, trailer->height);
    EXPECT_EQ(3628800u, trailer->frameBytes);
    EXPECT_EQ(250u, trailer->frameCount);
    EXPECT_EQ(23976u, trailer->frameRateMilli);
    EXPECT_EQ(1, trailer->version);
    EXPECT_EQ(1080, trailer->heightCopy);
    EXPECT_EQ(1920, trailer->widthCopy);
    EXPECT_EQ(3360, trailer->packedRowBytes);
    EXPECT_EQ(3628800, trailer->frameBytesCopy);
    EXPECT_EQ(14, trailer->packing);
    EXPECT_EQ(2048, trailer->blackLevel);
    EXPECT_EQ(15000, trailer->whiteLevel);
    EXPECT_EQ(8, trailer->rect1Left);
    EXPECT_EQ(4, trailer->rect1Top);
    EXPECT_EQ(1904, trailer->rect1Width);
    EXPECT_EQ(1070, trailer->rect1Height);
    EXPECT_EQ(5, trailer->rect2Top);
    EXPECT_EQ(9, trailer->rect2Left);
    EXPECT_EQ(1060, trailer->rect2Height);
    EXPECT_EQ(1900, trailer->rect2Width);
    EXPECT_EQ(-639, trailer->cameraMatrix[0]);
    EXPECT_EQ(10000, trailer->cameraMatrix[1]);
    EXPECT_EQ(16000, trailer->cameraMatrix[16]);
    EXPECT_EQ(10000, trailer->cameraMatrix[17]);
}

TEST(ClipTrailer, RefusesWrongMagicAndWrongSizes) {
    TrailerBytes badMagic = typicalTrailer();
    badMagic.bytes[3] = 'X';
    EXPECT_FALSE(parseRawClipTrailer(badMagic.bytes).has_value());
    std::vector<std::uint8_t> shortView = typicalTrailer().bytes;
    shortView.resize(191);
    EXPECT_FALSE(parseRawClipTrailer(shortView).has_value());
    EXPECT_FALSE(parseRawClipTrailer({}).has_value());
    std::vector<std::uint8_t> longView = typicalTrailer().bytes;
    longView.push_back(0);
    EXPECT_FALSE(parseRawClipTrailer(longView).has_value());
}

TEST(ClipTrailer, NormalisesOnlyTheCopiesThatDiffer) {
    // Matching copies: only the frame bytes copy follows offset 8.
    TrailerBytes same = typicalTrailer();
    same.put32(52, 7);
    auto trailer = *parseRawClipTrailer(same.bytes);
    normalizeGeometryCopies(trailer);
    EXPECT_EQ(3628800, trailer.frameBytesCopy);
    EXPECT_EQ(8, trailer.rect1Left);
    EXPECT_EQ(1904, trailer.rect1Width);
    EXPECT_EQ(4, trailer.rect1Top);
    EXPECT_EQ(1060, trailer.rect2Height);

    // Width copy differs: 44, 76, 96 become the width, 48 = 14 * 1920 / 8 = 3360, 68 and 88 become 0.
    TrailerBytes wide = typicalTrailer();
    wide.put32(44, 1928);
    wide.put32(48, 1);
    trailer = *parseRawClipTrailer(wide.bytes);
    normalizeGeometryCopies(trailer);
    EXPECT_EQ(1920, trailer.widthCopy);
    EXPECT_EQ(1920, trailer.rect1Width);
    EXPECT_EQ(1920, trailer.rect2Width);
    EXPECT_EQ(3360, trailer.packedRowBytes);
    EXPECT_EQ(0, trailer.rect1Left);
    EXPECT_EQ(0, trailer.rect2Left);
    EXPECT_EQ(4, trailer.rect1Top);  // heights untouched
    EXPECT_EQ(1070, trailer.rect1Height);

    // Height copy differs: 40, 80, 92 become the height, 72 and 84 become 0.
    TrailerBytes tall = typicalTrailer();
    tall.put32(40, 0);
    trailer = *parseRawClipTrailer(tall.bytes);
    normalizeGeometryCopies(trailer);
    EXPECT_EQ(1080, trailer.heightCopy);
    EXPECT_EQ(1080, trailer.rect1Height);
    EXPECT_EQ(1080, trailer.rect2Height);
    EXPECT_EQ(0, trailer.rect1Top);
    EXPECT_EQ(0, trailer.rect2Top);
    EXPECT_EQ(8, trailer.rect1Left);  // widths untouched
    EXPECT_EQ(1904, trailer.rect1Width);

    // 14 * 1921 / 8 = 3361.75, truncated.
    TrailerBytes odd = typicalTrailer();
    odd.put16(4, 1921);
    trailer = *parseRawClipTrailer(odd.bytes);
    normalizeGeometryCopies(trailer);
    EXPECT_EQ(3361, trailer.packedRowBytes);
}

TEST(ClipTrailer, NamesTheFieldThatCannotDescribeAReadableClip) {
    auto check = [](TrailerBytes bytes) {
        return findTrailerProblem(*parseRawClipTrailer(bytes.bytes)).field;
    };
    EXPECT_EQ(TrailerField::None, check(typicalTrailer()));

    TrailerBytes t = typicalTrailer();
    t.put16(4, 0);
    EXPECT_EQ(TrailerField::FrameWidth, check(t));
    t = typicalTrailer();
    t.put16(6, 0);
    EXPECT_EQ(TrailerField::FrameHeight, check(t));
    t = typicalTrailer();
    t.put16(4, 1924);  // a multiple of 4, not of 8
    t.put32(8, 4000000);
    EXPECT_EQ(TrailerField::FrameWidth, check(t));
    t.put32(56, 12);  // 1924 x 1080 x 5 / 4 = 2597400 bytes
    EXPECT_EQ(TrailerField::None, check(t));
    t.put16(4, 1922);
    EXPECT_EQ(TrailerField::FrameWidth, check(t));
    t = typicalTrailer();
    t.put32(8, 3628799);  // 1920 x 1080 x 14 / 8 = 3628800
    EXPECT_EQ(TrailerField::FrameBytes, check(t));
    t.put32(56, 12);  // 2592000 bytes suffice for packing 12
    EXPECT_EQ(TrailerField::None, check(t));
    t.put32(8, 2591999);
    EXPECT_EQ(TrailerField::FrameBytes, check(t));
    t.put32(56, 7);  // an unknown packing would leave every frame unwritten
    EXPECT_EQ(TrailerField::Packing, check(t));
    t = typicalTrailer();
    t.put32(8, (1u << 30) + 1);
    EXPECT_EQ(TrailerField::FrameBytes, check(t));
    t.put32(8, 1u << 30);
    EXPECT_EQ(TrailerField::None, check(t));

    // Plain 16-bit frames: 1922 x 1080 x 2 = 4151520 bytes need no packing rule.
    t = typicalTrailer();
    t.put16(4, 1922);
    t.put32(8, 4151520);
    EXPECT_EQ(TrailerField::None, check(t));
    // 65535 x 65535 x 2 bytes of unpacked frame exceed 1 GiB whatever the stream holds.
    t.put16(4, 65535);
    t.put16(6, 65535);
    t.put32(8, 100);
    t.put32(56, 7);
    EXPECT_EQ(TrailerField::FrameArea, check(t));
}

TEST(ClipTrailer, FieldNamesAndValuesForMessages) {
    TrailerBytes t = typicalTrailer();
    t.put16(4, 1922);
    const auto trailer = *parseRawClipTrailer(t.bytes);
    const TrailerProblem problem = findTrailerProblem(trailer);
    ASSERT_TRUE(problem);
    EXPECT_STREQ("frame width (offset 4)", trailerFieldName(problem.field));
    EXPECT_EQ(1922u, trailerFieldValue(trailer, problem.field));
    EXPECT_STREQ("packing 14 needs a width that is a multiple of 8", problem.reason);
    EXPECT_STREQ("frame bytes (offset 8)", trailerFieldName(TrailerField::FrameBytes));
    EXPECT_EQ(3628800u, trailerFieldValue(trailer, TrailerField::FrameBytes));
}
