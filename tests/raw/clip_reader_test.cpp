#include "raw/clip_reader.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "support/run_program.h"
#include "support/temp_dir.h"

using testing_support::runMkclip;
using testing_support::TempDir;

namespace {

constexpr std::uint64_t kFileBytes = 4294967295ull;  // every continuation file but the last

// The ramp scene of the clip generator: (7x + 131y + 1031 frame) mod 16384.
std::uint32_t rampSample(std::uint64_t x, std::uint64_t y, std::uint64_t frame) {
    return static_cast<std::uint32_t>((7 * x + 131 * y + 1031 * frame) % 16384);
}

// Unpacks 14-bit groups as the packing table states: seven little-endian
// words, samples most significant bit first.
std::vector<std::uint32_t> unpack14(std::span<const std::uint8_t> bytes, std::size_t samples) {
    std::vector<std::uint32_t> out;
    for (std::size_t group = 0; out.size() < samples; ++group) {
        std::uint32_t w[7];
        for (int i = 0; i < 7; ++i) w[i] = bytes[group * 14 + 2 * i] | (bytes[group * 14 + 2 * i + 1] << 8);
        const std::uint32_t s[8] = {w[0] >> 2,
                                    ((w[0] & 0x3) << 12) | (w[1] >> 4),
                                    ((w[1] & 0xF) << 10) | (w[2] >> 6),
                                    ((w[2] & 0x3F) << 8) | (w[3] >> 8),
                                    ((w[3] & 0xFF) << 6) | (w[4] >> 10),
                                    ((w[4] & 0x3FF) << 4) | (w[5] >> 12),
                                    ((w[5] & 0xFFF) << 2) | (w[6] >> 14),
                                    w[6] & 0x3FFF};
        for (std::uint32_t sample : s) out.push_back(sample);
    }
    out.resize(samples);
    return out;
}

// Counts the samples of a packed frame that differ from the ramp's frame.
int rampMismatches(std::span<const std::uint8_t> frame, std::uint32_t width, std::uint32_t height,
                   std::uint64_t frameIndex) {
    const auto samples = unpack14(frame, std::size_t{width} * height);
    int mismatches = 0;
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            if (samples[std::size_t{y} * width + x] != rampSample(x, y, frameIndex)) ++mismatches;
    return mismatches;
}

int rampMismatches(const RawClipReader& reader, std::uint32_t width, std::uint32_t height,
                   std::uint64_t frame) {
    return rampMismatches(reader.packedFrame(), width, height, frame);
}

// Collects the pieces of a frame where they belong, checking that they come
// in order and each starts where the one before ended.
class CollectedPieces final : public PackedPieceSink {
public:
    void takePiece(std::span<const std::uint8_t> piece, std::size_t offset) override {
        EXPECT_EQ(bytes.size(), offset);
        bytes.insert(bytes.end(), piece.begin(), piece.end());
        ++count;
    }
    std::vector<std::uint8_t> bytes;
    int count = 0;
};

// Keeps what the reader tells of the files it goes on into, as lines.
class RecordedEvents final : public ClipReadObserver {
public:
    void enteredFile(const std::string& path) override { text_ += "\n" + path + "\n"; }
    void skippedInto(const std::string& path) override { text_ += "\nskip to " + path + "\n"; }
    // What was told since the last call.
    std::string take() { return std::exchange(text_, {}); }

private:
    std::string text_;
};

void makeClip(const std::vector<std::string>& arguments) {
    const auto result = runMkclip(arguments);
    ASSERT_EQ(0, result.exitCode) << result.err;
}

}  // namespace

