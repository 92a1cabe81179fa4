// The movie branch through the real driver, in this process, so the component
// registry can be changed under it: an encoder nobody registered, a recording
// encoder in the place of ours (the tags and settings it is sent), and the
// real components writing names the command line cannot give (.mp4, none).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/cli/command_line.h"
#include "app/cli/conversion_settings.h"
#include "app/cli/metadata_tags.h"
#include "app/report/console.h"
#include "app/run/batch_driver.h"
#include "components/movie_components.h"
#include "e2e/e2e_clips.h"
#include "e2e/movie_decode.h"
#include "encode/encode_graph.h"
#include "encode/metadata_tag_list.h"
#include "media/component_registry.h"
#include "media/known_ids.h"
#include "support/media_fakes/fake_movie_components.h"
#include "support/temp_dir.h"

using media_fakes::FakeMovieComponents;
using media_fakes::RecordedTag;
using testing_support::TempDir;

namespace {

const char kEncodeFailed[] = "Failed to encode.  Do you have Zorvex Tavrix Studio installed?\n";

struct RunOutcome {
    int exitCode = 0;
    std::string out;
    double seconds = 0.0;
};

// What main does after the component registration, with standard output caught.
RunOutcome runInProcess(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "raw2tvx");
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(arguments.size());
    const CommandLine commandLine = readCommandLine(argc, argv.data());
    MetadataTagList tags;
    testing::internal::CaptureStdout();
    const auto start = std::chrono::steady_clock::now();
    RunOutcome outcome;
    Console console(commandLine.settings.verbose);
    addTagArguments(commandLine.arguments, commandLine.argumentsApplied, tags, console);
    if (commandLine.ok())
        outcome.exitCode = runBatch(commandLine, tags, console);
    else
        outcome.exitCode = 2;
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    outcome.out = testing::internal::GetCapturedStdout();
    return outcome;
}

std::vector<std::string> namesOf(const std::vector<RecordedTag>& tags) {
    std::vector<std::string> names;
    for (const RecordedTag& tag : tags) names.push_back(tag.tag);
    return names;
}

std::vector<std::uint8_t> le32(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

std::vector<std::uint8_t> floatBytes(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, 4);
    return le32(bits);
}

std::vector<std::uint8_t> textBytes(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

// Every test starts and ends with the real components registered.
class MovieSinkInProcess : public ::testing::Test {
protected:
    void SetUp() override {
        registerMovieComponents();
        e2e::makeClip(dir_, {"--width", "32", "--height", "16", "--frames", "2", "clip.RAW"});
    }
    void TearDown() override { registerMovieComponents(); }

    std::string clip() const { return dir_.file("clip.RAW"); }

    TempDir dir_;
};

// The default log curve of power 113 is kind 1 with the fraction 113/1:
// 1 × 65536 + 113 × 256 + 1.
constexpr std::uint32_t kLogCurveCode = 0x17101;

}  // namespace

// An encoder class nobody registered: the first frame fails, the message is
// printed, and the run ends with -1 about a second later, without "done" and
// without a file.
TEST_F(MovieSinkInProcess, UnregisteredEncoderFailsAfterASecond) {
    struct Case {
        Guid missing;
        std::vector<std::string> switches;
        std::string output;
    };
    for (const Case& item :
         {Case{CLSID_RawBayerEncoder, {}, "raw.avi"}, Case{CLSID_PictureEncoder, {"-444"}, "rgb.mov"},
          Case{CLSID_PictureEncoder, {"-422"}, "yuv.avi"}, Case{CLSID_QtMux, {}, "mux.mov"},
          Case{CLSID_FileWriter, {}, "writer.avi"}}) {
        SCOPED_TRACE(item.output);
        registerMovieComponents();
        ASSERT_EQ(S_OK, unregisterComponentClass(item.missing));
        std::vector<std::string> arguments{clip(), dir_.file(item.output)};
        arguments.insert(arguments.end(), item.switches.begin(), item.switches.end());
        const RunOutcome outcome = runInProcess(arguments);
        EXPECT_EQ(-1, outcome.exitCode);
        EXPECT_EQ(clip() + "\n32x16 2 frames 24.000 fps\n" + kEncodeFailed, outcome.out);
        EXPECT_GE(outcome.seconds, 0.95);
        EXPECT_LT(outcome.seconds, 5.0);
        EXPECT_EQ(std::vector<std::string>{"clip.RAW"}, e2e::directoryNames(dir_.path()));
    }
}

