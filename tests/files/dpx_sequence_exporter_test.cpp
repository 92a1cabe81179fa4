#include "files/dpx_sequence_exporter.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "dpx_test_reader.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

using testing_support::readFileBytes;
using testing_support::TempDir;

std::vector<std::uint16_t> randomFrame(int width, int height, unsigned seed) {
    std::mt19937 generator(seed);
    std::vector<std::uint16_t> frame(static_cast<std::size_t>(width) * height * 3);
    for (auto& sample : frame) sample = static_cast<std::uint16_t>(generator());
    return frame;
}

std::set<std::string> namesIn(const std::string& directory) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.insert(entry.path().filename().string());
    return names;
}

// The file's pixels read back must be the frame's samples without their low six bits.
void expectPixelsMatch(const std::string& file, const std::vector<std::uint16_t>& frame) {
    dpx_test::Header header;
    ASSERT_TRUE(dpx_test::parseHeader(file, &header));
    const std::vector<dpx_test::Pixel10> pixels = dpx_test::readPixels(file, header);
    ASSERT_EQ(frame.size() / 3, pixels.size());
    for (std::size_t index = 0; index < pixels.size(); ++index) {
        ASSERT_EQ(frame[index * 3] / 64u, pixels[index].red) << "pixel " << index;
        ASSERT_EQ(frame[index * 3 + 1] / 64u, pixels[index].green) << "pixel " << index;
        ASSERT_EQ(frame[index * 3 + 2] / 64u, pixels[index].blue) << "pixel " << index;
        ASSERT_EQ(0u, pixels[index].padding);
    }
}

}  // namespace

TEST(DpxSequenceExporter, WritesAFullHdFrameUnderItsNumberedName) {
    TempDir dir;
    const DPXSequenceExporter exporter(dir.path() + "/shot_%05d.dpx");
    EXPECT_TRUE(exporter.ExportsFrames());
    const std::vector<std::uint16_t> frame = randomFrame(1920, 1080, 1);
    std::string message;
    ASSERT_TRUE(exporter.ExportFrame(frame.data(), 1920, 1080, 10, &message)) << message;

    EXPECT_EQ((std::set<std::string>{"shot_00010.dpx"}), namesIn(dir.path()));
    const std::string file = readFileBytes(dir.file("shot_00010.dpx"));
    ASSERT_EQ(8296448u, file.size());  // 2048 + 1080 rows of 7680 bytes
    EXPECT_EQ(std::string("\x53\x44\x50\x58\x00\x00\x08\x00", 8), file.substr(0, 8));
    dpx_test::Header header;
    ASSERT_TRUE(dpx_test::parseHeader(file, &header));
    EXPECT_EQ("shot_00010.dpx", header.fileName);
    EXPECT_EQ(8296448u, header.totalSize);
    EXPECT_EQ(1920u, header.width);
    EXPECT_EQ(1080u, header.height);
    expectPixelsMatch(file, frame);
}

TEST(DpxSequenceExporter, NamesFollowTheCallersFrameNumbersAndReplaceEarlierFiles) {
    TempDir dir;
    const std::vector<std::uint16_t> first = randomFrame(16, 4, 2);
    const std::vector<std::uint16_t> second = randomFrame(16, 4, 3);
    const DPXSequenceExporter numbered(dir.path() + "/shot_%05d.dpx");
    std::string message;
    ASSERT_TRUE(numbered.ExportFrame(first.data(), 16, 4, 10, &message)) << message;
    ASSERT_TRUE(numbered.ExportFrame(second.data(), 16, 4, 12, &message)) << message;
    EXPECT_EQ((std::set<std::string>{"shot_00010.dpx", "shot_00012.dpx"}), namesIn(dir.path()));

    TempDir single;
    const DPXSequenceExporter fixed(single.path() + "/out.dpx");
    ASSERT_TRUE(fixed.ExportFrame(first.data(), 16, 4, 0, &message)) << message;
    ASSERT_TRUE(fixed.ExportFrame(second.data(), 16, 4, 1, &message)) << message;
    EXPECT_EQ((std::set<std::string>{"out.dpx"}), namesIn(single.path()));
    expectPixelsMatch(readFileBytes(single.file("out.dpx")), second);
}

