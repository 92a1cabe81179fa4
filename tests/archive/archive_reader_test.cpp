#include "archive/archive_reader.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "archive/archive_info.h"
#include "components/movie_components.h"
#include "e2e/movie_decode.h"
#include "encode/metadata_record_writer.h"
#include "encode/movie_writer.h"
#include "media/component_registry.h"
#include "support/temp_dir.h"

// Archives written as the program writes them (the archive's tags in the
// run's tag list, an ordinary RAW movie through the movie writer and the
// real components) and read back through ArchiveReader: every sample, every
// frame's mark, every tag; FFmpeg decodes the same movies to the same
// samples; what is no archive, or a damaged one, fails cleanly.

namespace {

using Samples = std::vector<std::uint16_t>;
using testing_support::TempDir;

// A 14-bit clip of 40x24 whose window 37x19 from (2, 2) the archive keeps:
// odd in both directions.
constexpr int kSensorWidth = 40, kSensorHeight = 24;
constexpr int kLeft = 2, kTop = 2, kWidth = 37, kHeight = 19;
constexpr int kFrames = 4;
const std::string kClipName = "A001 \xC3\xA9=\\x41.RAW";  // an accent, '=', a backslash

void putLittleEndian(std::array<std::uint8_t, kRawClipTrailerBytes>& bytes, std::size_t offset,
                     std::uint32_t value, int size) {
    for (int byte = 0; byte < size; ++byte)
        bytes[offset + static_cast<std::size_t>(byte)] = static_cast<std::uint8_t>(value >> (8 * byte));
}

// The clip's trailer, field by field, as a camera writes it.
std::array<std::uint8_t, kRawClipTrailerBytes> clipTrailer() {
    std::array<std::uint8_t, kRawClipTrailerBytes> bytes{'R', 'A', 'W', 'M'};
    const std::uint32_t frameBytes = kSensorWidth * kSensorHeight * 14 / 8;
    putLittleEndian(bytes, 4, kSensorWidth, 2);
    putLittleEndian(bytes, 6, kSensorHeight, 2);
    putLittleEndian(bytes, 8, frameBytes, 4);
    putLittleEndian(bytes, 12, kFrames, 4);
    putLittleEndian(bytes, 20, 23976, 4);
    putLittleEndian(bytes, 32, 1, 4);
    putLittleEndian(bytes, 40, kSensorHeight, 4);
    putLittleEndian(bytes, 44, kSensorWidth, 4);
    putLittleEndian(bytes, 48, kSensorWidth * 14 / 8, 4);
    putLittleEndian(bytes, 52, frameBytes, 4);
    putLittleEndian(bytes, 56, 14, 4);
    putLittleEndian(bytes, 60, 2048, 4);
    putLittleEndian(bytes, 64, 15000, 4);
    bytes[191] = 0x5A;  // a byte no field of ours reads
    return bytes;
}

ArchiveInfo clipInfo() {
    ArchiveInfo info;
    info.trailerBytes = clipTrailer();
    info.trailer = parseRawClipTrailer(info.trailerBytes).value();
    info.clipName = kClipName;
    info.clipFiles = {kClipName, "A001.R00"};
    info.left = kLeft;
    info.top = kTop;
    info.width = kWidth;
    info.height = kHeight;
    return info;
}

std::vector<Samples> clipFrames(unsigned seed) {
    std::mt19937 random(seed);
    std::vector<Samples> frames(kFrames, Samples(static_cast<std::size_t>(kWidth) * kHeight));
    for (Samples& frame : frames)
        for (auto& sample : frame) sample = static_cast<std::uint16_t>(random() % 16384);
    return frames;
}

// CRC-32C bit by bit over the samples, low byte first.
std::uint32_t bitwiseChecksum(const Samples& samples) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const std::uint16_t sample : samples)
        for (const unsigned byte : {sample & 0xFFu, static_cast<unsigned>(sample >> 8)}) {
            crc ^= byte;
            for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0x82F63B78u & (0u - (crc & 1u)));
        }
    return ~crc;
}

struct MovieRequest {
    bool archiveTags = true;
    OutputFormat picture = OutputFormat::Raw;
};

