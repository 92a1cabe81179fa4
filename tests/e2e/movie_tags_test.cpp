// What the movies and DPX files of a run carry, read back by FFmpeg's ffprobe
// and decoder: every tag with a readable value, the start time code, the
// clip's colour matrix and gains, colour fields that lead a decoder to the
// right RGB, and values of any bytes stored whole.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "e2e/e2e_clips.h"
#include "raw/clip_color.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

using namespace e2e;
using testing_support::ProgramResult;
using testing_support::readFileBytes;
using testing_support::runProgram;
using testing_support::runRaw2tvx;
using testing_support::TempDir;

namespace {

const std::string kWarning = "raw2tvx: warning: ";
const char kProbe[] = "/usr/bin/ffprobe";

// A camera matrix of the clip's own, so that COLM and WBAL can only come from it.
const char kCameraMatrix[] =
    "7000/10000,-1000/10000,-500/10000,-4000/10000,12000/10000,2500/10000,-1000/10000,2000/10000,6000/10000";
const CameraMatrixRationals kCameraRationals = {7000,  10000, -1000, 10000, -500, 10000,
                                                -4000, 10000, 12000, 10000, 2500, 10000,
                                                -1000, 10000, 2000,  10000, 6000, 10000};

const std::vector<std::string> kUserTags = {"+TIMC=01:12:32:15",        "+TIMB=24",   "+HPNT=0.7",
                                            "+RGBO=0.000,0.002,-0.004", "+ABCD=0x1F", ":Director=Q. Ombry"};

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) result.push_back(line);
    return result;
}

// ffprobe's "key=value" lines for the entries asked, in its order.
std::vector<std::string> probe(const std::vector<std::string>& options, const std::string& path) {
    std::vector<std::string> arguments = {kProbe, "-v", "error"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.insert(arguments.end(), {"-of", "default=noprint_wrappers=1", path});
    const ProgramResult result = runProgram(arguments);
    EXPECT_EQ(0, result.exitCode) << path << ": " << result.err;
    return lines(result.out);
}

// The value of one entry as ffprobe prints it alone (newlines and all).
std::string probeValue(const std::string& entries, const std::string& path,
                       const std::vector<std::string>& options = {}) {
    std::vector<std::string> arguments = {kProbe, "-v", "error"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.insert(arguments.end(),
                     {"-show_entries", entries, "-of", "default=noprint_wrappers=1:nokey=1", path});
    const ProgramResult result = runProgram(arguments);
    EXPECT_EQ(0, result.exitCode) << path << ": " << result.err;
    std::string value = result.out;
    if (!value.empty() && value.back() == '\n') value.pop_back();
    return value;
}

// The movie's file-level tags "key=value", in the order stored.
std::vector<std::pair<std::string, std::string>> formatTags(const std::string& path) {
    std::vector<std::pair<std::string, std::string>> tags;
    for (const std::string& line : probe({"-show_entries", "format_tags"}, path)) {
        const std::size_t equals = line.find('=');
        if (line.rfind("TAG:", 0) != 0 || equals == std::string::npos) continue;
        tags.emplace_back(line.substr(4, equals - 4), line.substr(equals + 1));
    }
    return tags;
}

// Our tags under their keys, without the container's own.
std::vector<std::pair<std::string, std::string>> ourTags(const std::string& path) {
    std::vector<std::pair<std::string, std::string>> ours;
    for (auto& tag : formatTags(path))
        if (tag.first.rfind("com.raw2tvx.", 0) == 0) ours.push_back(std::move(tag));
    return ours;
}

std::vector<float> floatsOf(const std::string& text) {
    std::vector<float> values;
    std::istringstream stream(text);
    for (std::string item; std::getline(stream, item, ',');)
        values.push_back(std::strtof(item.c_str(), nullptr));
    return values;
}

std::size_t countOf(const std::vector<std::string>& haystack, const std::string& line) {
    std::size_t count = 0;
    for (const std::string& each : haystack) count += each == line;
    return count;
}

void makeColourClip(const TempDir& dir, const std::string& name, int frames) {
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", std::to_string(frames), "--matrix",
                   kCameraMatrix, name});
}

ProgramResult convert(const TempDir& dir, std::vector<std::string> arguments) {
    const ProgramResult result = runRaw2tvx(arguments, dir.path());
    EXPECT_EQ(0, result.exitCode) << result.out << result.err;
    return result;
}

