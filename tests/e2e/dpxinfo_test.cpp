// dpxinfo on the files raw2tvx writes, on files of other writers, and on
// damaged files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/e2e_clips.h"
#include "files/dpx_file_writer.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

using namespace e2e;
using testing_support::readFileBytes;
using testing_support::runDpxinfo;
using testing_support::runProgram;
using testing_support::runRaw2tvx;
using testing_support::TempDir;
using testing_support::writeFileBytes;

namespace {

std::string block(const std::string& name, const std::string& size, const std::string& bitDepth,
                  const std::string& packing, const std::string& order, const std::string& offset,
                  const std::string& rest = "frame rate: none\ntime code: none\nsecond element: none\n") {
    return "file: " + name + "\nsize: " + size + "\ndescriptor: 50 (RGB)\nbit depth: " + bitDepth +
           "\npacking: " + packing + "\nbyte order: " + order + "\nimage data offset: " + offset + "\n" +
           rest;
}

const char kFilledLow[] = "1 (filled 32-bit words, padding at the low end)";

}  // namespace

TEST(Dpxinfo, DescribesTheSequenceRaw2tvxWrote) {
    TempDir dir;
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "2", "clip.RAW"});
    ASSERT_EQ(0, runRaw2tvx({"clip.RAW", "out_%d.dpx"}, dir.path()).exitCode);
    const auto result = runDpxinfo({"out_0.dpx", "out_1.dpx"}, dir.path());
    EXPECT_EQ(0, result.exitCode) << result.err;
    EXPECT_EQ("", result.err);
    EXPECT_EQ(block("out_0.dpx", "64x32", "10", kFilledLow, "big-endian (SDPX)", "2048") + "\n" +
                  block("out_1.dpx", "64x32", "10", kFilledLow, "big-endian (SDPX)", "2048"),
              result.out);
}

TEST(Dpxinfo, ShowsTheTimeCodeAndTheSecondElement) {
    TempDir dir;
    const std::vector<std::uint8_t> element(300, 7);
    {
        CDPXFileWriter writer(16, 2, nullptr, "10:59:58:23");
        ASSERT_TRUE(writer.SetSecondElement(8, 4, element.data(), element.size(), 0));
        ASSERT_TRUE(writer.Create(dir.file("tc.dpx")));
        const std::vector<std::uint8_t> rows(16 * 4 * 2, 0);
        ASSERT_TRUE(writer.WriteFrame(rows.data(), 16 * 4));
        ASSERT_TRUE(writer.Close());
    }
    const auto result = runDpxinfo({"tc.dpx"}, dir.path());
    EXPECT_EQ(0, result.exitCode) << result.err;
    // The element follows 2048 header bytes and 16 x 2 x 4 image bytes.
    EXPECT_EQ(
        block("tc.dpx", "16x2", "10", kFilledLow, "big-endian (SDPX)", "2048",
              "frame rate: none\ntime code: 10:59:58:23\nsecond element: 8x4, 300 bytes at offset 2176\n"),
        result.out);
}

// FFmpeg writes little-endian files with a 1664-byte header and no industry
// header; OpenImageIO little-endian files with the image data at 8192.
TEST(Dpxinfo, ReadsFilesOfOtherWriters) {
    if (!toolExists("/usr/bin/ffmpeg") || !toolExists("/usr/bin/oiiotool"))
        GTEST_SKIP() << "ffmpeg and oiiotool are needed";
    TempDir dir;
    ASSERT_EQ(0,
              runProgram({"/usr/bin/ffmpeg", "-nostdin", "-v", "error", "-f", "lavfi", "-i",
                          "testsrc=size=64x32", "-frames:v", "1", "-pix_fmt", "gbrp10le", dir.file("ff.dpx")})
                  .exitCode);
    ASSERT_EQ(0, runProgram({"/usr/bin/oiiotool", "--pattern", "constant:color=0.5,0.25,1", "40x6", "3", "-d",
                             "uint10", "-o", dir.file("oiio.dpx")})
                     .exitCode);
    const auto result = runDpxinfo({"ff.dpx", "oiio.dpx"}, dir.path());
    EXPECT_EQ(0, result.exitCode) << result.err;
    EXPECT_EQ(block("ff.dpx", "64x32", "10", kFilledLow, "little-endian (XPDS)", "1664") + "\n" +
                  block("oiio.dpx", "40x6", "10", kFilledLow, "little-endian (XPDS)", "8192"),
              result.out);
}

TEST(Dpxinfo, NamesEveryDamagedFileOnItsOwnLineAndExitsWithOne) {
    TempDir dir;
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "1", "clip.RAW"});
    ASSERT_EQ(0, runRaw2tvx({"clip.RAW", "good.dpx"}, dir.path()).exitCode);
    const std::string good = readFileBytes(dir.file("good.dpx"));
    ASSERT_EQ(2048u + 64 * 32 * 4, good.size());
    writeFileBytes(dir.file("cut.dpx"), good.substr(0, good.size() - 4));
    writeFileBytes(dir.file("header.dpx"), good.substr(0, 1000));
    writeFileBytes(dir.file("magic.dpx"), "SDPY" + good.substr(4));
    writeFileBytes(dir.file("empty.dpx"), "");
    std::string lying = good;
    lying[4] = '\x40';  // image data offset 0x40000800
    writeFileBytes(dir.file("lying.dpx"), lying);

    const auto result = runDpxinfo(
        {"cut.dpx", "good.dpx", "header.dpx", "magic.dpx", "empty.dpx", "lying.dpx", "missing.dpx"},
        dir.path());
    EXPECT_EQ(1, result.exitCode);
    EXPECT_EQ(block("good.dpx", "64x32", "10", kFilledLow, "big-endian (SDPX)", "2048"), result.out);
    EXPECT_EQ(
        "dpxinfo: cut.dpx: the file is cut short: its image data ends at byte 10240 but it holds 10236 "
        "bytes\n"
        "dpxinfo: header.dpx: the image data offset 2048 lies beyond the end of the 1000-byte file\n"
        "dpxinfo: magic.dpx: not a DPX file: it begins with \"SDPY\", not \"SDPX\" or \"XPDS\"\n"
        "dpxinfo: empty.dpx: the file holds 0 bytes, fewer than the 768-byte file information header\n"
        "dpxinfo: lying.dpx: the image data offset 1073743872 lies beyond the end of the 10240-byte file\n"
        "dpxinfo: missing.dpx: cannot open it: No such file or directory\n",
        result.err);

    const auto usage = runDpxinfo({});
    EXPECT_EQ(1, usage.exitCode);
    EXPECT_EQ("usage: dpxinfo FILE...\n", usage.err);
}