// Writes the frames as the program writes a movie: the user's tag, then the
// archive's, in the run's tag list. Gives the file written.
std::string writeMovie(const std::string& name, const std::vector<Samples>& frames,
                       MovieRequest request = {}) {
    static const bool registered = [] {
        registerMovieComponents();
        return true;
    }();
    (void)registered;
    MetadataTagList tags;
    EXPECT_TRUE(appendMetadataRecord(tags, "NOTE", 'c', "a user's tag"));
    if (request.archiveTags) {
        EXPECT_TRUE(appendArchiveTags(clipInfo(), tags));
    }
    MovieWriter writer;
    EXPECT_TRUE(writer.name(name).ok());
    MovieFormat format;
    format.picture = request.picture;
    format.width = request.picture == OutputFormat::Raw ? kWidth : kWidth + 1;
    format.height = kHeight;
    format.rateNumerator = 24000;
    format.rateDenominator = 1001;
    format.tags = &tags;
    writer.open(format);
    for (const Samples& frame : frames) {
        if (request.picture == OutputFormat::Raw) {
            EXPECT_TRUE(writer.deliver(frame.data(), kWidth * 2).ok());
        } else {
            const std::vector<std::uint8_t> words(static_cast<std::size_t>(kWidth + 1) * kHeight * 4, 0x40);
            EXPECT_TRUE(writer.deliver(words.data(), (kWidth + 1) * 4).ok());
        }
    }
    const Status finished = writer.finish();
    EXPECT_TRUE(finished.ok()) << finished.message();
    return writer.outputPath();
}

struct ReadBack {
    Status status;
    std::vector<Samples> frames;
    std::vector<ArchiveFrame> marks;
    bool ended = false;
};

// Every frame until the end or a failure, rows `stride` samples apart; the
// samples past the width must stay as they were.
ReadBack readAll(ArchiveReader& reader, std::size_t stride = kWidth + 3) {
    ReadBack back;
    for (;;) {
        Samples room(stride * kHeight, 0xBEEF);
        ArchiveFrame frame;
        back.status = reader.readFrame(room.data(), stride, &frame);
        if (!back.status.ok()) return back;
        if (frame.ended) {
            back.ended = true;
            return back;
        }
        Samples samples;
        for (int y = 0; y < kHeight; ++y) {
            const auto row = room.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(y) * stride);
            samples.insert(samples.end(), row, row + kWidth);
            for (auto pad = row + kWidth; pad != row + static_cast<std::ptrdiff_t>(stride); ++pad)
                EXPECT_EQ(0xBEEF, *pad);
        }
        back.frames.push_back(std::move(samples));
        back.marks.push_back(frame);
    }
}

std::string fileBytes(const std::string& path) {
    return testing_support::readFileBytes(path);
}

}  // namespace

