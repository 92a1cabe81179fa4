#include "media/output_format.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// Four characters in memory order, written out byte by byte.
constexpr std::uint32_t code(char a, char b, char c, char d) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(a)) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(d)) << 24;
}

}  // namespace

TEST(OutputFormat, EachPictureHasItsCodesAndBitsAPixel) {
    EXPECT_EQ((FramePixelFormat{0x34525942, 0x34525942, 16}), toPixelFormat(OutputFormat::Raw));
    EXPECT_EQ((FramePixelFormat{0x38344752, 0x38344752, 48}), toPixelFormat(OutputFormat::Rgb444));
    // 4:2:2: subtype "YU63", compression "YU64".
    EXPECT_EQ((FramePixelFormat{0x33365559, 0x34365559, 32}), toPixelFormat(OutputFormat::Yuv422));
    EXPECT_EQ(code('Y', 'U', '6', '3'), toPixelFormat(OutputFormat::Yuv422).subtype);
}

TEST(OutputFormat, CodesReadBackToTheirPictureAndNothingElse) {
    for (const OutputFormat format : {OutputFormat::Raw, OutputFormat::Yuv422, OutputFormat::Rgb444})
        EXPECT_EQ(format, toOutputFormat(toPixelFormat(format)));
    const std::uint32_t yu64 = code('Y', 'U', '6', '4');
    EXPECT_FALSE(toOutputFormat(FramePixelFormat{yu64, yu64, 32}).has_value()) << "YU64 in both places";
    EXPECT_FALSE(toOutputFormat(FramePixelFormat{0x34525942, 0x34525942, 48}).has_value()) << "bit count";
    EXPECT_FALSE(toOutputFormat(FramePixelFormat{}).has_value());
}
