// What the movies say about themselves, as ffprobe reads them: container,
// codec, codec tag, profile, size, frame count, exact rate and duration, and
// the colour description, for every picture kind in both containers.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "e2e/e2e_clips.h"
#include "e2e/movie_decode.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

using namespace e2e;
using testing_support::runRaw2tvx;
using testing_support::TempDir;

namespace {

constexpr char kAviFormat[] = "avi";
constexpr char kMovFormat[] = "mov,mp4,m4a,3gp,3g2,mj2";

struct Expected {
    std::string codec;
    std::string tag;
    std::string profile;
    std::string pixelFormat;
    std::string colorSpace;  // "" leaves it unchecked
    std::string colorRange;
};

// "24000/1001" as a pair of integers.
std::pair<std::int64_t, std::int64_t> fraction(const std::string& text) {
    const std::size_t slash = text.find('/');
    if (slash == std::string::npos) return {0, 0};
    return {std::stoll(text.substr(0, slash)), std::stoll(text.substr(slash + 1))};
}

// The stream's duration in its time base equals frames / rate exactly:
// ticks × tbNum / tbDen = frames × rateDen / rateNum.
::testing::AssertionResult lastsExactly(const ProbeReport& report, std::int64_t frames,
                                        std::int64_t rateNumerator, std::int64_t rateDenominator) {
    const auto [tbNumerator, tbDenominator] = fraction(report.field("time_base"));
    const std::string ticksText = report.field("duration_ts");
    if (tbDenominator == 0 || ticksText == "(absent)" || ticksText == "N/A")
        return ::testing::AssertionFailure() << "no time base or duration";
    const std::int64_t ticks = std::stoll(ticksText);
    if (ticks * tbNumerator * rateNumerator != frames * rateDenominator * tbDenominator)
        return ::testing::AssertionFailure()
               << ticks << " ticks of " << tbNumerator << "/" << tbDenominator << " for " << frames
               << " frames at " << rateNumerator << "/" << rateDenominator;
    return ::testing::AssertionSuccess();
}

void expectStream(const ProbeReport& report, const Expected& expected, const std::string& container,
                  int width, int height, int frames) {
    ASSERT_TRUE(report.ok);
    EXPECT_EQ("1", report.field("streams"));
    EXPECT_EQ(container == "avi" ? kAviFormat : kMovFormat, report.field("format.format_name"));
    EXPECT_EQ("video", report.field("codec_type"));
    EXPECT_EQ(expected.codec, report.field("codec_name"));
    EXPECT_EQ(expected.tag, report.field("codec_tag_string"));
    EXPECT_EQ(expected.profile, report.field("profile"));
    EXPECT_EQ(expected.pixelFormat, report.field("pix_fmt"));
    EXPECT_EQ(std::to_string(width), report.field("width"));
    EXPECT_EQ(std::to_string(height), report.field("height"));
    EXPECT_EQ(std::to_string(frames), report.field("nb_frames"));
    EXPECT_EQ(std::to_string(frames), report.field("nb_read_frames"));
    if (!expected.colorSpace.empty()) {
        EXPECT_EQ(expected.colorSpace, report.field("color_space"));
        EXPECT_EQ(expected.colorRange, report.field("color_range"));
    }
}

const Expected kRawExpected{"mjpeg", "", "Lossless", "gray16le", "", ""};
const Expected k444Expected{"prores", "ap4h", "4444", "yuv444p12le", "bt709", "tv"};
const Expected k422Expected{"prores", "apch", "HQ", "yuv422p10le", "bt709", "tv"};

}  // namespace