TEST(ClipReader, CompletesAFrameThatStraddlesTwoFilesFromTheNextOne) {
    // 1920 x 1080 x 14 / 8 = 3628800 bytes a frame. Frame 1183 starts at
    // 4292870400: 2096895 bytes in .RAW, 1531905 in .R00. Frame 2367 starts
    // at 8589369600, 564990 bytes before the end of .R00 (8589934590).
    TempDir dir;
    const std::string base = dir.file("clip");
    makeClip({"--width", "1920", "--height", "1080", "--frames", "2370", "--scene", "ramp",
              "--content-frames", "1182-1184,2366-2369", base + ".RAW"});

    RawClipReader reader;
    RecordedEvents events;
    reader.setObserver(&events);
    events.take();
    ASSERT_TRUE(reader.open(base).ok());
    ASSERT_TRUE(reader.positionAtFirstFrame().ok());
    EXPECT_EQ("", events.take());
    EXPECT_EQ(2370u, reader.trailer().frameCount);
    EXPECT_TRUE(reader.isMultiFile());
    EXPECT_EQ(base + ".R01", reader.trailerFilePath());

    for (int frame = 0; frame < 1182; ++frame) reader.skipFrame();
    std::vector<std::uint16_t> unused;
    events.take();
    ASSERT_EQ(FrameReadOutcome::PackedFrame, reader.readFrame(unused));
    EXPECT_EQ(0, rampMismatches(reader, 1920, 1080, 1182));
    ASSERT_EQ(FrameReadOutcome::PackedFrame, reader.readFrame(unused));
    EXPECT_EQ("\n" + base + ".R00\n", events.take());
    EXPECT_EQ(3628800u, reader.packedFrameBytes());
    EXPECT_EQ(0, rampMismatches(reader, 1920, 1080, 1183));
    ASSERT_EQ(FrameReadOutcome::PackedFrame, reader.readFrame(unused));
    EXPECT_EQ(0, rampMismatches(reader, 1920, 1080, 1184));

    for (int frame = 1185; frame < 2366; ++frame) reader.skipFrame();
    events.take();
    for (int frame = 2366; frame < 2370; ++frame) {
        ASSERT_EQ(FrameReadOutcome::PackedFrame, reader.readFrame(unused)) << frame;
        EXPECT_EQ(0, rampMismatches(reader, 1920, 1080, frame)) << frame;
    }
    // The next read meets the trailer.
    EXPECT_EQ(FrameReadOutcome::ClipEnded, reader.readFrame(unused));
    EXPECT_EQ("\n" + base + ".R01\n", events.take());
    reader.close();

    // Read in pieces, the frame across the two files is the same.
    ASSERT_TRUE(reader.open(base).ok());
    ASSERT_TRUE(reader.positionAtFirstFrame().ok());
    for (int frame = 0; frame < 1183; ++frame) reader.skipFrame();
    events.take();
    CollectedPieces pieces;
    ASSERT_EQ(FrameReadOutcome::PiecesTaken, reader.readFrameInPieces(unused, pieces));
    EXPECT_EQ("\n" + base + ".R00\n", events.take());
    EXPECT_EQ(3628800u, pieces.bytes.size());
    EXPECT_EQ(static_cast<int>((3628800 + RawClipReader::kPieceBytes - 1) / RawClipReader::kPieceBytes),
              pieces.count);
    EXPECT_EQ(0, rampMismatches(pieces.bytes, 1920, 1080, 1183));
    CollectedPieces next;
    ASSERT_EQ(FrameReadOutcome::PiecesTaken, reader.readFrameInPieces(unused, next));
    EXPECT_EQ(0, rampMismatches(next.bytes, 1920, 1080, 1184));
    reader.close();
}

TEST(ClipReader, SkipsAcrossTheFourGigabyteBoundaryIntoTheNextFile) {
    TempDir dir;
    const std::string base = dir.file("clip");
    makeClip({"--width", "1920", "--height", "1080", "--frames", "2370", "--scene", "ramp",
              "--content-frames", "1184,2368", base + ".RAW"});
    RawClipReader reader;
    RecordedEvents events;
    reader.setObserver(&events);
    ASSERT_TRUE(reader.open(base).ok());
    ASSERT_TRUE(reader.positionAtFirstFrame().ok());

    // Skipping frame 1183 moves from 4292870400 to Q = 4296499200 = 2^32 + 1531904:
    // the upper 32 bits change, so reading goes on in .R00 at 1531904 + 1.
    events.take();
    for (int frame = 0; frame < 1184; ++frame) reader.skipFrame();
    EXPECT_EQ("\nskip to " + base + ".R00\n", events.take());
    std::vector<std::uint16_t> unused;
    ASSERT_EQ(FrameReadOutcome::PackedFrame, reader.readFrame(unused));
    EXPECT_EQ(0, rampMismatches(reader, 1920, 1080, 1184));

    // Frame 2367 ends 3063810 bytes into .R01: in .R00 it would end at
    // 2^32 + 3063809, whose low 32 bits + 1 is that offset.
    events.take();
    for (int frame = 1185; frame < 2368; ++frame) reader.skipFrame();
    EXPECT_EQ("\nskip to " + base + ".R01\n", events.take());
    ASSERT_EQ(FrameReadOutcome::PackedFrame, reader.readFrame(unused));
    EXPECT_EQ(0, rampMismatches(reader, 1920, 1080, 2368));
}

