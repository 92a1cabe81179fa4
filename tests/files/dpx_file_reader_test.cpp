#include "files/dpx_file_reader.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "files/dpx_file_writer.h"
#include "support/temp_dir.h"

using testing_support::readFileBytes;
using testing_support::TempDir;
using testing_support::writeFileBytes;

namespace {

// A DPX header built by hand, field by field, in either byte order: the
// reader's expectations come from here, not from the writer.
class HandHeader {
public:
    explicit HandHeader(bool bigEndian) : bigEndian_(bigEndian), bytes_(2048, '\0') {
        std::memcpy(bytes_.data(), bigEndian ? "SDPX" : "XPDS", 4);
    }
    void put32(std::size_t at, std::uint32_t value) {
        for (std::size_t index = 0; index < 4; ++index) {
            const std::size_t shift = bigEndian_ ? 24 - 8 * index : 8 * index;
            bytes_[at + index] = static_cast<char>(value >> shift & 0xFF);
        }
    }
    void put16(std::size_t at, std::uint16_t value) {
        bytes_[at + (bigEndian_ ? 0 : 1)] = static_cast<char>(value >> 8);
        bytes_[at + (bigEndian_ ? 1 : 0)] = static_cast<char>(value & 0xFF);
    }
    void putFloat(std::size_t at, float value) { put32(at, std::bit_cast<std::uint32_t>(value)); }
    void putByte(std::size_t at, std::uint8_t value) { bytes_[at] = static_cast<char>(value); }
    std::string& bytes() { return bytes_; }

private:
    bool bigEndian_;
    std::string bytes_;
};

// The fields a 10-bit RGB file of width x height carries, with a time code,
// frame rate and gamma in the television header.
std::string handFile(bool bigEndian, std::uint32_t width, std::uint32_t height) {
    HandHeader header(bigEndian);
    const std::uint32_t imageBytes = width * height * 4;
    header.put32(4, 2048);
    header.put32(16, 2048 + imageBytes);
    header.put32(20, 1);
    header.put32(24, 1664);
    header.put32(28, 384);
    header.put16(770, 1);
    header.put32(772, width);
    header.put32(776, height);
    header.put32(792, 1023);
    header.putFloat(796, 2.5f);
    header.putByte(800, 50);
    header.putByte(803, 10);
    header.put16(804, 1);
    header.put32(808, 2048);
    header.put32(1628, 16);
    header.put32(1632, 9);
    header.putFloat(1724, 23.0f);  // film frame rate, replaced by the television one
    header.put32(1920, 0x01002014);
    header.putFloat(1940, 25.0f);
    header.putFloat(1948, 2.2f);
    std::string file = header.bytes();
    for (std::uint32_t index = 0; index < imageBytes; ++index) file += static_cast<char>(index * 7 % 251);
    return file;
}

void writeOurFile(const std::string& path, std::uint32_t width, std::uint32_t height,
                  const std::vector<std::uint8_t>* second = nullptr) {
    CDPXFileWriter writer(width, height, nullptr, nullptr);
    if (second != nullptr) {
        ASSERT_TRUE(writer.SetSecondElement(320, 180, second->data(), second->size(), kFormatV210));
    }
    ASSERT_TRUE(writer.Create(path));
    std::vector<std::uint8_t> rows(std::size_t{width} * height * 4);
    for (std::size_t index = 0; index < rows.size(); ++index)
        rows[index] = static_cast<std::uint8_t>(index % 13);
    ASSERT_TRUE(writer.WriteFrame(rows.data(), std::size_t{width} * 4));
    ASSERT_TRUE(writer.Close());
}

std::uint32_t be32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t index = 0; index < 4; ++index)
        value = value << 8 | static_cast<unsigned char>(bytes[at + index]);
    return value;
}

}  // namespace