std::vector<std::string> withUserTags(std::vector<std::string> arguments) {
    arguments.insert(arguments.end(), kUserTags.begin(), kUserTags.end());
    return arguments;
}

}  // namespace

// Every tag in the order sent, the user's HPNT where the fixed one stood, the
// clip's matrix and gains, and the time code on a time-code track.
TEST(MovieTags, MovShowsEveryTagTheClipColourAndTheStartTimeCode) {
    TempDir dir;
    makeColourClip(dir, "clip.RAW", 3);
    const ProgramResult run = convert(dir, withUserTags({"clip.RAW", "tags.mov"}));
    EXPECT_EQ("", run.err);
    const std::string movie = dir.file("tags.mov");

    // Log curve of power 113: kind 1, numerator 113, denominator 1.
    const std::vector<std::pair<std::string, std::string>> tags = ourTags(movie);
    const std::vector<std::string> expectedKeys = {"ECRV", "PCRV", "CCRV",         "BFMT", "COLM",
                                                   "BMTX", "WBAL", "HPNT",         "TIMC", "TIMB",
                                                   "RGBO", "ABCD", "user.Director"};
    ASSERT_EQ(expectedKeys.size(), tags.size());
    for (std::size_t i = 0; i < tags.size(); ++i) EXPECT_EQ("com.raw2tvx." + expectedKeys[i], tags[i].first);
    const auto value = [&tags](std::size_t index) { return tags.at(index).second; };
    EXPECT_EQ("0x00017101", value(0));
    EXPECT_EQ("0x00000001", value(1));
    EXPECT_EQ("0x00017101", value(2));
    EXPECT_EQ("0", value(3));
    EXPECT_EQ("1", value(5));
    EXPECT_EQ("0.7", value(7));
    EXPECT_EQ("01:12:32:15", value(8));
    EXPECT_EQ("24", value(9));
    EXPECT_EQ("0,0.002,-0.004", value(10));
    EXPECT_EQ("0x0000001f", value(11));
    EXPECT_EQ("Q. Ombry", value(12));

    ClipColorInfo color;
    ASSERT_TRUE(deriveClipColor(kCameraRationals, color).cameraMatrixUsable);
    const std::vector<float> matrix = floatsOf(value(4));
    ASSERT_EQ(12u, matrix.size()) << value(4);
    for (std::size_t k = 0; k < 12; ++k) EXPECT_EQ(color.colorMatrix[k], matrix[k]) << "COLM " << k;
    const std::vector<float> gains = floatsOf(value(6));
    ASSERT_EQ(4u, gains.size()) << value(6);
    for (std::size_t k = 0; k < 4; ++k) EXPECT_EQ(color.whiteBalance[k], gains[k]) << "WBAL " << k;

    const std::vector<std::string> streams = probe({"-show_streams"}, movie);
    EXPECT_EQ(1u, countOf(streams, "codec_tag_string=tmcd"));
    EXPECT_EQ(2u, countOf(streams, "TAG:timecode=01:12:32:15"));  // the video stream and its track
}

// 29.98 gives 30000/1001, where ';' counts drop-frame; at 23.976 there is no
// drop-frame counting, so the movie gets no track, says why and keeps the tag.
TEST(MovieTags, DropFrameTimeCodeAt30000Over1001Only) {
    TempDir dir;
    makeColourClip(dir, "clip.RAW", 2);
    const ProgramResult drop = convert(dir, {"clip.RAW", "drop.mov", "-f29.98", "+TIMC=01:12:32;15"});
    EXPECT_EQ("", drop.err);
    const std::vector<std::string> streams = probe({"-show_streams"}, dir.file("drop.mov"));
    EXPECT_EQ("30000/1001",
              probeValue("stream=avg_frame_rate", dir.file("drop.mov"), {"-select_streams", "v:0"}));
    EXPECT_EQ(2u, countOf(streams, "TAG:timecode=01:12:32;15"));

    const ProgramResult refused = convert(dir, {"clip.RAW", "nodrop.mov", "-f23.976", "+TIMC=01:12:32;15"});
    EXPECT_NE(
        std::string::npos,
        refused.err.find(": TIMC 01:12:32;15 gives the movie no start time code: drop-frame time code exists "
                         "only at 30000/1001"))
        << refused.err;
    const std::vector<std::string> none = probe({"-show_streams"}, dir.file("nodrop.mov"));
    EXPECT_EQ(0u, countOf(none, "codec_tag_string=tmcd"));
    EXPECT_EQ("01:12:32;15", probeValue("format_tags=com.raw2tvx.TIMC", dir.file("nodrop.mov")));
}