TEST(ClipReader, HandlesFramesEndingExactlyAtAndOneBytePastAFileEnd) {
    // 65535 x 65537 = 2^32 - 1: frame 65536 ends exactly at the end of .RAW,
    // the next frame begins at offset 0 of .R00 and is found by a short read.
    {
        TempDir dir;
        const std::string base = dir.file("exact");
        makeClip({"--width", "8", "--height", "4680", "--frame-bytes", "65535", "--frames", "65539",
                  "--scene", "ramp", "--content-frames", "65536-65538", base + ".RAW"});
        RawClipReader reader;
        RecordedEvents events;
        reader.setObserver(&events);
        events.take();
        ASSERT_TRUE(reader.open(base).ok());
        ASSERT_TRUE(reader.positionAtFirstFrame().ok());
        for (int frame = 0; frame < 65537; ++frame) reader.skipFrame();
        std::vector<std::uint16_t> unused;
        ASSERT_EQ(FrameReadOutcome::PackedFrame, reader.readFrame(unused));
        EXPECT_EQ("\n" + base + ".R00\n", events.take());
        EXPECT_EQ(0, rampMismatches(reader, 8, 4680, 65537));
    }
    // 65536 x 65536 = 2^32: frame 65535 has its last byte in .R00, so after
    // skipping it, reading goes on at .R00 offset 0 + 1.
    {
        TempDir dir;
        const std::string base = dir.file("past");
        makeClip({"--width", "8", "--height", "4680", "--frame-bytes", "65536", "--frames", "65538",
                  "--scene", "ramp", "--content-frames", "65535-65537", base + ".RAW"});
        RawClipReader reader;
        RecordedEvents events;
        reader.setObserver(&events);
        events.take();
        ASSERT_TRUE(reader.open(base).ok());
        ASSERT_TRUE(reader.positionAtFirstFrame().ok());
        for (int frame = 0; frame < 65536; ++frame) reader.skipFrame();
        std::vector<std::uint16_t> unused;
        ASSERT_EQ(FrameReadOutcome::PackedFrame, reader.readFrame(unused));
        EXPECT_EQ("\nskip to " + base + ".R00\n", events.take());
        EXPECT_EQ(0, rampMismatches(reader, 8, 4680, 65536));
    }
}

TEST(ClipReader, ReadsPlainSixteenBitFramesAcrossFilesIntoTheBayerFrame) {
    // 1920 x 1080 x 2 = 4147200 bytes; frame 1035 starts at 4292352000 and
    // straddles .RAW and .R00. Samples are stored as the 14-bit value times 4.
    TempDir dir;
    const std::string base = dir.file("plain");
    makeClip({"--width", "1920", "--height", "1080", "--packing", "16", "--frames", "1037", "--scene", "ramp",
              "--content-frames", "1035-1036", base + ".raw"});
    RawClipReader reader;
    RecordedEvents events;
    reader.setObserver(&events);
    events.take();
    ASSERT_TRUE(reader.open(base).ok());
    ASSERT_TRUE(reader.positionAtFirstFrame().ok());
    for (int frame = 0; frame < 1035; ++frame) reader.skipFrame();
    std::vector<std::uint16_t> bayer(1920 * 1080);
    for (int frame = 1035; frame <= 1036; ++frame) {
        ASSERT_EQ(FrameReadOutcome::StoredSamples, reader.readFrame(bayer));
        int mismatches = 0;
        for (std::uint32_t y = 0; y < 1080; ++y)
            for (std::uint32_t x = 0; x < 1920; ++x)
                if (bayer[y * 1920 + x] != rampSample(x, y, frame) * 4) ++mismatches;
        EXPECT_EQ(0, mismatches) << frame;
    }
    EXPECT_EQ(FrameReadOutcome::ClipEnded, reader.readFrame(bayer));
    // The lower-case continuation is found for the upper-case name.
    EXPECT_EQ("\n" + base + ".r00\n", events.take());
    EXPECT_EQ(0u, reader.packedFrameBytes());
}