// The recording encoder in the place of ours gets the settings, then the
// fixed tags (BFMT and DEMO for RAW only, DEMO = the demosaic type + 2 and
// only when one was chosen), then the command line's records in their order.
TEST_F(MovieSinkInProcess, EncoderGetsTheFixedTagsThenTheUsersRecords) {
    FakeMovieComponents fakes;
    const RunOutcome outcome = runInProcess({clip(), dir_.file("tags.avi"), "-d3", "-q2", "+HPNT=0.75",
                                             ":Director=Q. Ombry", "+TIMB=24", "+ABCD=0x1F"});
    ASSERT_EQ(0, outcome.exitCode) << outcome.out;
    ASSERT_EQ(1u, fakes.encoders.size());
    EXPECT_EQ(CLSID_RawBayerEncoder, fakes.encoders[0]->classId());
    EXPECT_EQ((std::vector<std::string>{"quality 2", "option 0", "flagA 1", "flagB 1"}),
              fakes.encoders[0]->settings());
    const std::vector<RecordedTag> tags = fakes.encoders[0]->tags();
    ASSERT_EQ((std::vector<std::string>{"ECRV", "PCRV", "CCRV", "BFMT", "COLM", "BMTX", "WBAL", "HPNT",
                                        "DEMO", "HPNT", "TAGN", "TAGV", "TIMB", "ABCD"}),
              namesOf(tags));
    struct Want {
        char type;
        std::vector<std::uint8_t> value;
    };
    const std::vector<Want> wanted{{'H', le32(kLogCurveCode)},
                                   {'H', le32(1)},
                                   {'H', le32(kLogCurveCode)},
                                   {'b', {0}},
                                   {'f', {}},
                                   {'L', le32(1)},
                                   {'f', {}},
                                   {'f', floatBytes(0.5f)},
                                   {'L', le32(5)},
                                   {'f', floatBytes(0.75f)},
                                   {'c', textBytes("Director")},
                                   {'c', textBytes("Q. Ombry")},
                                   {'L', le32(24)},
                                   {'H', le32(0x1F)}};
    for (std::size_t index = 0; index < tags.size(); ++index) {
        EXPECT_EQ(wanted[index].type, tags[index].type) << tags[index].tag;
        if (!wanted[index].value.empty()) {
            EXPECT_EQ(wanted[index].value, tags[index].value) << tags[index].tag;
        }
    }
    // Three rows of four floats, the fourth of each 0; four gains.
    ASSERT_EQ(48u, tags[4].value.size());
    for (const std::size_t zero : {12u, 28u, 44u})
        EXPECT_EQ(std::vector<std::uint8_t>(4, 0),
                  std::vector<std::uint8_t>(tags[4].value.begin() + zero, tags[4].value.begin() + zero + 4));
    EXPECT_EQ(16u, tags[6].value.size());
}

TEST_F(MovieSinkInProcess, DemosaicTagOnlyForRawWithAChosenType) {
    {
        FakeMovieComponents fakes;
        ASSERT_EQ(0, runInProcess({clip(), dir_.file("raw.mov"), "-c"}).exitCode);
        ASSERT_EQ(1u, fakes.encoders.size());
        const std::vector<RecordedTag> tags = fakes.encoders[0]->tags();
        EXPECT_EQ((std::vector<std::string>{"ECRV", "PCRV", "CCRV", "BFMT", "COLM", "BMTX", "WBAL", "HPNT"}),
                  namesOf(tags));
        // The Cineon curve's descriptor is the constant 0x50101.
        EXPECT_EQ(le32(0x50101), tags[0].value);
    }
    for (const std::string kind : {"-444", "-422"}) {
        FakeMovieComponents fakes;
        ASSERT_EQ(0, runInProcess({clip(), dir_.file("pictures.mov"), kind, "-d3"}).exitCode);
        ASSERT_EQ(1u, fakes.encoders.size());
        EXPECT_EQ(CLSID_PictureEncoder, fakes.encoders[0]->classId());
        EXPECT_EQ((std::vector<std::string>{"ECRV", "PCRV", "CCRV", "COLM", "BMTX", "WBAL", "HPNT"}),
                  namesOf(fakes.encoders[0]->tags()))
            << kind;
        EXPECT_EQ("quality 4", fakes.encoders[0]->settings().at(0));
    }
}

// Every clip of a run gets its own encoder and graph, each configured on its
// clip's first frame, and each sent the same records.
TEST_F(MovieSinkInProcess, EveryClipConfiguresItsOwnEncoder) {
    e2e::makeClip(dir_, {"--width", "32", "--height", "16", "--frames", "3", "second.RAW"});
    FakeMovieComponents fakes;
    const RunOutcome outcome =
        runInProcess({clip(), dir_.file("second.RAW"), dir_.file("out%d.mov"), "+TIMB=25"});
    ASSERT_EQ(0, outcome.exitCode) << outcome.out;
    ASSERT_EQ(2u, fakes.encoders.size());
    ASSERT_EQ(2u, fakes.qtMuxes.size());
    EXPECT_EQ(2, fakes.encoders[0]->samplesReceived());
    EXPECT_EQ(3, fakes.encoders[1]->samplesReceived());
    EXPECT_EQ(namesOf(fakes.encoders[0]->tags()), namesOf(fakes.encoders[1]->tags()));
    EXPECT_EQ((std::vector<std::string>{"file " + dir_.file("out0.mov"), "file " + dir_.file("out2.mov")}),
              fakes.log.eventsStartingWith("file "));
}