TEST(DpxFileReader, OpensAFileOfOurWriterAtItsImageData) {
    TempDir dir;
    writeOurFile(dir.file("shot.dpx"), 64, 8);
    CDPXFileReader reader;
    ASSERT_TRUE(reader.OpenFile(dir.file("shot.dpx"))) << reader.FailureReason();
    EXPECT_TRUE(reader.IsBigEndian());
    EXPECT_EQ(64u, reader.Width());
    EXPECT_EQ(8u, reader.Height());
    EXPECT_EQ(50u, reader.Descriptor());
    EXPECT_EQ(10u, reader.BitSize());
    EXPECT_EQ(1u, reader.Packing());
    EXPECT_EQ(256u, reader.RowBytes());
    EXPECT_EQ(2048u, reader.ImageDataOffset());
    EXPECT_EQ(1023u, reader.ReferenceHighCode());
    EXPECT_EQ(0xFFFFFFFFu, reader.PixelAspectHorizontal());
    EXPECT_EQ(2048u + 64 * 8 * 4, reader.TotalFileSize());
    // No second element: it takes element 1's size and format, and no bytes.
    const auto second = reader.SecondElement();
    EXPECT_EQ(0u, second.size);
    EXPECT_EQ(64u, second.width);
    EXPECT_EQ(8u, second.height);
    EXPECT_EQ(kFormatDPX0, second.formatCode);
    EXPECT_FALSE(reader.TimeCode().isSet());

    // Positioned at byte 2048: the first row is the writer's first row.
    std::vector<std::uint8_t> row(256);
    ASSERT_TRUE(reader.ReadRow(row));
    for (std::size_t index = 0; index < row.size(); ++index) ASSERT_EQ(index % 13, row[index]) << index;
    // A short row span passes over the rest of the row: the third call starts row 2.
    std::vector<std::uint8_t> part(10);
    ASSERT_TRUE(reader.ReadRow(part));
    ASSERT_TRUE(reader.ReadRow(part));
    EXPECT_EQ(512 % 13, part[0]);

    // The narrow form makes a relative name absolute.
    const std::string cwd = std::filesystem::current_path().string();
    std::filesystem::current_path(dir.path());
    CDPXFileReader relative;
    EXPECT_TRUE(relative.Open("shot.dpx")) << relative.FailureReason();
    std::filesystem::current_path(cwd);
}

TEST(DpxFileReader, ReadsBothByteOrdersToTheSameValues) {
    TempDir dir;
    writeFileBytes(dir.file("big.dpx"), handFile(true, 16, 4));
    writeFileBytes(dir.file("little.dpx"), handFile(false, 16, 4));
    for (const char* name : {"big.dpx", "little.dpx"}) {
        CDPXFileReader reader;
        ASSERT_TRUE(reader.OpenFile(dir.file(name))) << name << ": " << reader.FailureReason();
        EXPECT_EQ(std::string(name) == "big.dpx", reader.IsBigEndian());
        EXPECT_EQ(16u, reader.Width());
        EXPECT_EQ(4u, reader.Height());
        EXPECT_EQ(50u, reader.Descriptor());
        EXPECT_EQ(64u, reader.RowBytes());
        EXPECT_EQ(1u, reader.DittoKey());
        EXPECT_EQ(2.5f, reader.ReferenceHighQuantity());
        EXPECT_EQ(16u, reader.PixelAspectHorizontal());
        EXPECT_EQ(9u, reader.PixelAspectVertical());
        EXPECT_EQ(25.0f, reader.FrameRate());
        EXPECT_EQ(2.2f, reader.Gamma());
        // The time code bytes 01 00 20 14: one hour, 20 seconds, 14 frames.
        EXPECT_EQ(1, reader.TimeCode().hours);
        EXPECT_EQ(0, reader.TimeCode().minutes);
        EXPECT_EQ(20, reader.TimeCode().seconds);
        EXPECT_EQ(14, reader.TimeCode().frames);
        std::vector<std::uint8_t> data(64 * 4);
        ASSERT_TRUE(reader.Read(data.data(), data.size()));
        for (std::size_t index = 0; index < data.size(); ++index) ASSERT_EQ(index * 7 % 251, data[index]);
    }
}

TEST(DpxFileReader, RefusesAnythingButTheTwoMagicsWithoutAMessage) {
    TempDir dir;
    for (const char* magic : {"SDPZ", "sdpx",
                              "\x7F"
                              "ELF",
                              "XPDZ"}) {
        std::string file = handFile(true, 16, 4);
        std::memcpy(file.data(), magic, 4);
        writeFileBytes(dir.file("bad.dpx"), file);
        CDPXFileReader reader;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(reader.OpenFile(dir.file("bad.dpx"))) << magic;
        EXPECT_EQ("", testing::internal::GetCapturedStderr());
        EXPECT_NE(std::string::npos, reader.FailureReason().find("not a DPX file")) << reader.FailureReason();
        EXPECT_FALSE(reader.IsOpen());
    }
    CDPXFileReader missing;
    EXPECT_FALSE(missing.OpenFile(dir.file("none.dpx")));
    EXPECT_FALSE(missing.Open(""));
}

