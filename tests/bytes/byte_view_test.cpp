#include "bytes/byte_view.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

const std::array<std::uint8_t, 8> kCounting = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};

std::uint64_t readAt(ByteView& view, std::size_t width, std::size_t offset) {
    switch (width) {
        case 1:
            return view.u8At(offset);
        case 2:
            return view.u16At(offset);
        case 4:
            return view.u32At(offset);
        default:
            return view.u64At(offset);
    }
}

std::uint64_t readNext(ByteView& view, std::size_t width) {
    switch (width) {
        case 1:
            return view.u8();
        case 2:
            return view.u16();
        case 4:
            return view.u32();
        default:
            return view.u64();
    }
}

}  // namespace

TEST(ByteView, ReadsBigEndianNumbersMostSignificantByteFirst) {
    ByteView in(kCounting, ByteOrder::kBigEndian);
    EXPECT_EQ(0x01u, in.u8At(0));
    EXPECT_EQ(0x0203u, in.u16At(1));
    EXPECT_EQ(0x04050607u, in.u32At(3));
    EXPECT_EQ(0x0102030405060708ull, in.u64At(0));
    EXPECT_EQ(0x0102u, in.u16());
    EXPECT_EQ(0x03040506u, in.u32());
    EXPECT_EQ(0x07u, in.u8());
    EXPECT_EQ(7u, in.position());
    EXPECT_TRUE(in.ok());
}

TEST(ByteView, ReadsLittleEndianNumbersLeastSignificantByteFirst) {
    ByteView in(kCounting, ByteOrder::kLittleEndian);
    EXPECT_EQ(0x01u, in.u8At(0));
    EXPECT_EQ(0x0302u, in.u16At(1));
    EXPECT_EQ(0x07060504u, in.u32At(3));
    EXPECT_EQ(0x0807060504030201ull, in.u64At(0));
    EXPECT_EQ(0x0201u, in.u16());
    EXPECT_EQ(0x06050403u, in.u32());
    EXPECT_EQ(0x07u, in.u8());
    EXPECT_TRUE(in.ok());
}

TEST(ByteView, ReadsSignedAndFloatingPointFieldsInEitherOrder) {
    // -2 in two's complement, and 1.5 (sign 0, exponent 127, fraction 0.5).
    const std::array<std::uint8_t, 8> big = {0xFF, 0xFF, 0xFF, 0xFE, 0x3F, 0xC0, 0x00, 0x00};
    const std::array<std::uint8_t, 8> little = {0xFE, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xC0, 0x3F};
    ByteView bigView(big, ByteOrder::kBigEndian);
    ByteView littleView(little, ByteOrder::kLittleEndian);
    EXPECT_EQ(-2, bigView.i32At(0));
    EXPECT_EQ(1.5f, bigView.f32At(4));
    EXPECT_EQ(-2, littleView.i32());
    EXPECT_EQ(1.5f, littleView.f32());
    EXPECT_TRUE(bigView.ok());
    EXPECT_TRUE(littleView.ok());
}

// Each width read in its last place fits; one byte further it does not, and
// gives 0 without touching the byte beyond the view. This holds in release
// builds: no assert stands in for the check.
TEST(ByteView, EveryReadKindFitsAtTheEdgeAndFailsOneBytePastIt) {
    const std::array<std::uint8_t, 11> bytes = {0, 0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xFF};
    const std::span<const std::uint8_t> view(bytes.data(), 10);  // the 0xFF lies outside
    const struct {
        std::size_t width;
        std::uint64_t bigEndian;
        std::uint64_t littleEndian;
    } kinds[] = {{1, 0xA8, 0xA8},
                 {2, 0xA7A8, 0xA8A7},
                 {4, 0xA5A6A7A8, 0xA8A7A6A5},
                 {8, 0xA1A2A3A4A5A6A7A8ull, 0xA8A7A6A5A4A3A2A1ull}};
    for (const auto& kind : kinds) {
        const std::size_t last = view.size() - kind.width;
        ByteView big(view, ByteOrder::kBigEndian);
        EXPECT_EQ(kind.bigEndian, readAt(big, kind.width, last)) << kind.width;
        EXPECT_TRUE(big.ok()) << kind.width;
        ByteView little(view, ByteOrder::kLittleEndian);
        EXPECT_EQ(kind.littleEndian, readAt(little, kind.width, last)) << kind.width;
        EXPECT_TRUE(little.ok()) << kind.width;

        ByteView past(view, ByteOrder::kLittleEndian);
        EXPECT_EQ(0u, readAt(past, kind.width, last + 1)) << kind.width;
        EXPECT_FALSE(past.ok()) << kind.width;

        ByteView stream(view, ByteOrder::kBigEndian);
        stream.seek(last);
        EXPECT_EQ(kind.bigEndian, readNext(stream, kind.width)) << kind.width;
        EXPECT_TRUE(stream.ok()) << kind.width;
        EXPECT_EQ(view.size(), stream.position()) << kind.width;
        EXPECT_EQ(0u, readNext(stream, kind.width)) << kind.width;
        EXPECT_FALSE(stream.ok()) << kind.width;
        EXPECT_EQ(view.size(), stream.position()) << kind.width;
    }
}

TEST(ByteView, ByteRunsAndSeeksAreBoundedAndOverflowSafe) {
    ByteView in(kCounting, ByteOrder::kBigEndian);
    const auto tail = in.bytesAt(5, 3);
    ASSERT_EQ(3u, tail.size());
    EXPECT_EQ(0x06, tail[0]);
    EXPECT_EQ(0x08, tail[2]);
    in.seek(8);  // the end itself is a place to stand
    EXPECT_TRUE(in.ok());
    EXPECT_EQ(0u, in.remaining());
    EXPECT_TRUE(in.bytes(0).empty());
    EXPECT_TRUE(in.ok());

    ByteView huge(kCounting, ByteOrder::kBigEndian);
    EXPECT_TRUE(huge.bytesAt(1, std::numeric_limits<std::size_t>::max()).empty());
    EXPECT_FALSE(huge.ok());
    EXPECT_EQ(0u,
              ByteView(kCounting, ByteOrder::kBigEndian).u32At(std::numeric_limits<std::size_t>::max() - 1));

    ByteView beyond(kCounting, ByteOrder::kBigEndian);
    beyond.seek(9);
    EXPECT_FALSE(beyond.ok());
    EXPECT_EQ(0u, beyond.position());

    ByteView skipping(kCounting, ByteOrder::kBigEndian);
    skipping.skip(6);
    EXPECT_EQ(0x0708u, skipping.u16());
    skipping.skip(1);
    EXPECT_FALSE(skipping.ok());
    EXPECT_EQ(8u, skipping.position());
}

// A parser reads all its fields and asks once: a failure early on is not
// forgotten by the reads that fit after it.
TEST(ByteView, AFailureStaysMarked) {
    ByteView in(kCounting, ByteOrder::kBigEndian);
    EXPECT_EQ(0u, in.u32At(6));
    EXPECT_EQ(0x0102u, in.u16At(0));
    EXPECT_FALSE(in.ok());
}
