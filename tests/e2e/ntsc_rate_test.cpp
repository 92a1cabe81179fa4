// The NTSC rates, from a clip's trailer or from -f, reach the movie and the
// DPX headers as N x 1000/1001 exactly, read back by ffprobe and oiiotool.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "e2e/e2e_clips.h"
#include "e2e/movie_decode.h"

using e2e::makeClip;
using testing_support::runProgram;
using testing_support::runRaw2tvx;
using testing_support::TempDir;

namespace {

std::string clipAt(const TempDir& dir, const std::string& rateMilli) {
    const std::string name = "r" + rateMilli + ".RAW";
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "2", "--rate", rateMilli, name});
    return name;
}

// The first video stream's rates and its time code, as ffprobe reads them.
std::string ratesOf(const std::string& movie) {
    const e2e::ProbeReport report = e2e::probeMovie(movie);
    return report.field("r_frame_rate") + " " + report.field("avg_frame_rate") + " " +
           report.field("TAG:timecode");
}

float bigEndianFloat(const std::string& bytes, std::size_t offset) {
    const std::uint32_t bits = e2e::bigEndian32(bytes, offset);
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

}  // namespace

TEST(NtscRates, TrailerRatesGiveExactMovieRatesAndTimeCodes) {
    TempDir dir;
    struct Case {
        std::string rateMilli, expected;
    };
    for (const Case& item :
         {Case{"23976", "24000/1001 24000/1001 01:00:00:00"},
          Case{"29970", "30000/1001 30000/1001 01:00:00:00"},
          Case{"47952", "48000/1001 48000/1001 01:00:00:00"},
          Case{"47950", "48000/1001 48000/1001 01:00:00:00"},
          Case{"59940", "60000/1001 60000/1001 01:00:00:00"},
          // Above 100 frames a second the frame field has three digits.
          Case{"119880", "120000/1001 120000/1001 01:00:00:000"},
          // Other rates keep their rules.
          Case{"25000", "25/1 25/1 01:00:00:00"}, Case{"29980", "30000/1001 30000/1001 01:00:00:00"},
          Case{"59939", "59939/1000 59939/1000 01:00:00:00"}}) {
        const std::string clip = clipAt(dir, item.rateMilli);
        const std::string movie = dir.file("r" + item.rateMilli + ".mov");
        const auto result = runRaw2tvx({clip, movie, "+TIMC=01:00:00:00"}, dir.path());
        ASSERT_EQ(0, result.exitCode) << item.rateMilli << result.err;
        EXPECT_EQ(item.expected, ratesOf(movie)) << item.rateMilli;
    }
    // Drop-frame counting at both rates that have it.
    const std::string drop30 = dir.file("drop30.mov");
    ASSERT_EQ(0, runRaw2tvx({"r29970.RAW", drop30, "+TIMC=01:00:00;02"}, dir.path()).exitCode);
    EXPECT_EQ("30000/1001 30000/1001 01:00:00;02", ratesOf(drop30));
    const std::string drop60 = dir.file("drop60.mov");
    ASSERT_EQ(0, runRaw2tvx({"r59940.RAW", drop60, "+TIMC=01:00:00;04"}, dir.path()).exitCode);
    EXPECT_EQ("60000/1001 60000/1001 01:00:00;04", ratesOf(drop60));
}

TEST(NtscRates, FrameRateSwitchGivesExactRates) {
    TempDir dir;
    const std::string clip = clipAt(dir, "24000");
    struct Case {
        std::string rate, expected;
    };
    for (const Case& item :
         {Case{"-f29.97", "30000/1001"}, Case{"-f59.94", "60000/1001"}, Case{"-f60000/1001", "60000/1001"},
          Case{"-f47.95", "48000/1001"}, Case{"-f119.88", "120000/1001"}, Case{"-f23.98", "24000/1001"},
          Case{"-f25/2", "25/2"}, Case{"-f12.5", "25/2"}, Case{"-f30", "30/1"}}) {
        const std::string movie = dir.file("f.mov");
        const auto result = runRaw2tvx({clip, movie, item.rate}, dir.path());
        ASSERT_EQ(0, result.exitCode) << item.rate << result.err;
        EXPECT_EQ("", result.err) << item.rate;
        const e2e::ProbeReport report = e2e::probeMovie(movie);
        EXPECT_EQ(item.expected, report.field("r_frame_rate")) << item.rate;
        EXPECT_EQ(item.expected, report.field("avg_frame_rate")) << item.rate;
    }
}

// A DPX sequence with a time code carries the clip's rate in its television
// header (offset 1940): 30000/1001 in single precision, not 29.97.
TEST(NtscRates, DpxHeadersCarryTheExactRate) {
    TempDir dir;
    const std::string clip = clipAt(dir, "29970");
    const auto result = runRaw2tvx({clip, "f_%d.dpx", "+TIMC=01:00:00;02"}, dir.path());
    ASSERT_EQ(0, result.exitCode) << result.err;
    const std::string header = testing_support::readFileBytes(dir.file("f_1.dpx"));
    ASSERT_GE(header.size(), 2048u);
    EXPECT_EQ(static_cast<float>(30000.0 / 1001.0), bigEndianFloat(header, 1940));
    const auto info = runProgram({"/usr/bin/oiiotool", "--info", "-v", dir.file("f_1.dpx")});
    ASSERT_EQ(0, info.exitCode) << info.err;
    EXPECT_NE(std::string::npos, info.out.find("dpx:TemporalFrameRate: 29.97")) << info.out;
    // The second file is one drop-frame label on: 01:00:00;03.
    EXPECT_NE(std::string::npos, info.out.find("dpx:TimeCode: \"01:00:00;03\"")) << info.out;
}