// A time code that cannot be is kept as a tag; the movie has no track and a
// warning says why.
TEST(MovieTags, MalformedTimeCodeIsStoredButMakesNoTrack) {
    TempDir dir;
    makeColourClip(dir, "clip.RAW", 2);
    const ProgramResult run = convert(dir, {"clip.RAW", "bad.mov", "+TIMC=01:61:00:00"});
    EXPECT_EQ(kWarning +
                  "bad.mov: TIMC 01:61:00:00 gives the movie no start time code: the minutes 61 are out of "
                  "range (0 to "
                  "59)\n",
              run.err);
    const std::vector<std::string> streams = probe({"-show_streams"}, dir.file("bad.mov"));
    EXPECT_EQ(0u, countOf(streams, "codec_tag_string=tmcd"));
    EXPECT_EQ(0u, countOf(streams, "TAG:timecode=01:61:00:00"));
    EXPECT_EQ("01:61:00:00", probeValue("format_tags=com.raw2tvx.TIMC", dir.file("bad.mov")));
}

// AVI keeps the same entries as lines of its INFO comment, and the start time
// code as ISMP (which libavformat names "timecode").
TEST(MovieTags, AviCarriesTheTagsInItsInfoList) {
    TempDir dir;
    makeColourClip(dir, "clip.RAW", 2);
    const ProgramResult run = convert(dir, withUserTags({"clip.RAW", "tags.avi", "-444"}));
    EXPECT_EQ("", run.err);
    const std::string movie = dir.file("tags.avi");
    const std::vector<std::string> comment = lines(probeValue("format_tags=comment", movie));
    ASSERT_EQ(12u, comment.size()) << probeValue("format_tags=comment", movie);
    const std::vector<std::string> expectedStarts = {
        "ECRV=0x00017101", "PCRV=0x00000001",   "CCRV=0x00017101",  "COLM=",   "BMTX=1",
        "WBAL=",           "HPNT=0.7",          "TIMC=01:12:32:15", "TIMB=24", "RGBO=0,0.002,-0.004",
        "ABCD=0x0000001f", ":Director=Q. Ombry"};
    for (std::size_t i = 0; i < comment.size(); ++i) {
        EXPECT_EQ(0u, comment[i].find(expectedStarts[i])) << comment[i];
        if (expectedStarts[i].back() != '=') {
            EXPECT_EQ(expectedStarts[i], comment[i]);
        }
    }
    ClipColorInfo color;
    ASSERT_TRUE(deriveClipColor(kCameraRationals, color).cameraMatrixUsable);
    const std::vector<float> matrix = floatsOf(comment[3].substr(5));
    ASSERT_EQ(12u, matrix.size());
    for (std::size_t k = 0; k < 12; ++k) EXPECT_EQ(color.colorMatrix[k], matrix[k]) << "COLM " << k;
    EXPECT_EQ("01:12:32:15", probeValue("format_tags=timecode", movie));
}

// Control characters, bytes that are not UTF-8, printf directives and long
// values reach both containers whole, escaped where they are not text.
TEST(MovieTags, AnyBytesAreStoredEscapedAndWhole) {
    TempDir dir;
    makeColourClip(dir, "clip.RAW", 1);
    const std::string nasty =
        "+NSTY=a\x01"
        "b\tc\xFF\xFE %s%n \\ \xC3\xA9nd";
    const std::string nastyShown = "a\\x01b\\x09c\\xff\\xfe %s%n \\\\ \xC3\xA9nd";
    const std::string longFreeform = std::string(253, 'x') + "\xC3\xA9";  // 255 bytes
    const std::string longTag(1000, 'y');
    const std::vector<std::string> arguments = {nasty, ":Note=" + longFreeform, "+LONG=" + longTag};

    std::vector<std::string> movRun = {"clip.RAW", "nasty.mov"};
    movRun.insert(movRun.end(), arguments.begin(), arguments.end());
    EXPECT_EQ("", convert(dir, movRun).err);
    EXPECT_EQ(nastyShown, probeValue("format_tags=com.raw2tvx.NSTY", dir.file("nasty.mov")));
    EXPECT_EQ(longFreeform, probeValue("format_tags=com.raw2tvx.user.Note", dir.file("nasty.mov")));
    EXPECT_EQ(longTag, probeValue("format_tags=com.raw2tvx.LONG", dir.file("nasty.mov")));

    std::vector<std::string> aviRun = {"clip.RAW", "nasty.avi"};
    aviRun.insert(aviRun.end(), arguments.begin(), arguments.end());
    EXPECT_EQ("", convert(dir, aviRun).err);
    const std::vector<std::string> comment = lines(probeValue("format_tags=comment", dir.file("nasty.avi")));
    ASSERT_GE(comment.size(), 3u);
    EXPECT_EQ("NSTY=" + nastyShown, comment[comment.size() - 3]);
    EXPECT_EQ(":Note=" + longFreeform, comment[comment.size() - 2]);
    EXPECT_EQ("LONG=" + longTag, comment[comment.size() - 1]);
}