TEST(DpxFileReader, AnIndustryHeaderSizeOfAllOnesMeansNoFilmOrTelevisionHeader) {
    TempDir dir;
    std::string file = handFile(true, 16, 4);
    std::memset(file.data() + 28, 0xFF, 4);
    writeFileBytes(dir.file("a.dpx"), file);
    CDPXFileReader reader;
    ASSERT_TRUE(reader.OpenFile(dir.file("a.dpx"))) << reader.FailureReason();
    EXPECT_EQ(0.0f, reader.FrameRate());
    EXPECT_EQ(0.0f, reader.Gamma());
    EXPECT_FALSE(reader.TimeCode().isSet());
    EXPECT_EQ(16u, reader.Width());
}

// Every offset and size a header gives is checked against the file before it
// is used: these lies are refused, never read past or allocated.
TEST(DpxFileReader, RefusesHeadersThatLieAboutSizes) {
    TempDir dir;
    struct Case {
        const char* what;
        std::size_t at;
        std::uint32_t value;
        const char* reason;
    };
    for (const Case& item : {Case{"offset past the end", 4, 0x7FFFFFF0, "beyond the end"},
                             Case{"offset inside the header", 4, 100, "inside the file information header"},
                             Case{"huge user data", 24, 0, "bytes of user data"}}) {
        std::string file = handFile(true, 16, 4);
        for (std::size_t index = 0; index < 4; ++index)
            file[item.at + index] = static_cast<char>(item.value >> (24 - 8 * index) & 0xFF);
        if (std::string(item.what) == "huge user data") {
            // Generic and industry sizes 0 make the whole offset user data; a 2 MiB offset in a 2 MiB file.
            std::memset(file.data() + 28, 0, 4);
            file[4] = 0, file[5] = 0x20, file[6] = 0, file[7] = 0;
            file.resize(0x200000 + 16);
        }
        writeFileBytes(dir.file("lie.dpx"), file);
        CDPXFileReader reader;
        EXPECT_FALSE(reader.OpenFile(dir.file("lie.dpx"))) << item.what;
        EXPECT_NE(std::string::npos, reader.FailureReason().find(item.reason)) << reader.FailureReason();
        EXPECT_FALSE(reader.IsOpen());
    }

    // A total size beyond the file is cut to the file's size; an element 2
    // that claims bytes beyond the file gets only those the file has.
    std::string file = handFile(true, 16, 4);
    file[16] = '\x7F';
    file[878] = 'T', file[879] = 'X';
    const std::uint32_t elementOffset = 2048 + 256;
    for (std::size_t index = 0; index < 4; ++index) {
        file[880 + index] = static_cast<char>(elementOffset >> (24 - 8 * index));
        file[888 + index] = '\x7F';
    }
    file += std::string(100, 'e');
    writeFileBytes(dir.file("long.dpx"), file);
    CDPXFileReader reader;
    ASSERT_TRUE(reader.OpenFile(dir.file("long.dpx"))) << reader.FailureReason();
    EXPECT_EQ(file.size(), reader.TotalFileSize());
    EXPECT_EQ(100u, reader.SecondElement().size);

    // A header cut short is no header.
    writeFileBytes(dir.file("cut.dpx"), handFile(true, 16, 4).substr(0, 700));
    EXPECT_FALSE(reader.OpenFile(dir.file("cut.dpx")));
    EXPECT_NE(std::string::npos, reader.FailureReason().find("fewer than the 768-byte"))
        << reader.FailureReason();
}