TEST(DpxSequenceExporter, RelativeNamesAreMadeAbsoluteAndNullExportsNothing) {
    TempDir dir;
    const std::string previous = std::filesystem::current_path().string();
    ASSERT_EQ(0, ::chdir(dir.path().c_str()));
    const std::vector<std::uint16_t> frame = randomFrame(16, 2, 4);
    std::string message;
    const bool written = DPXSequenceExporter("f_%d.dpx").ExportFrame(frame.data(), 16, 2, 3, &message);
    const DPXSequenceExporter nothing("null.dpx");
    const bool skipped = nothing.ExportFrame(frame.data(), 16, 2, 4, &message);
    // Only a file called "null" is the null output; a name that merely
    // begins with the letters is a sequence like any other.
    const bool numbered = DPXSequenceExporter("null_%04d.dpx").ExportFrame(frame.data(), 16, 2, 5, &message);
    ASSERT_EQ(0, ::chdir(previous.c_str()));

    EXPECT_TRUE(written) << message;
    EXPECT_FALSE(nothing.ExportsFrames());
    EXPECT_TRUE(skipped);
    EXPECT_TRUE(numbered) << message;
    EXPECT_EQ((std::set<std::string>{"f_3.dpx", "null_0005.dpx"}), namesIn(dir.path()));
    for (const char* name : {"null.DPX", "null", "out/null.dpx", "/tmp/x/null.dpx"})
        EXPECT_FALSE(DPXSequenceExporter(name).ExportsFrames()) << name;
    for (const char* name : {"nullarbor_%04d.dpx", "null_%d.dpx", "Null.dpx", "NULL.dpx", "null.d/x.dpx",
                             "anull.dpx", "null.x.dpx", "out/nulls.dpx", "*.dpx", "null*.dpx"})
        EXPECT_TRUE(DPXSequenceExporter(name).ExportsFrames()) << name;
}

TEST(DpxSequenceExporter, ACreateFailureNamesTheFileAndLeavesNothing) {
    TempDir dir;
    const std::vector<std::uint16_t> frame = randomFrame(16, 2, 5);
    std::string message;
    EXPECT_FALSE(
        DPXSequenceExporter(dir.path() + "/missing/x_%d.dpx").ExportFrame(frame.data(), 16, 2, 1, &message));
    EXPECT_EQ("cannot write DPX file " + dir.path() + "/missing/x_1.dpx: No such file or directory", message);
    EXPECT_TRUE(namesIn(dir.path()).empty());

    // The final name is taken by a directory: the rename fails and the
    // finished temporary file is removed again.
    std::filesystem::create_directory(dir.file("taken.dpx"));
    EXPECT_FALSE(
        DPXSequenceExporter(dir.path() + "/taken.dpx").ExportFrame(frame.data(), 16, 2, 1, &message));
    EXPECT_EQ("cannot write DPX file " + dir.path() + "/taken.dpx: Is a directory", message);
    EXPECT_EQ((std::set<std::string>{"taken.dpx"}), namesIn(dir.path()));

    EXPECT_FALSE(DPXSequenceExporter(dir.path() + "/%s.dpx").ExportFrame(frame.data(), 16, 2, 1, &message));
    EXPECT_NE(std::string::npos, message.find("gives no usable file name for frame 1")) << message;
    EXPECT_FALSE(DPXSequenceExporter(dir.path() + "/e.dpx").ExportFrame(frame.data(), 0, 2, 1, &message));
    EXPECT_EQ("cannot write DPX file " + dir.path() + "/e.dpx: the picture size 0x2 is empty", message);
    EXPECT_EQ((std::set<std::string>{"taken.dpx"}), namesIn(dir.path()));
}

// Under a file size limit the writes fail part way through the image data.
// The run happens in a child process so the limit stays there; the child
// reports what it saw through its exit code.
TEST(DpxSequenceExporter, AWriteFailureLeavesNoPartialFileAndKeepsTheOldOne) {
    TempDir dir;
    testing_support::writeFileBytes(dir.file("keep.dpx"), "an earlier complete file");
    const std::vector<std::uint16_t> frame = randomFrame(256, 256, 6);
    std::fflush(nullptr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64 * 1024, 64 * 1024};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(10);
        std::string message;
        const bool newFile =
            DPXSequenceExporter(dir.path() + "/big_%d.dpx").ExportFrame(frame.data(), 256, 256, 1, &message);
        if (newFile) ::_exit(11);
        if (message != "cannot write DPX file " + dir.path() + "/big_1.dpx: File too large") ::_exit(12);
        const bool replaced =
            DPXSequenceExporter(dir.path() + "/keep.dpx").ExportFrame(frame.data(), 256, 256, 1, &message);
        if (replaced) ::_exit(13);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(child, ::waitpid(child, &status, 0));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status));
    EXPECT_EQ((std::set<std::string>{"keep.dpx"}), namesIn(dir.path()));
    EXPECT_EQ("an earlier complete file", readFileBytes(dir.file("keep.dpx")));
}