// Every kind in both containers at 24000/1001 (-f23.976): 3 frames last
// 3 × 1001 / 24000 = 0.125125 s.
TEST(MovieContainer, EveryKindInBothContainers) {
    TempDir dir;
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "3", "--scene", "chart", "clip.RAW"});
    struct Kind {
        std::string switchText;
        Expected expected;
    };
    for (const Kind& kind :
         {Kind{"", kRawExpected}, Kind{"-444", k444Expected}, Kind{"-422", k422Expected}}) {
        for (const std::string container : {"avi", "mov"}) {
            SCOPED_TRACE(kind.switchText + " " + container);
            const std::string name = "out" + kind.switchText + "." + container;
            std::vector<std::string> arguments{"clip.RAW", name, "-f23.976"};
            if (!kind.switchText.empty()) arguments.push_back(kind.switchText);
            const auto result = runRaw2tvx(arguments, dir.path());
            ASSERT_EQ(0, result.exitCode) << result.out << result.err;
            EXPECT_EQ("clip.RAW\n64x32 3 frames 24.000 fps\n...\ndone\n", result.out);
            EXPECT_EQ("", result.err);
            Expected expected = kind.expected;
            // Lossless JPEG keeps the container's own tag for the codec.
            if (expected.codec == "mjpeg") expected.tag = container == "avi" ? "MJPG" : "jpeg";
            const ProbeReport report = probeMovie(dir.file(name));
            expectStream(report, expected, container, 64, 32, 3);
            EXPECT_EQ("24000/1001", report.field("r_frame_rate"));
            EXPECT_EQ("24000/1001", report.field("avg_frame_rate"));
            EXPECT_TRUE(lastsExactly(report, 3, 24000, 1001));
            // The movie header of a MOV counts whole milliseconds; the track is exact.
            if (container == "avi")
                EXPECT_EQ("0.125125", report.field("format.duration"));
            else
                EXPECT_NEAR(0.125125, std::stod(report.field("format.duration")), 0.001);
        }
    }
}

// Without -f the clip's own rate is the movie's; -f overrides it.
TEST(MovieContainer, RateComesFromTheClipUnlessGiven) {
    TempDir dir;
    makeClip(dir, {"--width", "32", "--height", "16", "--frames", "5", "--rate", "25000", "pal.RAW"});
    makeClip(dir, {"--width", "32", "--height", "16", "--frames", "5", "--rate", "29980", "ntsc.RAW"});
    makeClip(dir, {"--width", "32", "--height", "16", "--frames", "5", "--rate", "23976", "film.RAW"});
    struct Case {
        std::vector<std::string> arguments;
        std::int64_t numerator, denominator;
    };
    for (const Case& item :
         {Case{{"pal.RAW", "pal.mov"}, 25, 1}, Case{{"pal.RAW", "pal.avi", "-444"}, 25, 1},
          Case{{"ntsc.RAW", "ntsc.mov", "-422"}, 30000, 1001}, Case{{"ntsc.RAW", "ntsc.avi"}, 30000, 1001},
          Case{{"film.RAW", "film.mov"}, 24000, 1001}, Case{{"film.RAW", "f25.avi", "-f25"}, 25, 1},
          Case{{"pal.RAW", "f2997.mov", "-f29.98"}, 30000, 1001}}) {
        SCOPED_TRACE(item.arguments[1]);
        const auto result = runRaw2tvx(item.arguments, dir.path());
        ASSERT_EQ(0, result.exitCode) << result.out << result.err;
        const ProbeReport report = probeMovie(dir.file(item.arguments[1]));
        ASSERT_TRUE(report.ok);
        const std::string rate = std::to_string(item.numerator) + "/" + std::to_string(item.denominator);
        EXPECT_EQ(rate, report.field("r_frame_rate"));
        EXPECT_EQ(rate, report.field("avg_frame_rate"));
        EXPECT_EQ("5", report.field("nb_read_frames"));
        EXPECT_TRUE(lastsExactly(report, 5, item.numerator, item.denominator));
    }
}