TEST(DpxFileReader, ParseHeaderWantsEveryBlockInTheBlock) {
    std::string file = handFile(true, 16, 4);
    CDPXFileReader reader;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(file.data());
    ASSERT_TRUE(reader.ParseHeader(bytes, file.size())) << reader.FailureReason();
    EXPECT_EQ(16u, reader.Width());
    EXPECT_EQ(25.0f, reader.FrameRate());
    EXPECT_FALSE(reader.ParseHeader(bytes, 767));
    EXPECT_FALSE(reader.ParseHeader(nullptr, 4096));

    // An image data offset of 1664 leaves no room for an orientation header after the image
    // information: refused in memory.
    std::string early = file;
    early[6] = 0x06, early[7] = static_cast<char>(0x80);  // 1664
    EXPECT_FALSE(reader.ParseHeader(reinterpret_cast<const std::uint8_t*>(early.data()), early.size()));
    EXPECT_NE(std::string::npos, reader.FailureReason().find("orientation")) << reader.FailureReason();

    // A film header must be followed by exactly a television header.
    std::string industry = file;
    industry[30] = 0x02, industry[31] = 0x00;  // 512
    EXPECT_FALSE(reader.ParseHeader(reinterpret_cast<const std::uint8_t*>(industry.data()), industry.size()));
    EXPECT_NE(std::string::npos, reader.FailureReason().find("television")) << reader.FailureReason();
}

TEST(DpxFileReader, LoadsAFullHdFileInSectorSizedReads) {
    TempDir dir;
    writeOurFile(dir.file("hd.dpx"), 1920, 1080);
    CDPXFileReader reader;
    CImageBuffer image(512);
    ASSERT_TRUE(reader.LoadFile(dir.file("hd.dpx").c_str(), image, 512)) << reader.FailureReason();
    // 2048 + 1920 x 1080 x 4 bytes: a whole number of 512-byte sectors.
    EXPECT_EQ(8296448u, reader.LoadedBytes());
    EXPECT_EQ(8296448u, image.Capacity());
    EXPECT_EQ(kFormatDPX0, image.formatCode);
    EXPECT_EQ(2048u, image.dataOffset);
    EXPECT_EQ(1920u, image.width);
    EXPECT_EQ(1080u, image.height);
    EXPECT_EQ(7680u, image.rowBytes);
    EXPECT_EQ(0u, image.secondElement.size);
    EXPECT_EQ(5, image.Data()[2048 + 5]);
    EXPECT_EQ(0u, reinterpret_cast<std::uintptr_t>(image.Data()) % 512);

    // A size that is not whole sectors is rounded up; the bytes past the end are zero.
    writeOurFile(dir.file("small.dpx"), 16, 3);
    CImageBuffer small(4096);
    ASSERT_TRUE(reader.LoadFile(dir.file("small.dpx").c_str(), small, 4096)) << reader.FailureReason();
    EXPECT_EQ(4096u, reader.LoadedBytes());
    EXPECT_EQ(0, small.Data()[2048 + 192]);

    // A file whose image data does not fit, or whose descriptor is unknown, is not loaded.
    std::string cut = readFileBytes(dir.file("small.dpx"));
    writeFileBytes(dir.file("cut.dpx"), cut.substr(0, cut.size() - 1));
    EXPECT_FALSE(reader.LoadFile(dir.file("cut.dpx").c_str(), small, 512));
    cut[800] = 51;
    writeFileBytes(dir.file("rgba.dpx"), cut);
    EXPECT_FALSE(reader.LoadFile(dir.file("rgba.dpx").c_str(), small, 512));
    EXPECT_NE(std::string::npos, reader.FailureReason().find("descriptor 51")) << reader.FailureReason();

    CImageBuffer noGranularity(0);
    EXPECT_FALSE(reader.LoadFile(dir.file("small.dpx").c_str(), noGranularity, 512));
    EXPECT_NE(std::string::npos, reader.FailureReason().find("granularity of 0")) << reader.FailureReason();
}

