#include "files/chunked_read.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "files/dpx_file.h"
#include "support/temp_dir.h"

namespace {

constexpr std::size_t kMiB = 1024 * 1024;

// Hands out bytes of value 0xAB and records every request; short marks the
// request (by index) that returns fewer bytes, and by how many.
struct FakeSource {
    std::vector<std::size_t> requests;
    std::size_t shortRequest = static_cast<std::size_t>(-1);
    std::size_t shortBy = 0;
    bool failing = false;

    ChunkReader reader() {
        return [this](void* buffer, std::size_t count) -> std::int64_t {
            requests.push_back(count);
            if (failing) return -1;
            const std::size_t given = requests.size() - 1 == shortRequest ? count - shortBy : count;
            std::memset(buffer, 0xAB, given);
            return static_cast<std::int64_t>(given);
        };
    }
};

}  // namespace

TEST(ReadChunked, FortyMiBGoInSixteenSixteenAndEight) {
    FakeSource source;
    std::vector<std::uint8_t> buffer(40 * kMiB);
    std::size_t reported = 1;
    ASSERT_TRUE(readChunked(source.reader(), buffer.data(), buffer.size(), &reported));
    EXPECT_EQ(40 * kMiB, reported);
    EXPECT_EQ((std::vector<std::size_t>{16 * kMiB, 16 * kMiB, 8 * kMiB}), source.requests);
    EXPECT_EQ(0xAB, buffer.back());
}

TEST(ReadChunked, ToleratesALastChunkUpTo4095BytesShort) {
    FakeSource source;
    source.shortRequest = 2;
    source.shortBy = 1000;
    std::vector<std::uint8_t> buffer(40 * kMiB, 0xCD);
    std::size_t reported = 0;
    ASSERT_TRUE(readChunked(source.reader(), buffer.data(), buffer.size(), &reported));
    EXPECT_EQ(40 * kMiB, reported);
    // The bytes that never arrived are zero, not whatever the buffer held.
    EXPECT_EQ(0xAB, buffer[40 * kMiB - 1001]);
    for (std::size_t index = 40 * kMiB - 1000; index < 40 * kMiB; ++index) ASSERT_EQ(0, buffer[index]);

    FakeSource edge;
    edge.shortRequest = 0;
    edge.shortBy = 4095;
    std::vector<std::uint8_t> small(10000);
    EXPECT_TRUE(readChunked(edge.reader(), small.data(), small.size(), nullptr));

    FakeSource tooShort;
    tooShort.shortRequest = 0;
    tooShort.shortBy = 4096;
    reported = 7;
    EXPECT_FALSE(readChunked(tooShort.reader(), small.data(), small.size(), &reported));
    EXPECT_EQ(0u, reported);
}

// Found by fuzzing: loading an empty file reads 0 bytes into a buffer that
// has no block, and the zero fill of the missing bytes must not touch it.
TEST(ReadChunked, AnEmptyReadIntoNoBufferSucceeds) {
    FakeSource source;
    std::size_t reported = 1;
    EXPECT_TRUE(readChunked(source.reader(), nullptr, 0, &reported));
    EXPECT_EQ(0u, reported);
    EXPECT_TRUE(source.requests.empty());
}

TEST(ReadChunked, FailsOnAReadErrorWithoutRetrying) {
    FakeSource source;
    source.failing = true;
    std::vector<std::uint8_t> buffer(100);
    std::size_t reported = 5;
    EXPECT_FALSE(readChunked(source.reader(), buffer.data(), buffer.size(), &reported));
    EXPECT_EQ(0u, reported);
    EXPECT_EQ(1u, source.requests.size());
}

TEST(ReadChunked, ReadsARealFileThroughTheDpxFileHandle) {
    testing_support::TempDir dir;
    std::string content(100000, '\0');
    for (std::size_t index = 0; index < content.size(); ++index)
        content[index] = static_cast<char>(index * 7 % 251);
    testing_support::writeFileBytes(dir.file("data.bin"), content);

    CDPXFile file;
    ASSERT_TRUE(file.OpenForHeaderScan(dir.file("data.bin")));
    EXPECT_EQ(100000, file.FileSize());
    std::string whole(100000, '\0');
    std::size_t reported = 0;
    ASSERT_TRUE(file.ReadChunked(whole.data(), whole.size(), &reported));
    EXPECT_EQ(content, whole);

    ASSERT_TRUE(file.Seek(99000, CDPXFile::SeekOrigin::Begin));
    ASSERT_TRUE(file.Seek(500, CDPXFile::SeekOrigin::Current));
    std::string tail(1000, 'z');
    ASSERT_TRUE(file.ReadChunked(tail.data(), tail.size(), &reported));
    EXPECT_EQ(content.substr(99500), tail.substr(0, 500));
    EXPECT_EQ(std::string(500, '\0'), tail.substr(500));

    ASSERT_TRUE(file.Seek(0, CDPXFile::SeekOrigin::Begin));
    std::string beyond(110000, '\0');
    EXPECT_FALSE(file.ReadChunked(beyond.data(), beyond.size(), &reported));
    EXPECT_EQ(EIO, file.LastError());
    EXPECT_FALSE(file.Seek(-5, CDPXFile::SeekOrigin::Begin));
}
