#include "files/dpx_file_writer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "dpx_test_reader.h"
#include "support/expected_dpx_header.h"
#include "support/temp_dir.h"

namespace {

std::string bytesAt(const std::string& file, std::size_t at, std::size_t count) {
    return file.substr(at, count);
}

}  // namespace

TEST(DpxFileWriter, WritesTheHeaderFieldByFieldBigEndian) {
    testing_support::TempDir dir;
    {
        CDPXFileWriter writer(1920, 1080, nullptr, nullptr);
        ASSERT_TRUE(writer.Create(dir.file("shot_0007.dpx")));
        EXPECT_FALSE(writer.Preallocate(8296448));
        const std::vector<std::uint8_t> frame(1920 * 4 * 1080, 0);
        EXPECT_TRUE(writer.WriteFrame(frame.data(), 1920 * 4));
        EXPECT_TRUE(writer.Close());
        EXPECT_EQ(8296448u, writer.TotalFileSize());
    }
    const std::string file = testing_support::readFileBytes(dir.file("shot_0007.dpx"));
    ASSERT_EQ(8296448u, file.size());
    EXPECT_EQ(std::string("\x53\x44\x50\x58\x00\x00\x08\x00", 8), bytesAt(file, 0, 8));
    EXPECT_EQ(std::string("\x00\x7E\x98\x00", 4), bytesAt(file, 16, 4));   // 8,296,448
    EXPECT_EQ(std::string("\x00\x00\x07\x80", 4), bytesAt(file, 772, 4));  // 1920
    EXPECT_EQ(std::string("\x00\x00\x04\x38", 4), bytesAt(file, 776, 4));  // 1080
    EXPECT_EQ(50, file[800]);
    EXPECT_EQ(10, file[803]);
    EXPECT_EQ(std::string("\x00\x01", 2), bytesAt(file, 804, 2));
    EXPECT_EQ(std::string(4, '\xFF'), bytesAt(file, 660, 4));
    EXPECT_EQ(std::string(8, '\xFF'), bytesAt(file, 1628, 8));
    EXPECT_EQ(std::string("shot_0007.dpx") + std::string(87, '\0'), bytesAt(file, 36, 100));
    EXPECT_EQ(std::string(4, '\0'), bytesAt(file, 1920, 4));
    // Every byte the table does not name is zero.
    EXPECT_EQ(testing_support::expectedDpxHeader(1920, 1080, "shot_0007.dpx"), bytesAt(file, 0, 2048));
}

TEST(DpxFileWriter, StoresAnElevenCharacterTimeCodeAsPackedDecimal) {
    testing_support::TempDir dir;
    {
        CDPXFileWriter writer(16, 2, nullptr, "01:00:20:14");
        ASSERT_TRUE(writer.Create(dir.file("a.dpx")));
        const std::vector<std::uint8_t> frame(16 * 4 * 2, 0);
        ASSERT_TRUE(writer.WriteFrame(frame.data(), 16 * 4));
    }  // destroyed without Close: the file is still complete
    const std::string withCode = testing_support::readFileBytes(dir.file("a.dpx"));
    ASSERT_EQ(2048u + 128u, withCode.size());
    EXPECT_EQ(std::string("\x01\x00\x20\x14", 4), bytesAt(withCode, 1920, 4));

    {
        CDPXFileWriter writer(16, 2, nullptr, "01:00:20:1");
        ASSERT_TRUE(writer.Create(dir.file("b.dpx")));
    }
    EXPECT_EQ(std::string(4, '\0'), bytesAt(testing_support::readFileBytes(dir.file("b.dpx")), 1920, 4));
}

// A frame's timing: the time code in place of the constructor's text, the
// drop-frame flag in bit 6 of the frames byte, and the rate as a big-endian
// float in the television header's temporal sampling rate field (byte 1940).
TEST(DpxFileWriter, StoresAFramesTimingInTheTelevisionHeader) {
    testing_support::TempDir dir;
    const auto written = [&dir](const char* name, const DPXFrameTiming& timing,
                                const DPXTemplates* templates) {
        {
            CDPXFileWriter writer(16, 1, templates, "05:00:00:00");
            writer.SetFrameTiming(timing);
            EXPECT_TRUE(writer.Create(dir.file(name)));
        }
        return testing_support::readFileBytes(dir.file(name));
    };
    const std::string plain = written("plain.dpx", {{1, 12, 32, 15, false}, 24.0f}, nullptr);
    EXPECT_EQ(std::string("\x01\x12\x32\x15", 4), bytesAt(plain, 1920, 4));
    EXPECT_EQ(std::string("\x41\xC0\x00\x00", 4), bytesAt(plain, 1940, 4));  // 24.0f
    EXPECT_EQ(std::string(4, '\0'), bytesAt(plain, 1924, 4));                // no user bits

    // 30000/1001 as a float is 0x41EFC29F.
    const std::string drop = written("drop.dpx", {{0, 1, 0, 2, true}, 30000.0f / 1001.0f}, nullptr);
    EXPECT_EQ(std::string("\x00\x01\x00\x42", 4), bytesAt(drop, 1920, 4));
    EXPECT_EQ(std::string("\x41\xEF\xC2\x9F", 4), bytesAt(drop, 1940, 4));

    // Midnight is the field's zero; without a rate the rate field stays zero.
    const std::string midnight = written("midnight.dpx", {{0, 0, 0, 0, false}, 0.0f}, nullptr);
    EXPECT_EQ(std::string(8, '\0'), bytesAt(midnight, 1920, 4) + bytesAt(midnight, 1940, 4));
    EXPECT_EQ(testing_support::expectedDpxHeader(16, 1, "midnight.dpx"), bytesAt(midnight, 0, 2048));

    // A template's own time code and rate are kept.
    std::vector<std::uint8_t> television(128, 0);
    television[0] = 0x10;
    television[20] = 0x42;
    DPXTemplates templates;
    templates.television = {television.data(), television.size()};
    const std::string kept = written("kept.dpx", {{1, 0, 0, 0, false}, 25.0f}, &templates);
    EXPECT_EQ(std::string("\x10\x00\x00\x00", 4), bytesAt(kept, 1920, 4));
    EXPECT_EQ(std::string("\x42\x00\x00\x00", 4), bytesAt(kept, 1940, 4));
}