TEST(ArchiveReader, ArchivesReadBackExactlyInBothContainers) {
    TempDir directory;
    for (const std::string name : {"A001.mov", "A001.avi"}) {
        SCOPED_TRACE(name);
        const std::vector<Samples> frames = clipFrames(1);
        const std::string path = writeMovie(directory.file(name), frames);
        ArchiveReader reader;
        const Status opened = reader.open(path);
        ASSERT_TRUE(opened.ok()) << opened.message();
        EXPECT_EQ(path, reader.path());
        const ArchiveInfo& info = reader.info();
        EXPECT_EQ(kClipName, info.clipName);
        EXPECT_EQ((std::vector<std::string>{kClipName, "A001.R00"}), info.clipFiles);
        EXPECT_EQ(kLeft, info.left);
        EXPECT_EQ(kTop, info.top);
        EXPECT_EQ(kWidth, info.width);
        EXPECT_EQ(kHeight, info.height);
        EXPECT_EQ(clipTrailer(), info.trailerBytes);
        EXPECT_EQ(23976u, info.trailer.frameRateMilli);
        EXPECT_EQ(14, info.packing());

        const ReadBack back = readAll(reader);
        ASSERT_TRUE(back.status.ok()) << back.status.message();
        EXPECT_TRUE(back.ended);
        ASSERT_EQ(frames.size(), back.frames.size());
        for (std::size_t index = 0; index < frames.size(); ++index) {
            EXPECT_TRUE(frames[index] == back.frames[index]) << "frame " << index;
            const ArchiveFrame& mark = back.marks[index];
            ASSERT_TRUE(mark.mark.has_value());
            EXPECT_EQ(index, mark.mark->index);
            EXPECT_EQ(bitwiseChecksum(frames[index]), mark.mark->checksum);
            EXPECT_EQ(mark.mark->checksum, mark.checksum);
        }

        // Back to the start; one frame passed over; then to the end.
        ASSERT_TRUE(reader.rewind().ok());
        bool ended = true;
        ASSERT_TRUE(reader.skipFrame(&ended).ok());
        EXPECT_FALSE(ended);
        ReadBack rest = readAll(reader, kWidth);
        ASSERT_TRUE(rest.status.ok()) << rest.status.message();
        ASSERT_EQ(frames.size() - 1, rest.frames.size());
        EXPECT_TRUE(frames[1] == rest.frames[0]);
        EXPECT_EQ(1u, rest.marks[0].mark->index);
        ASSERT_TRUE(reader.skipFrame(&ended).ok());
        EXPECT_TRUE(ended);

        // FFmpeg's own decoder gives the same samples, in the quadrant layout:
        // quadrant (x, y) holds the sample at (x < WL ? 2x : 2(x - WL) + 1, y < HT ? 2y : 2(y - HT) + 1).
        const std::vector<e2e::DecodedPicture> pictures = e2e::decodeMovie(path);
        ASSERT_EQ(frames.size(), pictures.size());
        const int leftWidth = (kWidth + 1) / 2, topHeight = (kHeight + 1) / 2;
        for (std::size_t index = 0; index < frames.size(); ++index) {
            bool equal = pictures[index].width == kWidth && pictures[index].height == kHeight;
            for (int y = 0; y < kHeight && equal; ++y)
                for (int x = 0; x < kWidth && equal; ++x) {
                    const int bayerX = x < leftWidth ? 2 * x : 2 * (x - leftWidth) + 1;
                    const int bayerY = y < topHeight ? 2 * y : 2 * (y - topHeight) + 1;
                    equal = pictures[index].at(0, x, y) ==
                            frames[index][static_cast<std::size_t>(bayerY) * kWidth + bayerX];
                }
            EXPECT_TRUE(equal) << "FFmpeg's frame " << index;
        }
    }
}

// A RAW movie without the archive's tags, a ProRes movie with them, a file
// that is no movie, and no file at all: each refused with its reason and the
// file's name.
TEST(ArchiveReader, WhatIsNoArchiveIsRefused) {
    TempDir directory;
    const std::vector<Samples> frames = clipFrames(2);
    struct Case {
        std::string path;
        ErrorCode code;
        std::string reason;
    };
    const std::string text = directory.file("notes.mov");
    testing_support::writeFileBytes(text, "not a movie at all");
    const std::vector<Case> cases = {
        {writeMovie(directory.file("plain.avi"), frames, {false}), ErrorCode::kBadInput, "has no ARCV tag"},
        {writeMovie(directory.file("plain.mov"), frames, {false}), ErrorCode::kBadInput, "has no ARCV tag"},
        {writeMovie(directory.file("prores.mov"), frames, {true, OutputFormat::Yuv422}), ErrorCode::kBadInput,
         "no lossless JPEG"},
        {text, ErrorCode::kBadInput, "cannot be opened as a movie"},
        {directory.file("missing.mov"), ErrorCode::kNotFound, "No such file"},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.path);
        ArchiveReader reader;
        const Status status = reader.open(item.path);
        EXPECT_EQ(item.code, status.code());
        EXPECT_EQ(0u, status.message().find(item.path + ": ")) << status.message();
        EXPECT_NE(std::string::npos, status.message().find(item.reason)) << status.message();
        ArchiveFrame frame;
        Samples room(static_cast<std::size_t>(kWidth) * kHeight);
        EXPECT_FALSE(reader.readFrame(room.data(), kWidth, &frame).ok());
    }
    ArchiveReader reader;
    EXPECT_EQ(ENOENT, reader.open(directory.file("missing.mov")).systemError());

    // Without the component nothing can be read.
    const std::string archive = writeMovie(directory.file("archive.mov"), frames);
    ASSERT_EQ(S_OK, unregisterComponentClass(CLSID_ArchiveReader));
    const Status unregistered = reader.open(archive);
    registerMovieComponents();
    EXPECT_EQ(ErrorCode::kUnsupported, unregistered.code()) << unregistered.message();
    EXPECT_TRUE(reader.open(archive).ok());
}