// The colour fields of the container and of every frame header agree: BT.709
// matrix, limited range, primaries unknown, and a transfer only for a plain
// gamma (ffprobe calls gamma 2.2 "bt470m"). AVI has no colour fields of its
// own; its frames say it all the same.
TEST(MovieColour, ContainerAndFrameHeadersSayTheSame) {
    TempDir dir;
    makeColourClip(dir, "clip.RAW", 2);
    struct Case {
        std::vector<std::string> switches;
        std::string transfer;
    };
    const std::vector<Case> cases = {{{"-422"}, "unknown"},
                                     {{"-444"}, "unknown"},
                                     {{"-422", "-g2.2"}, "bt470m"},
                                     {{"-444", "-g2.2", "-q5"}, "bt470m"},
                                     {{"-444", "-g1"}, "linear"}};
    for (const Case& test : cases) {
        for (const char* container : {"mov", "avi"}) {
            const std::string name = "colour." + std::string(container);
            std::vector<std::string> arguments = {"clip.RAW", name};
            arguments.insert(arguments.end(), test.switches.begin(), test.switches.end());
            convert(dir, arguments);
            const std::string label =
                test.switches[0] + (test.switches.size() > 1 ? test.switches[1] : "") + " " + container;
            const std::vector<std::string> frames =
                probe({"-select_streams", "v:0", "-show_entries",
                       "frame=color_space,color_transfer,color_primaries,color_range"},
                      dir.file(name));
            EXPECT_EQ(2u, countOf(frames, "color_space=bt709")) << label;
            EXPECT_EQ(2u, countOf(frames, "color_range=tv")) << label;
            EXPECT_EQ(2u, countOf(frames, "color_primaries=unknown")) << label;
            EXPECT_EQ(2u, countOf(frames, "color_transfer=" + test.transfer)) << label;
            const std::vector<std::string> stream =
                probe({"-select_streams", "v:0", "-show_entries",
                       "stream=color_space,color_transfer,color_primaries"},
                      dir.file(name));
            EXPECT_EQ((std::vector<std::string>{"color_space=bt709", "color_transfer=" + test.transfer,
                                                "color_primaries=unknown"}),
                      stream)
                << label;
            // The container's own fields, before any frame is decoded.
            const std::vector<std::string> containerFields =
                probe({"-nofind_stream_info", "-select_streams", "v:0", "-show_entries",
                       "stream=color_space,color_transfer,color_primaries"},
                      dir.file(name));
            const std::vector<std::string> expected =
                std::string(container) == "mov"
                    ? std::vector<std::string>{"color_space=bt709", "color_transfer=" + test.transfer,
                                               "color_primaries=unknown"}
                    : std::vector<std::string>{"color_space=unknown", "color_transfer=unknown",
                                               "color_primaries=unknown"};
            EXPECT_EQ(expected, containerFields) << label;
        }
    }
}