TEST(DpxFileWriter, RecordsTheNameItIsGivenAndCutsLongNames) {
    testing_support::TempDir dir;
    {
        CDPXFileWriter writer(16, 1, nullptr, nullptr);
        ASSERT_TRUE(writer.Create(dir.file(".shot_00010.dpx.tmp-1"), "/out/shot_00010.dpx"));
    }
    dpx_test::Header header;
    ASSERT_TRUE(
        dpx_test::parseHeader(testing_support::readFileBytes(dir.file(".shot_00010.dpx.tmp-1")), &header));
    EXPECT_EQ("shot_00010.dpx", header.fileName);

    const std::string longName = std::string(120, 'n') + ".dpx";
    {
        CDPXFileWriter writer(16, 1, nullptr, nullptr);
        ASSERT_TRUE(writer.Create(dir.file(longName)));
    }
    const std::string file = testing_support::readFileBytes(dir.file(longName));
    EXPECT_EQ(std::string(99, 'n') + '\0', bytesAt(file, 36, 100));
}

TEST(DpxFileWriter, UsesTemplatesOfTheExactSizeOnly) {
    testing_support::TempDir dir;
    const std::vector<std::uint8_t> imageInformation(640, 0xEE);
    const std::vector<std::uint8_t> orientation(255, 0x11);  // wrong size: ignored
    std::vector<std::uint8_t> television(128, 0);
    television[0] = 0x10;  // a time code of its own is kept
    const std::vector<std::uint8_t> userData = {'u', 's', 'e', 'r', 'd', 'a', 't', 'a', '!', '!'};
    DPXTemplates templates;
    templates.imageInformation = {imageInformation.data(), imageInformation.size()};
    templates.orientation = {orientation.data(), orientation.size()};
    templates.television = {television.data(), television.size()};
    templates.userData = {userData.data(), userData.size()};
    {
        CDPXFileWriter writer(16, 1, &templates, "02:00:00:00");
        ASSERT_TRUE(writer.Create(dir.file("t.dpx")));
        const std::vector<std::uint8_t> row(64, 0x42);
        ASSERT_TRUE(writer.Write(row.data(), row.size()));
        ASSERT_TRUE(writer.Close());
    }
    const std::string file = testing_support::readFileBytes(dir.file("t.dpx"));
    ASSERT_EQ(2048u + 10u + 64u, file.size());
    dpx_test::Header header;
    ASSERT_TRUE(dpx_test::parseHeader(file, &header));
    EXPECT_EQ(2058u, header.imageOffset);
    EXPECT_EQ(2058u, header.elementOffset);
    EXPECT_EQ(10u, header.userDataSize);
    EXPECT_EQ(2048u + 10u + 64u, header.totalSize);
    EXPECT_EQ(16u, header.width);
    EXPECT_EQ(50u, header.descriptor);
    EXPECT_EQ('\xEE', file[768 + 33]);  // template bytes outside the fields stay
    EXPECT_EQ('\xEE', file[768 + 44]);
    EXPECT_EQ(std::string(8, '\xFF'), bytesAt(file, 1628, 8));
    EXPECT_EQ(0x10000000u, header.timeCode);
    EXPECT_EQ("userdata!!", bytesAt(file, 2048, 10));
    EXPECT_EQ(std::string(64, '\x42'), bytesAt(file, 2058, 64));

    const std::vector<std::uint8_t> fileInformation(768, 0x33);
    DPXTemplates verbatim;
    verbatim.fileInformation = {fileInformation.data(), fileInformation.size()};
    {
        CDPXFileWriter writer(16, 1, &verbatim, nullptr);
        ASSERT_TRUE(writer.Create(dir.file("v.dpx")));
    }
    EXPECT_EQ(std::string(768, '\x33'), bytesAt(testing_support::readFileBytes(dir.file("v.dpx")), 0, 768));
}

TEST(DpxFileWriter, RefusesWhatItCannotCreateOrDescribe) {
    testing_support::TempDir dir;
    CDPXFileWriter missing(16, 1, nullptr, nullptr);
    EXPECT_FALSE(missing.Create(dir.file("no/such/dir/a.dpx")));
    EXPECT_EQ(ENOENT, missing.LastError());
    const std::vector<std::uint8_t> row(64, 0);
    EXPECT_FALSE(missing.WriteFrame(row.data(), row.size()));
    EXPECT_FALSE(missing.Close());

    // 32768 x 32768 x 4 bytes does not fit the header's 32-bit file size.
    CDPXFileWriter huge(32768, 32768, nullptr, nullptr);
    EXPECT_FALSE(huge.Create(dir.file("huge.dpx")));
    EXPECT_EQ(EFBIG, huge.LastError());
    EXPECT_FALSE(std::filesystem::exists(dir.file("huge.dpx")));

    CDPXFileWriter notClosed(16, 1, nullptr, nullptr);
    EXPECT_FALSE(notClosed.Close());
}