// Names the command line cannot give reach the graph through the real
// components: ".mp4" gets ".avi" added, a name without an extension too.
TEST_F(MovieSinkInProcess, NamesWithoutAMovieExtensionBecomeAvi) {
    const std::vector<std::uint8_t> frame(32 * 16 * 2, 0x40);
    for (const auto& [given, written] : {std::pair<std::string, std::string>{"take.mp4", "take.mp4.avi"},
                                         std::pair<std::string, std::string>{"take", "take.avi"}}) {
        CEncodeGraph graph;
        ASSERT_EQ(S_OK, graph.SetOutputFile(dir_.file(given)));
        EXPECT_EQ(ContainerKind::Avi, graph.container());
        graph.CreateVideoSource(32, 16, 1, 25, true, true, 0, 65535);
        ASSERT_EQ(S_OK, graph.EncodeFrame(frame.data(), 64));
        ASSERT_EQ(S_OK, graph.EncodeFrame(frame.data(), 64));
        ASSERT_EQ(S_OK, graph.Finish());
        EXPECT_TRUE(e2e::fileExists(dir_.file(written))) << written;
        EXPECT_FALSE(e2e::fileExists(dir_.file(given))) << given;
        const std::string bytes = testing_support::readFileBytes(dir_.file(written));
        ASSERT_GE(bytes.size(), 12u);
        EXPECT_EQ("RIFF", bytes.substr(0, 4));
        EXPECT_EQ("AVI ", bytes.substr(8, 4));
    }
}

// Frames of odd size through the real components: rows of the image are
// padded to 4 bytes, so the frame source must not read past the end of the
// frame (the buffers here are exactly the frame's size), and the quadrants
// give the extra column to the left and the extra row to the top.
TEST_F(MovieSinkInProcess, OddSizedFramesComeThroughWhole) {
    constexpr int kWidth = 33, kHeight = 17;
    std::vector<std::uint16_t> bayer(static_cast<std::size_t>(kWidth) * kHeight);
    for (std::size_t index = 0; index < bayer.size(); ++index)
        bayer[index] = static_cast<std::uint16_t>(index * 389 % 65536);
    {
        CEncodeGraph graph;
        ASSERT_EQ(S_OK, graph.SetOutputFile(dir_.file("odd.mov")));
        graph.CreateVideoSource(kWidth, kHeight, 1, 25, true, true, 0, 65535);
        for (int frame = 0; frame < 2; ++frame) ASSERT_EQ(S_OK, graph.EncodeFrame(bayer.data(), kWidth * 2));
        ASSERT_EQ(S_OK, graph.Finish());
    }
    const std::vector<e2e::DecodedPicture> pictures = e2e::decodeMovie(dir_.file("odd.mov"));
    ASSERT_EQ(2u, pictures.size());
    for (const e2e::DecodedPicture& picture : pictures) {
        ASSERT_EQ(AV_PIX_FMT_GRAY16LE, picture.format);
        ASSERT_EQ(kWidth, picture.width);
        ASSERT_EQ(kHeight, picture.height);
        bool equal = true;
        for (int y = 0; y < kHeight && equal; ++y)
            for (int x = 0; x < kWidth && equal; ++x) {
                const int qx = x % 2 == 0 ? x / 2 : (kWidth + 1) / 2 + x / 2;
                const int qy = y % 2 == 0 ? y / 2 : (kHeight + 1) / 2 + y / 2;
                equal = picture.at(0, qx, qy) == bayer[static_cast<std::size_t>(y) * kWidth + x];
            }
        EXPECT_TRUE(equal);
    }

    std::vector<std::uint16_t> rgb(static_cast<std::size_t>(kWidth) * kHeight * 3, 30000);
    {
        CEncodeGraph graph;
        ASSERT_EQ(S_OK, graph.SetOutputFile(dir_.file("odd_rgb.avi")));
        graph.CreateVideoSource(kWidth, kHeight, 1, 25, true, false, 0, 65535);
        ASSERT_EQ(S_OK, graph.EncodeFrame(rgb.data(), kWidth * 6));
        ASSERT_EQ(S_OK, graph.Finish());
    }
    const std::vector<e2e::DecodedPicture> rgbPictures = e2e::decodeMovie(dir_.file("odd_rgb.avi"));
    ASSERT_EQ(1u, rgbPictures.size());
    EXPECT_EQ(kWidth, rgbPictures[0].width);
    EXPECT_EQ(kHeight, rgbPictures[0].height);
    // Grey 30000 of 65535: luma 64 + 876 × 30000 / 65535 in 10 bits, 4 × that in 12.
    EXPECT_NEAR(4 * (64 + 876 * 30000.0 / 65535), rgbPictures[0].at(0, kWidth - 1, kHeight - 1), 8.0);
}