// -q1 to -q5 choose the ProRes profile: 4:2:2 Proxy, LT, standard, HQ and HQ
// again; 4:4:4 four times 4444, then 4444 XQ. RAW movies do not change.
TEST(MovieContainer, QualityChoosesTheProfile) {
    TempDir dir;
    makeClip(dir, {"--width", "32", "--height", "16", "--frames", "2", "clip.RAW"});
    const char* const tags422[] = {"apco", "apcs", "apcn", "apch", "apch"};
    const char* const profiles422[] = {"Proxy", "LT", "Standard", "HQ", "HQ"};
    const char* const tags444[] = {"ap4h", "ap4h", "ap4h", "ap4h", "ap4x"};
    const char* const profiles444[] = {"4444", "4444", "4444", "4444", "XQ"};
    std::string rawMovie;
    for (int quality = 1; quality <= 5; ++quality) {
        SCOPED_TRACE(quality);
        const std::string q = "-q" + std::to_string(quality);
        for (const std::string container : {"avi", "mov"}) {
            const std::string yuv = "yuv" + std::to_string(quality) + "." + container;
            const std::string rgb = "rgb" + std::to_string(quality) + "." + container;
            ASSERT_EQ(0, runRaw2tvx({"clip.RAW", yuv, "-422", q}, dir.path()).exitCode);
            ASSERT_EQ(0, runRaw2tvx({"clip.RAW", rgb, "-444", q}, dir.path()).exitCode);
            const ProbeReport yuvReport = probeMovie(dir.file(yuv));
            const ProbeReport rgbReport = probeMovie(dir.file(rgb));
            EXPECT_EQ(tags422[quality - 1], yuvReport.field("codec_tag_string")) << container;
            EXPECT_EQ(profiles422[quality - 1], yuvReport.field("profile")) << container;
            EXPECT_EQ(tags444[quality - 1], rgbReport.field("codec_tag_string")) << container;
            EXPECT_EQ(profiles444[quality - 1], rgbReport.field("profile")) << container;
        }
        ASSERT_EQ(0, runRaw2tvx({"clip.RAW", "raw.mov", q}, dir.path()).exitCode);
        const std::string bytes = readText(dir.file("raw.mov"));
        if (quality == 1) rawMovie = bytes;
        EXPECT_EQ(rawMovie, bytes) << "-q changed a RAW movie";
    }
}

// -w and -h resample pictures for 4:4:4 and 4:2:2; a RAW movie keeps the
// crop size, as its samples are the sensor's.
TEST(MovieContainer, OutputSizeAppliesToPicturesOnly) {
    TempDir dir;
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "2", "clip.RAW"});
    for (const std::string kind : {"-444", "-422"}) {
        const std::string name = "small" + kind + ".mov";
        const auto result = runRaw2tvx({"clip.RAW", name, kind, "-w48", "-h20"}, dir.path());
        ASSERT_EQ(0, result.exitCode) << result.out << result.err;
        const ProbeReport report = probeMovie(dir.file(name));
        EXPECT_EQ("48", report.field("width")) << kind;
        EXPECT_EQ("20", report.field("height")) << kind;
        EXPECT_EQ("2", report.field("nb_read_frames")) << kind;
    }
    const auto raw = runRaw2tvx({"clip.RAW", "raw.avi", "-w48", "-h20"}, dir.path());
    ASSERT_EQ(0, raw.exitCode) << raw.out << raw.err;
    const ProbeReport report = probeMovie(dir.file("raw.avi"));
    EXPECT_EQ("64", report.field("width"));
    EXPECT_EQ("32", report.field("height"));
}

// Two runs of the same clip and switches write the same bytes: nothing in a
// movie depends on the clock or the run. The second runs start more than a
// second later, so a time stamp in whole seconds would show.
TEST(MovieContainer, TwoRunsWriteTheSameBytes) {
    TempDir dir;
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "3", "--noise", "8", "clip.RAW"});
    const std::vector<std::string> tags{"+TIMC=01:00:00:00", "+HPNT=0.7", ":Director=Q. Ombry"};
    std::vector<std::string> names;
    std::vector<std::string> firstBytes;
    for (const std::string kind : {"", "-444", "-422"})
        for (const std::string container : {"avi", "mov"}) names.push_back("same" + kind + "." + container);
    const auto runAll = [&]() {
        std::vector<std::string> bytes;
        for (const std::string& name : names) {
            std::vector<std::string> arguments{"clip.RAW", name};
            if (name.find('-') != std::string::npos) arguments.push_back(name.substr(4, 4));
            arguments.insert(arguments.end(), tags.begin(), tags.end());
            const auto result = runRaw2tvx(arguments, dir.path());
            EXPECT_EQ(0, result.exitCode) << name << result.out << result.err;
            bytes.push_back(readText(dir.file(name)));
            EXPECT_FALSE(bytes.back().empty()) << name;
        }
        return bytes;
    };
    firstBytes = runAll();
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    const std::vector<std::string> secondBytes = runAll();
    for (std::size_t index = 0; index < names.size(); ++index)
        EXPECT_TRUE(firstBytes[index] == secondBytes[index]) << names[index] << " differs";
}