TEST(ClipReader, NeverReadsTheTrailerAsFrameData) {
    // 8 x 2 samples pack into 28 bytes: the 192-byte trailer would pass for
    // six more frames if the stream ran to the end of the file.
    TempDir dir;
    const std::string base = dir.file("tiny");
    makeClip({"--width", "8", "--height", "2", "--frames", "3", "--scene", "ramp", base + ".RAW"});
    RawClipReader reader;
    RecordedEvents events;
    reader.setObserver(&events);
    events.take();
    ASSERT_TRUE(reader.open(base).ok());
    ASSERT_TRUE(reader.positionAtFirstFrame().ok());
    EXPECT_EQ("", events.take());
    EXPECT_EQ(base + ".RAW", reader.trailerFilePath());
    std::vector<std::uint16_t> unused;
    for (int frame = 0; frame < 3; ++frame) {
        ASSERT_EQ(FrameReadOutcome::PackedFrame, reader.readFrame(unused));
        EXPECT_EQ(0, rampMismatches(reader, 8, 2, frame));
    }
    EXPECT_EQ(FrameReadOutcome::ClipEnded, reader.readFrame(unused));

    // Positioning again starts over at frame 0; a skip past the end ends the clip.
    ASSERT_TRUE(reader.positionAtFirstFrame().ok());
    ASSERT_EQ(FrameReadOutcome::PackedFrame, reader.readFrame(unused));
    EXPECT_EQ(0, rampMismatches(reader, 8, 2, 0));
    reader.skipFrame();
    reader.skipFrame();
    EXPECT_EQ(FrameReadOutcome::ClipEnded, reader.readFrame(unused));
    reader.releasePackedBuffer();
    EXPECT_EQ(0u, reader.packedFrame().size());
}

TEST(ClipReader, HandsOverTwelveBitFramesStoredBottomRowFirst) {
    // 68 x 30 samples, four 10-bit samples in 5 bytes: 2550 bytes a frame.
    // Each sample is the top 10 bits of the ramp; source row r holds picture
    // row 29 - r.
    TempDir dir;
    const std::string base = dir.file("ten");
    makeClip({"--width", "68", "--height", "30", "--frames", "2", "--packing", "12", "--scene", "ramp",
              base + ".RAW"});
    RawClipReader reader;
    RecordedEvents events;
    reader.setObserver(&events);
    ASSERT_TRUE(reader.open(base).ok());
    ASSERT_TRUE(reader.positionAtFirstFrame().ok());
    std::vector<std::uint16_t> unused;
    reader.skipFrame();
    ASSERT_EQ(FrameReadOutcome::PackedFrame, reader.readFrame(unused));
    const auto packed = reader.packedFrame();
    ASSERT_EQ(2550u, packed.size());
    int mismatches = 0;
    for (std::size_t group = 0; group < 2550 / 5; ++group) {
        const std::uint8_t* b = &packed[group * 5];
        const std::uint32_t s[4] = {static_cast<std::uint32_t>((b[0] << 2) | (b[1] >> 6)),
                                    static_cast<std::uint32_t>(((b[1] & 0x3F) << 4) | (b[2] >> 4)),
                                    static_cast<std::uint32_t>(((b[2] & 0xF) << 6) | (b[3] >> 2)),
                                    static_cast<std::uint32_t>(((b[3] & 0x3) << 8) | b[4])};
        for (std::size_t i = 0; i < 4; ++i) {
            const std::size_t index = group * 4 + i;
            const std::size_t row = 29 - index / 68, column = index % 68;
            if (s[i] != rampSample(column, row, 1) >> 4) ++mismatches;
        }
    }
    EXPECT_EQ(0, mismatches);
}

// A clip that cannot be opened tells which file was tried and why: the .RAW
// itself, or the continuation looked for after a .RAW without a trailer.
TEST(ClipReader, AnOpenFailureNamesTheFileTriedAndTheReason) {
    TempDir dir;
    testing_support::writeFileBytes(dir.file("short.RAW"), std::string(100, 'x'));
    RawClipReader reader;
    RecordedEvents events;
    reader.setObserver(&events);
    const Status missing = reader.open(dir.file("none"));
    const ClipOpenFailure missingFailure = reader.openFailure();
    const Status noTrailer = reader.open(dir.file("short"));

    EXPECT_EQ(ErrorCode::kReadFailed, missing.code());
    EXPECT_EQ(dir.file("none.RAW"), missingFailure.path);
    EXPECT_EQ(ENOENT, missingFailure.error);
    EXPECT_EQ("", missingFailure.lastSearched);

    EXPECT_EQ(ErrorCode::kReadFailed, noTrailer.code());
    EXPECT_EQ(ClipOpenProblem::CannotOpen, reader.openFailure().problem);
    EXPECT_EQ(dir.file("short.R00"), reader.openFailure().path);
    EXPECT_EQ(ENOENT, reader.openFailure().error);
    EXPECT_EQ(dir.file("short.RAW"), reader.openFailure().lastSearched);
}