TEST(DpxFileReader, TheSecondElementIsWrittenAfterTheImageAndFoundAgain) {
    TempDir dir;
    std::vector<std::uint8_t> element(5000);
    for (std::size_t index = 0; index < element.size(); ++index)
        element[index] = static_cast<std::uint8_t>(index % 251 + 1);
    writeOurFile(dir.file("two.dpx"), 64, 8, &element);

    // Element 2 of the header as its table gives it: image bytes 64 x 8 x 4 = 2048, so the
    // element starts at 4096 and the file holds 4096 + 5000 bytes.
    const std::string file = readFileBytes(dir.file("two.dpx"));
    ASSERT_EQ(9096u, file.size());
    EXPECT_EQ(9096u, be32(file, 16));
    EXPECT_EQ(1u, static_cast<unsigned char>(file[771]));  // still one image element
    EXPECT_EQ(0u, be32(file, 852));
    EXPECT_EQ(1023u, be32(file, 864));
    EXPECT_EQ(0, file[872]);  // descriptor stays 0
    EXPECT_EQ(10, file[875]);
    EXPECT_EQ(std::string("\x00\x01", 2), file.substr(876, 2));
    EXPECT_EQ("TX", file.substr(878, 2));
    EXPECT_EQ(4096u, be32(file, 880));
    EXPECT_EQ(320u << 16 | 180u, be32(file, 884));
    EXPECT_EQ(5000u, be32(file, 888));
    EXPECT_EQ(std::string("Tavrix 320x180") + std::string(18, '\0'), file.substr(892, 32));
    EXPECT_EQ(std::string(element.begin(), element.end()), file.substr(4096));

    CDPXFileReader reader;
    ASSERT_TRUE(reader.OpenFile(dir.file("two.dpx"))) << reader.FailureReason();
    const auto second = reader.SecondElement();
    EXPECT_EQ(320u, second.width);
    EXPECT_EQ(180u, second.height);
    EXPECT_EQ(4096u, second.offset);
    EXPECT_EQ(5000u, second.size);
    std::vector<std::uint8_t> back(5000);
    ASSERT_TRUE(reader.ReadSecondElement(back.data(), back.size()));
    EXPECT_EQ(element, back);
    EXPECT_FALSE(reader.ReadSecondElement(back.data(), 5001)) << "the file ends before";

    // Aligned: from 4096 rounded down to 4096, (5000 rounded down) + 2 x 4096 bytes asked,
    // the file ending first.
    EXPECT_EQ(4096u + 8192u, reader.AlignedSecondElementBytes(4096));
    std::vector<std::uint8_t> aligned(12288);
    std::size_t lead = 99, size = 0;
    ASSERT_TRUE(reader.ReadSecondElementAligned(aligned.data(), 4096, &lead, &size));
    EXPECT_EQ(0u, lead);
    EXPECT_EQ(5000u, size);
    EXPECT_TRUE(std::equal(element.begin(), element.end(), aligned.begin()));
    // With an alignment of 1024 the element starts 0 bytes in as well; of 3 (not a power of two) nothing is
    // read.
    ASSERT_TRUE(reader.ReadSecondElementAligned(aligned.data(), 1024, &lead, &size));
    EXPECT_EQ(0u, lead);
    EXPECT_FALSE(reader.ReadSecondElementAligned(aligned.data(), 3, &lead, &size));

    CImageBuffer image(512);
    ASSERT_TRUE(reader.LoadFile(dir.file("two.dpx").c_str(), image, 512)) << reader.FailureReason();
    EXPECT_EQ(4096u, image.secondElement.offset);
    EXPECT_EQ(5000u, image.secondElement.size);
    EXPECT_EQ(320u, image.secondElement.width);

    // Sides beyond the header's 16 bits are refused; an element missing any part is not written.
    CDPXFileWriter writer(16, 2, nullptr, nullptr);
    EXPECT_FALSE(writer.SetSecondElement(65536, 2, element.data(), 10, kFormatV210));
    EXPECT_TRUE(writer.SetSecondElement(0, 2, element.data(), 10, kFormatV210));
    ASSERT_TRUE(writer.Create(dir.file("none.dpx")));
    ASSERT_TRUE(writer.WriteFrame(element.data(), 64));
    ASSERT_TRUE(writer.Close());
    const std::string plain = readFileBytes(dir.file("none.dpx"));
    EXPECT_EQ(2048u + 128u, plain.size());
    EXPECT_EQ(std::string(72, '\0'), plain.substr(852, 72));
}

TEST(DpxFileReader, OtherReaderSlotsAnswerFalse) {
    CDPXFileReader reader;
    IFileReader& asInterface = reader;
    EXPECT_FALSE(asInterface.ReadAhead(1 << 20));
    EXPECT_FALSE(asInterface.Restart());
    std::uint8_t byte = 0;
    EXPECT_FALSE(asInterface.Read(&byte, 1)) << "no file is open";
}