// A cut archive never reads back as whole: a MOV loses its index and is
// refused, an AVI gives its frames up to the cut and fails on the one cut
// short, or ends early. A changed byte in a frame's samples fails the frame
// or shows in its checksum.
TEST(ArchiveReader, CutAndDamagedArchivesFailCleanly) {
    TempDir directory;
    const std::vector<Samples> frames = clipFrames(3);
    for (const std::string name : {"cut.mov", "cut.avi"}) {
        SCOPED_TRACE(name);
        const std::string whole = fileBytes(writeMovie(directory.file(name), frames));
        ASSERT_GT(whole.size(), 2000u);
        // Cuts inside the frames, the last one within the last frame.
        const std::size_t lastMark = whole.find("raw2tvx archive frame 3 crc32c");
        ASSERT_NE(std::string::npos, lastMark);
        for (const std::size_t length : {whole.size() / 4, whole.size() / 2, lastMark + 100}) {
            SCOPED_TRACE("cut at " + std::to_string(length));
            const std::string path = directory.file("short-" + name);
            testing_support::writeFileBytes(path, whole.substr(0, length));
            ArchiveReader reader;
            const Status opened = reader.open(path);
            if (!opened.ok()) {
                EXPECT_EQ(ErrorCode::kBadInput, opened.code()) << opened.message();
                continue;
            }
            const ReadBack back = readAll(reader);
            bool allGood = back.status.ok() && back.frames.size() == frames.size();
            for (std::size_t index = 0; allGood && index < back.frames.size(); ++index)
                allGood = back.frames[index] == frames[index];
            EXPECT_FALSE(allGood);
            if (!back.status.ok()) {
                EXPECT_EQ(ErrorCode::kBadInput, back.status.code()) << back.status.message();
            }
        }

        // One byte of frame 2's scan changed, well past its segments.
        std::string damaged = whole;
        const std::size_t mark = damaged.find("raw2tvx archive frame 2 crc32c");
        ASSERT_NE(std::string::npos, mark);
        damaged[mark + 300] = static_cast<char>(damaged[mark + 300] ^ 0x10);
        const std::string path = directory.file("damaged-" + name);
        testing_support::writeFileBytes(path, damaged);
        ArchiveReader reader;
        ASSERT_TRUE(reader.open(path).ok());
        const ReadBack back = readAll(reader);
        ASSERT_GE(back.frames.size(), 2u);
        if (back.frames.size() > 2) {
            EXPECT_NE(back.marks[2].mark->checksum, back.marks[2].checksum);
        } else {
            EXPECT_EQ(ErrorCode::kBadInput, back.status.code());
            EXPECT_NE(std::string::npos, back.status.message().find(path + ": frame 2: "))
                << back.status.message();
        }
    }
}

// Readers share nothing: two read their archives at once, on two threads.
TEST(ArchiveReader, ReadersOnTwoThreads) {
    TempDir directory;
    const std::vector<Samples> first = clipFrames(4), second = clipFrames(5);
    const std::string paths[] = {writeMovie(directory.file("one.mov"), first),
                                 writeMovie(directory.file("two.avi"), second)};
    ReadBack results[2];
    std::thread threads[2];
    for (int index = 0; index < 2; ++index)
        threads[index] = std::thread([&, index] {
            for (int round = 0; round < 3; ++round) {
                ArchiveReader reader;
                results[index].status = reader.open(paths[index]);
                if (!results[index].status.ok()) return;
                results[index] = readAll(reader);
            }
        });
    for (std::thread& thread : threads) thread.join();
    ASSERT_TRUE(results[0].status.ok()) << results[0].status.message();
    ASSERT_TRUE(results[1].status.ok()) << results[1].status.message();
    EXPECT_TRUE(results[0].frames == first);
    EXPECT_TRUE(results[1].frames == second);
}
