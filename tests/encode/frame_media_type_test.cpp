#include "encode/frame_media_type.h"

#include <gtest/gtest.h>

#include <vector>

#include "media/known_ids.h"
#include "media/video_info.h"

namespace {

FrameFormat format(std::int32_t width, std::int32_t height, bool rgb444, bool raw, float rate = 24.0f) {
    FrameFormat frame;
    frame.width = width;
    frame.height = height;
    frame.rgb444 = rgb444;
    frame.raw = raw;
    frame.frameRate = rate;
    return frame;
}

MediaType offered(const FrameFormat& frame) {
    MediaType type;
    EXPECT_EQ(S_OK, makeFrameMediaType(frame, &type));
    return type;
}

void putLE(std::vector<std::uint8_t>& block, std::size_t offset, std::uint64_t value, int bytes) {
    for (int index = 0; index < bytes; ++index)
        block[offset + static_cast<std::size_t>(index)] = static_cast<std::uint8_t>(value >> (8 * index));
}

}  // namespace

TEST(FrameMediaType, RawFramesAreOfferedAsBayerSamplesInAVideoInfo) {
    const MediaType type = offered(format(1920, 1080, false, true, 24.0f));
    EXPECT_EQ(MEDIATYPE_Video, type.majorType);
    EXPECT_EQ(makeGuid("{34525942-0000-0010-8000-00AA00389B71}"), type.subtype);
    EXPECT_EQ(FORMAT_VideoInfo, type.formatType);
    EXPECT_TRUE(type.fixedSizeSamples);
    EXPECT_FALSE(type.temporalCompression);
    EXPECT_EQ(4147200u, type.sampleSize);

    // The whole block, built byte by byte: zeros but for the picture time
    // and the bitmap header.
    std::vector<std::uint8_t> expected(1128, 0);
    putLE(expected, 40, 416667, 8);  // 10,000,000 / 24 + 0.5
    putLE(expected, 48, 40, 4);
    putLE(expected, 52, 1920, 4);
    putLE(expected, 56, 1080, 4);
    putLE(expected, 60, 1, 2);
    putLE(expected, 62, 16, 2);
    expected[64] = 'B';
    expected[65] = 'Y';
    expected[66] = 'R';
    expected[67] = '4';
    putLE(expected, 68, 4147200, 4);  // 3840 bytes a row
    EXPECT_EQ(expected, type.format);
}

TEST(FrameMediaType, EachOutputKindHasItsCodesAndDepth) {
    const MediaType rgb = offered(format(1920, 1080, true, false));
    EXPECT_EQ(makeGuid("{38344752-0000-0010-8000-00AA00389B71}"), rgb.subtype);
    EXPECT_EQ(48, readBitmapHeaderOfType(rgb)->bitCount);
    EXPECT_EQ(0x38344752u, readBitmapHeaderOfType(rgb)->compression);
    EXPECT_EQ(12441600u, readBitmapHeaderOfType(rgb)->sizeImage);

    // 4:2:2: the subtype says "YU63", the compression "YU64".
    const MediaType yuv = offered(format(1920, 1080, false, false));
    EXPECT_EQ(makeGuid("{33365559-0000-0010-8000-00AA00389B71}"), yuv.subtype);
    EXPECT_EQ(32, readBitmapHeaderOfType(yuv)->bitCount);
    const std::vector<std::uint8_t> compression(yuv.format.begin() + 64, yuv.format.begin() + 68);
    EXPECT_EQ((std::vector<std::uint8_t>{'Y', 'U', '6', '4'}), compression);
    EXPECT_EQ(8294400u, readBitmapHeaderOfType(yuv)->sizeImage);

    // RAW wins over RGB 4:4:4.
    const MediaType both = offered(format(1920, 1080, true, true));
    EXPECT_EQ(fourccGuid(0x34525942), both.subtype);
    EXPECT_EQ(16, readBitmapHeaderOfType(both)->bitCount);
}

TEST(FrameMediaType, RowsOfOddWidthsArePaddedToFourBytes) {
    // 1921 × 16 bits: 30736 + 31 = 30767 bits, 3845 bytes, 3844 once the low
    // two bits are cleared. 1921 × 48: 11529 → 11528. 1921 × 32: 7687 → 7684.
    EXPECT_EQ(3844u * 2, readBitmapHeaderOfType(offered(format(1921, 2, false, true)))->sizeImage);
    EXPECT_EQ(11528u * 2, readBitmapHeaderOfType(offered(format(1921, 2, true, false)))->sizeImage);
    EXPECT_EQ(7684u * 2, readBitmapHeaderOfType(offered(format(1921, 2, false, false)))->sizeImage);
}

TEST(FrameMediaType, PictureTimeAndFrameDurationFollowTheRate) {
    struct Rate {
        int numerator;
        int denominator;
        std::int64_t duration;
        std::int64_t pictureTime;
    };
    for (const Rate rate :
         {Rate{24, 1, 416666, 416667}, Rate{24000, 1000, 416666, 416667}, Rate{24000, 1001, 417083, 417083},
          Rate{30000, 1001, 333666, 333667}, Rate{25, 1, 400000, 400000}}) {
        EXPECT_EQ(rate.duration, frameDuration(rate.numerator, rate.denominator)) << rate.numerator;
        const float perSecond = static_cast<float>(rate.numerator) / static_cast<float>(rate.denominator);
        EXPECT_EQ(rate.pictureTime, computeAverageTimePerFrame(perSecond)) << rate.numerator;
        EXPECT_EQ(
            rate.pictureTime,
            readVideoInfoHeader(offered(format(16, 2, false, true, perSecond)).format)->avgTimePerFrame);
    }
    EXPECT_FALSE(frameDuration(0, 1));
    EXPECT_FALSE(frameDuration(24, 0));
    EXPECT_FALSE(computeAverageTimePerFrame(0.0f));
}

TEST(FrameMediaType, NoTypeWithoutAUsableSizeOrRate) {
    MediaType type;
    EXPECT_EQ(E_FAIL, makeFrameMediaType(format(-1, -1, false, true), &type));
    EXPECT_EQ(E_FAIL, makeFrameMediaType(format(1920, 0, false, true), &type));
    EXPECT_EQ(E_FAIL, makeFrameMediaType(format(1920, 1080, false, true, 0.0f), &type));
    // 100000 × 48 bits is 600000 bytes a row; 100000 rows overflow 32 bits.
    EXPECT_EQ(E_FAIL, makeFrameMediaType(format(100000, 100000, true, false), &type));
    EXPECT_FALSE(computeImageBytes(100000, 100000, 48));
}