// A file before the trailer's must hold 4294967295 bytes: one split at 1000
// bytes (a copy cut short) loses every frame from the one that reaches past
// its end, and the read says so instead of ending the clip.
TEST(ClipReader, AFileBeforeTheLastThatIsCutShortFailsTheRead) {
    TempDir dir;
    const std::string base = dir.file("split");
    // Frames of 64 x 32 x 14 / 8 = 3584 bytes: frame 0 already reaches past byte 1000.
    makeClip({"--width", "64", "--height", "32", "--frames", "3", "--split", "1000", base + ".RAW"});
    RawClipReader reader;
    RecordedEvents events;
    reader.setObserver(&events);
    ASSERT_TRUE(reader.open(base).ok());
    ASSERT_TRUE(reader.positionAtFirstFrame().ok());
    std::vector<std::uint16_t> unused;
    EXPECT_EQ(FrameReadOutcome::ReadFailed, reader.readFrame(unused));
    EXPECT_EQ(
        base +
            ".RAW: the file holds 1000 bytes where 4294967295 were expected; frames 0 to 2 could not be read",
        reader.failureMessage());
    // The failure stays: later reads and skips do not go on.
    EXPECT_FALSE(reader.skipFrame());
    EXPECT_EQ(FrameReadOutcome::ReadFailed, reader.readFrame(unused));
}

TEST(ClipReader, AStreamEndingBeforeTheAnnouncedFrameCountFailsTheLastRead) {
    TempDir dir;
    const std::string base = dir.file("few");
    makeClip({"--width", "64", "--height", "32", "--frames", "2", "--frame-count", "5", base + ".RAW"});
    RawClipReader reader;
    RecordedEvents events;
    reader.setObserver(&events);
    ASSERT_TRUE(reader.open(base).ok());
    ASSERT_TRUE(reader.positionAtFirstFrame().ok());
    std::vector<std::uint16_t> unused;
    EXPECT_EQ(FrameReadOutcome::PackedFrame, reader.readFrame(unused));
    EXPECT_EQ(FrameReadOutcome::PackedFrame, reader.readFrame(unused));
    EXPECT_EQ(FrameReadOutcome::ReadFailed, reader.readFrame(unused));
    EXPECT_EQ(
        base + ".RAW: the trailer announces 5 frames but the clip holds 2; frames 2 to 4 could not be read",
        reader.failureMessage());
    // Read in pieces, the frames and the failure are the same.
    ASSERT_TRUE(reader.open(base).ok());
    ASSERT_TRUE(reader.positionAtFirstFrame().ok());
    for (int frame = 0; frame < 2; ++frame) {
        CollectedPieces whole;
        EXPECT_EQ(FrameReadOutcome::PiecesTaken, reader.readFrameInPieces(unused, whole));
        EXPECT_EQ(64u * 32 * 14 / 8, whole.bytes.size());
    }
    CollectedPieces none;
    EXPECT_EQ(FrameReadOutcome::ReadFailed, reader.readFrameInPieces(unused, none));
    EXPECT_EQ(0, none.count);
    EXPECT_EQ(
        base + ".RAW: the trailer announces 5 frames but the clip holds 2; frames 2 to 4 could not be read",
        reader.failureMessage());

    // Read to the end again with the count the stream holds: a clean end.
    makeClip({"--width", "64", "--height", "32", "--frames", "2", base + ".RAW"});
    ASSERT_TRUE(reader.open(base).ok());
    ASSERT_TRUE(reader.positionAtFirstFrame().ok());
    EXPECT_TRUE(reader.skipFrame());
    EXPECT_EQ(FrameReadOutcome::PackedFrame, reader.readFrame(unused));
    EXPECT_EQ(FrameReadOutcome::ClipEnded, reader.readFrame(unused));
    EXPECT_EQ("", reader.failureMessage());
}