namespace {

// The mean and largest difference, in 10-bit codes, between two pictures of
// the same size over the pixels whose row neighbours two either side are
// within 6 codes of them: there 4:2:2 loses nothing to its halved chroma.
struct Difference {
    double mean = 0;
    int largest = 0;
};

Difference smoothAreaDifference(const DpxPicture& reference, const DpxPicture& decoded) {
    Difference difference;
    std::size_t count = 0;
    const auto near = [&reference](int x, int y, int dx) {
        for (int c = 0; c < 3; ++c)
            if (std::abs(reference.at(x, y)[c] - reference.at(x + dx, y)[c]) > 6) return false;
        return true;
    };
    for (int y = 0; y < reference.height; ++y)
        for (int x = 2; x < reference.width - 2; ++x) {
            if (!near(x, y, -2) || !near(x, y, -1) || !near(x, y, 1) || !near(x, y, 2)) continue;
            for (int c = 0; c < 3; ++c) {
                const int delta = std::abs(reference.at(x, y)[c] - decoded.at(x, y)[c]);
                difference.mean += delta;
                difference.largest = std::max(difference.largest, delta);
                ++count;
            }
        }
    if (count > 0) difference.mean /= static_cast<double>(count);
    return difference;
}

// A movie through FFmpeg's decoder and its own conversion to 16-bit RGB, as
// a player makes it, taken to 10 bits the way DPX files keep them.
DpxPicture decodeMovieToRgb(const std::string& path, int width, int height) {
    DpxPicture picture;
    const ProgramResult result = runProgram({"/usr/bin/ffmpeg", "-nostdin", "-v", "error", "-i", path,
                                             "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "rgb48le", "-"});
    const std::size_t pixels = static_cast<std::size_t>(width) * height;
    if (result.exitCode != 0 || result.out.size() != pixels * 6) return picture;
    const auto sample = [&result](std::size_t index) {
        return (static_cast<unsigned char>(result.out[2 * index]) |
                static_cast<unsigned char>(result.out[2 * index + 1]) << 8) >>
               6;
    };
    picture.width = width;
    picture.height = height;
    for (std::size_t i = 0; i < pixels; ++i)
        picture.pixels.push_back(Rgb10{sample(3 * i), sample(3 * i + 1), sample(3 * i + 2)});
    picture.valid = true;
    return picture;
}

}  // namespace

// With primaries and transfer unknown, FFmpeg still converts the pictures back
// to the RGB they were made from, since the frames name their matrix: the
// chart's smooth areas come back within a few codes of the DPX picture of the
// same frame. Read with the BT.601 matrix instead, they would be some 10
// codes off on average and up to 70 on the coloured patches.
TEST(MovieColour, DecodersReturnTheRgbThePicturesWereMadeFrom) {
    TempDir dir;
    makeClip(dir, {"--width", "128", "--height", "64", "--frames", "1", "chart.RAW"});
    convert(dir, {"chart.RAW", "ref_%d.dpx", "-d0"});
    const DpxPicture reference = decodeWithFfmpeg(dir.file("ref_0.dpx"), 128, 64);
    ASSERT_TRUE(reference.valid);
    for (const char* kind : {"-444", "-422"}) {
        for (const char* movie : {"chart.mov", "chart.avi"}) {
            convert(dir, {"chart.RAW", movie, kind, "-q5", "-d0"});
            const DpxPicture decoded = decodeMovieToRgb(dir.file(movie), 128, 64);
            ASSERT_TRUE(decoded.valid) << kind << " " << movie;
            const Difference difference = smoothAreaDifference(reference, decoded);
            EXPECT_LT(difference.mean, 5.0) << kind << " " << movie;
            EXPECT_LT(difference.largest, 30) << kind << " " << movie;
        }
    }
}

namespace {

std::string timeCodeOf(const std::string& path) {
    return probeValue("frame_tags=timecode", path);
}

// Everything but the television header's time code and rate fields.
std::string withoutTiming(std::string bytes) {
    if (bytes.size() >= 2048) {
        bytes.replace(1920, 4, 4, '\0');
        bytes.replace(1940, 4, 4, '\0');
    }
    return bytes;
}

void makeRampClip(const TempDir& dir, int frames) {
    makeClip(dir, {"--width", "32", "--height", "8", "--frames", std::to_string(frames), "--scene", "ramp",
                   "ramp.RAW"});
}

}  // namespace

// Each file of a DPX sequence is one label after the one before, from the
// start time code on; the files are otherwise the bytes written without it.
TEST(DpxSequenceTimeCode, FilesAdvanceOneFramePerFile) {
    TempDir dir;
    makeRampClip(dir, 6);
    std::filesystem::create_directory(dir.file("tc"));
    std::filesystem::create_directory(dir.file("plain"));
    const ProgramResult run = convert(dir, {"ramp.RAW", "tc/f_%d.dpx", "+TIMC=01:12:32:20", "+TIMB=24"});
    EXPECT_EQ("", run.err);
    convert(dir, {"ramp.RAW", "plain/f_%d.dpx"});
    const char* expected[] = {"01:12:32:20", "01:12:32:21", "01:12:32:22",
                              "01:12:32:23", "01:12:33:00", "01:12:33:01"};
    for (int frame = 0; frame < 6; ++frame) {
        const std::string name = "f_" + std::to_string(frame) + ".dpx";
        EXPECT_EQ(expected[frame], timeCodeOf(dir.file("tc/" + name))) << name;
        const std::string timed = readFileBytes(dir.file("tc/" + name));
        // 24 as a big-endian float in the temporal sampling rate field.
        EXPECT_EQ(std::string("\x41\xC0\x00\x00", 4), timed.substr(1940, 4)) << name;
        EXPECT_EQ(readFileBytes(dir.file("plain/" + name)), withoutTiming(timed)) << name;
    }

    // With an in point and skips the files still count one label each, as
    // the frames of a movie would.
    convert(dir, {"ramp.RAW", "skip_%d.dpx", "-i1", "-s1", "+TIMC=01:12:32:20"});
    EXPECT_EQ("01:12:32:20", timeCodeOf(dir.file("skip_1.dpx")));
    EXPECT_EQ("01:12:32:21", timeCodeOf(dir.file("skip_3.dpx")));
    EXPECT_EQ("01:12:32:22", timeCodeOf(dir.file("skip_5.dpx")));
}

// At 30000/1001 a ';' counts drop-frame: 00:00:59;29 is followed by
// 00:01:00;02, and the header's frames byte carries the drop-frame flag 0x40.
TEST(DpxSequenceTimeCode, DropFrameLabelsAndFlag) {
    TempDir dir;
    makeRampClip(dir, 4);
    EXPECT_EQ("", convert(dir, {"ramp.RAW", "d_%d.dpx", "-f29.98", "+TIMC=00:00:59;28"}).err);
    EXPECT_EQ("00:00:59;28", timeCodeOf(dir.file("d_0.dpx")));
    EXPECT_EQ("00:00:59;29", timeCodeOf(dir.file("d_1.dpx")));
    EXPECT_EQ("00:01:00;02", timeCodeOf(dir.file("d_2.dpx")));
    EXPECT_EQ("00:01:00;03", timeCodeOf(dir.file("d_3.dpx")));
    EXPECT_EQ(std::string("\x00\x01\x00\x42", 4), readFileBytes(dir.file("d_2.dpx")).substr(1920, 4));
}

// A time code the files cannot carry leaves them as they are without one, and
// a warning says why.
TEST(DpxSequenceTimeCode, RefusedTimeCodesLeaveTheFilesWithoutOne) {
    TempDir dir;
    makeRampClip(dir, 2);
    std::filesystem::create_directory(dir.file("plain"));
    convert(dir, {"ramp.RAW", "plain/f_%d.dpx"});
    struct Case {
        std::vector<std::string> arguments;
        std::string warning;
    };
    const std::vector<Case> cases = {
        {{"+TIMC=01:00:00:24"},
         "TIMC 01:00:00:24 gives the DPX files no time code: the frames 24 are beyond the 24 frames a second "
         "the "
         "time code counts at 24"},
        {{"+TIMC=01:00:00:00", "-f60"},
         "TIMC 01:00:00:00 gives the DPX files no time code: the DPX time code field counts at most 30 "
         "frames a "
         "second and the clip runs at 60"},
    };
    int index = 0;
    for (const Case& test : cases) {
        const std::string directory = "refused" + std::to_string(index++);
        std::filesystem::create_directory(dir.file(directory));
        std::vector<std::string> arguments = {"ramp.RAW", directory + "/f_%d.dpx"};
        arguments.insert(arguments.end(), test.arguments.begin(), test.arguments.end());
        const ProgramResult run = convert(dir, arguments);
        EXPECT_EQ(kWarning + directory + "/f_%d.dpx: " + test.warning + "\n", run.err);
        for (const char* name : {"f_0.dpx", "f_1.dpx"})
            EXPECT_EQ(readFileBytes(dir.file("plain/" + std::string(name))),
                      readFileBytes(dir.file(directory + "/" + name)))
                << directory << " " << name;
    }
}
