#include "files/dpx_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string>

#include "files/last_error_report.h"
#include "files/sector_size.h"
#include "support/temp_dir.h"

namespace {

struct AlignedFree {
    void operator()(void* block) const { std::free(block); }
};

std::string patternBytes(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t index = 0; index < size; ++index) bytes[index] = static_cast<char>(index % 253);
    return bytes;
}

}  // namespace

TEST(DpxFilePrimitives, CreateWriteAndCloseMakeTheFile) {
    testing_support::TempDir dir;
    CDPXFile file;
    ASSERT_TRUE(file.CreateForWriting(dir.file("out.bin")));
    EXPECT_TRUE(file.WriteBytes("abc", 3));
    EXPECT_TRUE(file.WriteBytes("de", 2));
    file.CloseFile();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ("abcde", testing_support::readFileBytes(dir.file("out.bin")));

    // Creating replaces an existing file.
    ASSERT_TRUE(file.CreateForWriting(dir.file("out.bin")));
    EXPECT_TRUE(file.WriteBytes("x", 1));
    file.CloseFile();
    EXPECT_EQ("x", testing_support::readFileBytes(dir.file("out.bin")));

    EXPECT_FALSE(file.CreateForWriting(dir.file("missing/out.bin")));
    EXPECT_EQ(ENOENT, file.LastError());
    EXPECT_FALSE(file.WriteBytes("x", 1));
    EXPECT_FALSE(file.CreateForWriting(std::filesystem::path()));
    EXPECT_FALSE(file.CreateForWriting("/" + std::string(4095, 'a')));
    EXPECT_EQ(ENAMETOOLONG, file.LastError());
}

TEST(DpxFilePrimitives, EveryOpenModeReadsTheSameBytes) {
    testing_support::TempDir dir;
    const std::string content = patternBytes(10000);
    testing_support::writeFileBytes(dir.file("image.dpx"), content);
    const std::uint32_t sector = GetSectorSize(dir.file("image.dpx"));

    CDPXFile scan;
    ASSERT_TRUE(scan.OpenForHeaderScan(dir.file("image.dpx")));
    std::string head(768, '\0');
    ASSERT_TRUE(scan.ReadChunked(head.data(), head.size(), nullptr));
    EXPECT_EQ(content.substr(0, 768), head);

    // Unbuffered reads need buffers, positions and sizes in whole sectors.
    const std::size_t rounded = (content.size() + sector - 1) / sector * sector;
    std::unique_ptr<char, AlignedFree> block(static_cast<char*>(std::aligned_alloc(sector, rounded)));
    ASSERT_NE(nullptr, block);

    CDPXFile data;
    ASSERT_TRUE(data.OpenForDataReads(dir.file("image.dpx"), 0));
    std::size_t reported = 0;
    ASSERT_TRUE(data.ReadChunked(block.get(), rounded, &reported));
    EXPECT_EQ(rounded, reported);
    EXPECT_EQ(content, std::string(block.get(), content.size()));

    CDPXFile unaligned;
    ASSERT_TRUE(unaligned.OpenForDataReads(dir.file("image.dpx"), 2049));
    ASSERT_TRUE(unaligned.Seek(2049, CDPXFile::SeekOrigin::Begin));
    std::string rest(content.size() - 2049, '\0');
    ASSERT_TRUE(unaligned.ReadChunked(rest.data(), rest.size(), nullptr));
    EXPECT_EQ(content.substr(2049), rest);

    // A whole-file load reads the sector-rounded size; the file ends within
    // the last sector, which counts as complete.
    CDPXFile load;
    ASSERT_TRUE(load.OpenForWholeFileLoad(dir.file("image.dpx")));
    EXPECT_EQ(10000, load.FileSize());
    std::fill(block.get(), block.get() + rounded, 'z');
    ASSERT_TRUE(load.ReadChunked(block.get(), rounded, &reported));
    EXPECT_EQ(content, std::string(block.get(), content.size()));
    EXPECT_EQ(std::string(rounded - content.size(), '\0'),
              std::string(block.get() + content.size(), rounded - content.size()));

    CDPXFile missing;
    EXPECT_FALSE(missing.OpenForHeaderScan(dir.file("none.dpx")));
    EXPECT_EQ(ENOENT, missing.LastError());
    EXPECT_FALSE(missing.OpenForDataReads(dir.file("none.dpx"), 2048));
    EXPECT_FALSE(missing.OpenForWholeFileLoad(dir.file("none.dpx")));
}

TEST(SectorSize, IsAPowerOfTwoAndFallsBackTo512) {
    testing_support::TempDir dir;
    const std::uint32_t size = GetSectorSize(dir.file("x.dpx"));
    EXPECT_GE(size, 512u);
    EXPECT_EQ(0u, size & (size - 1));
    EXPECT_EQ(512u, GetSectorSize("/no/such/volume/anywhere/x.dpx"));
}

TEST(LastErrorReport, NamesTheCodeAndTheSystemText) {
    EXPECT_EQ("failed with error 2: No such file or directory", FormatLastError(ENOENT));
    EXPECT_EQ("failed with error 28: No space left on device", FormatLastError(ENOSPC));
    // The text goes to the display the program set, and nowhere without one.
    static std::string shown;
    ReportLastError(EACCES);
    EXPECT_EQ("", shown);
    setLastErrorDisplay([](const std::string& text) { shown = text; });
    ReportLastError(EACCES);
    setLastErrorDisplay(nullptr);
    EXPECT_EQ("failed with error 13: Permission denied", shown);
}