// FFmpeg's DPX decoder gives the 10-bit samples unscaled as planar G, B, R.
TEST(DpxSequenceExporter, FfmpegReadsTheSamplesBack) {
    if (!std::filesystem::exists("/usr/bin/ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    TempDir dir;
    const int width = 24;
    const int height = 5;
    const std::vector<std::uint16_t> frame = randomFrame(width, height, 8);
    std::string message;
    ASSERT_TRUE(DPXSequenceExporter(dir.file("f.dpx")).ExportFrame(frame.data(), width, height, 0, &message));
    const auto result =
        testing_support::runProgram({"/usr/bin/ffmpeg", "-v", "error", "-i", dir.file("f.dpx"), "-f",
                                     "rawvideo", "-pix_fmt", "gbrp10le", "-"});
    ASSERT_EQ(0, result.exitCode) << result.err;
    const std::size_t pixels = static_cast<std::size_t>(width) * height;
    ASSERT_EQ(pixels * 3 * 2, result.out.size());
    const auto sample = [&](std::size_t plane, std::size_t pixel) {
        const std::size_t at = (plane * pixels + pixel) * 2;
        return static_cast<unsigned char>(result.out[at]) +
               256u * static_cast<unsigned char>(result.out[at + 1]);
    };
    for (std::size_t pixel = 0; pixel < pixels; ++pixel) {
        ASSERT_EQ(frame[pixel * 3 + 1] / 64u, sample(0, pixel)) << "green of pixel " << pixel;
        ASSERT_EQ(frame[pixel * 3 + 2] / 64u, sample(1, pixel)) << "blue of pixel " << pixel;
        ASSERT_EQ(frame[pixel * 3] / 64u, sample(2, pixel)) << "red of pixel " << pixel;
    }
}

// OpenImageIO reads the header (size, channels, 10 bits, creator) and widens
// each 10-bit sample v to 16 bits by repeating its top bits: v * 64 + v / 16.
TEST(DpxSequenceExporter, OpenImageIoReadsTheHeaderAndTheSamples) {
    if (!std::filesystem::exists("/usr/bin/oiiotool")) GTEST_SKIP() << "oiiotool is not installed";
    TempDir dir;
    const int width = 8;
    const int height = 3;
    const std::vector<std::uint16_t> frame = randomFrame(width, height, 9);
    std::string message;
    ASSERT_TRUE(DPXSequenceExporter(dir.file("o.dpx")).ExportFrame(frame.data(), width, height, 0, &message));

    const auto info = testing_support::runProgram({"/usr/bin/iinfo", "-v", dir.file("o.dpx")});
    ASSERT_EQ(0, info.exitCode) << info.err;
    EXPECT_NE(std::string::npos, info.out.find("8 x    3, 3 channel, uint10 dpx")) << info.out;
    EXPECT_NE(std::string::npos, info.out.find("Software: \"Created using Tavrix tools\"")) << info.out;
    EXPECT_NE(std::string::npos, info.out.find("dpx:ImageDescriptor: \"RGB\"")) << info.out;

    const auto dump = testing_support::runProgram({"/usr/bin/oiiotool", "--dumpdata", dir.file("o.dpx")});
    ASSERT_EQ(0, dump.exitCode) << dump.err;
    std::istringstream lines(dump.out);
    std::string line;
    int checked = 0;
    while (std::getline(lines, line)) {
        int x = 0;
        int y = 0;
        unsigned red = 0;
        unsigned green = 0;
        unsigned blue = 0;
        if (std::sscanf(line.c_str(), "    Pixel (%d, %d): %u %u %u", &x, &y, &red, &green, &blue) != 5)
            continue;
        const std::size_t index = static_cast<std::size_t>(y) * width + x;
        const auto scaled = [](unsigned tenBit) { return tenBit * 64 + tenBit / 16; };
        ASSERT_EQ(scaled(frame[index * 3] / 64u), red) << line;
        ASSERT_EQ(scaled(frame[index * 3 + 1] / 64u), green) << line;
        ASSERT_EQ(scaled(frame[index * 3 + 2] / 64u), blue) << line;
        ++checked;
    }
    EXPECT_EQ(width * height, checked) << dump.out;
}
