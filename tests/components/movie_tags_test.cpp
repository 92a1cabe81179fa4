// What the movies carry, read back by libavformat's demuxers and ffprobe: the
// tags as MOV metadata items and AVI INFO text, and the start time code.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "components/movie_muxer.h"
#include "components/movie_reader.h"
#include "components/movie_test_streams.h"
#include "support/temp_dir.h"

using movie_test::MemorySink;
using movie_test::ReadMovie;

namespace {

std::uint32_t tagOf(const char* name) {
    std::uint32_t tag = 0;
    std::memcpy(&tag, name, 4);  // memory order: the first character in the low byte
    return tag;
}

std::vector<std::uint8_t> littleEndianWords(const std::vector<std::uint32_t>& words) {
    std::vector<std::uint8_t> bytes;
    for (const std::uint32_t word : words)
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(word >> shift));
    return bytes;
}

MovieTag hexTag(const char* name, std::uint32_t value) {
    return {tagOf(name), 'H', littleEndianWords({value})};
}
MovieTag integerTag(const char* name, std::int32_t value) {
    return {tagOf(name), 'L', littleEndianWords({static_cast<std::uint32_t>(value)})};
}
MovieTag floatTag(const char* name, const std::vector<float>& values) {
    std::vector<std::uint32_t> words;
    for (const float value : values) words.push_back(std::bit_cast<std::uint32_t>(value));
    return {tagOf(name), 'f', littleEndianWords(words)};
}
MovieTag textTag(const char* name, const std::string& text) {
    return {tagOf(name), 'c', std::vector<std::uint8_t>(text.begin(), text.end())};
}

// The tags the encoding graph sends before the user's (curve code 0x17101,
// the log curve of power 113), then the user's records in the order given.
std::vector<MovieTag> fixedTags() {
    return {hexTag("ECRV", 0x17101),
            hexTag("PCRV", 1),
            hexTag("CCRV", 0x17101),
            {tagOf("BFMT"), 'b', {0}},
            floatTag("COLM",
                     {1.5f, -0.25f, -0.25f, 0.0f, -0.125f, 1.25f, -0.125f, 0.0f, 0.3f, -0.5f, 1.4375f, 0.0f}),
            integerTag("BMTX", 1),
            floatTag("WBAL", {2.0f, 1.0f, 1.0f, 1.5f}),
            floatTag("HPNT", {0.5f})};
}

std::vector<MovieTag> userTags(const std::string& timeCode) {
    return {textTag("TIMC", timeCode),  integerTag("TIMB", 24),
            floatTag("HPNT", {0.7f}),   floatTag("RGBO", {0.000f, 0.002f, -0.004f}),
            hexTag("ABCD", 0x1F),       textTag("TAGN", "Director"),
            textTag("TAGV", "Q. Ombry")};
}

std::vector<MovieTag> allTags(const std::string& timeCode = "01:12:32:15") {
    std::vector<MovieTag> tags = fixedTags();
    for (MovieTag& tag : userTags(timeCode)) tags.push_back(std::move(tag));
    return tags;
}

// Each entry as its text; the user's HPNT where the fixed one stood.
const std::vector<std::pair<std::string, std::string>> kExpectedEntries = {
    {"ECRV", "0x00017101"},
    {"PCRV", "0x00000001"},
    {"CCRV", "0x00017101"},
    {"BFMT", "0"},
    {"COLM", "1.5,-0.25,-0.25,0,-0.125,1.25,-0.125,0,0.3,-0.5,1.4375,0"},
    {"BMTX", "1"},
    {"WBAL", "2,1,1,1.5"},
    {"HPNT", "0.7"},
    {"TIMC", "01:12:32:15"},
    {"TIMB", "24"},
    {"RGBO", "0,0.002,-0.004"},
    {"ABCD", "0x0000001f"}};

struct WrittenMovie {
    std::string path;
    std::vector<std::string> warnings;
    std::optional<StartTimeCode> startTimeCode;
};

WrittenMovie writeMovie(const testing_support::TempDir& dir, const std::string& name,
                        MovieContainer container, const std::vector<MovieTag>& tags, int rateNumerator = 24,
                        int rateDenominator = 1) {
    const movie_test::TestStream stream =
        movie_test::proResStream(32, 16, 3, 2, rateNumerator, rateDenominator);
    MemorySink sink;
    MovieMuxer muxer(container, sink);
    Status result = muxer.writeHeader(stream.info, tags);
    for (const EncodedPacket& packet : stream.packets)
        if (result.ok()) result = muxer.writePacket(packet);
    if (result.ok()) result = muxer.writeTrailer();
    EXPECT_TRUE(result.ok()) << result.message();
    WrittenMovie written{dir.file(name), muxer.warnings(), muxer.startTimeCode()};
    testing_support::writeFileBytes(written.path, std::string(sink.bytes.begin(), sink.bytes.end()));
    return written;
}

// Our entries of a MOV file, in stored order.
std::vector<std::pair<std::string, std::string>> ourEntries(const ReadMovie& movie) {
    std::vector<std::pair<std::string, std::string>> entries;
    for (const auto& [key, value] : movie.metadata)
        if (key.rfind("com.raw2tvx.", 0) == 0) entries.emplace_back(key, value);
    return entries;
}

std::size_t timeCodeTracks(const ReadMovie& movie) {
    std::size_t count = 0;
    for (const movie_test::ReadStream& stream : movie.streams)
        if (stream.codecTag == tagOf("tmcd")) ++count;
    return count;
}

bool mentions(const std::vector<std::string>& warnings, const std::string& text) {
    for (const std::string& warning : warnings)
        if (warning.find(text) != std::string::npos) return true;
    return false;
}

}  // namespace

TEST(MovMetadata, CarriesEveryTagInOrderWithTheLaterValueOfARepeatedOne) {
    testing_support::TempDir dir;
    const WrittenMovie written = writeMovie(dir, "tags.mov", MovieContainer::Mov, allTags());
    EXPECT_TRUE(written.warnings.empty());
    const ReadMovie movie = movie_test::readMovie(written.path);
    ASSERT_TRUE(movie.opened);
    std::vector<std::pair<std::string, std::string>> expected;
    for (const auto& [tag, value] : kExpectedEntries) expected.emplace_back("com.raw2tvx." + tag, value);
    expected.emplace_back("com.raw2tvx.user.Director", "Q. Ombry");
    EXPECT_EQ(expected, ourEntries(movie));

    // ffprobe lists each one as the README shows.
    const std::string report = movie_test::probeReport(written.path);
    EXPECT_TRUE(movie_test::hasLine(report, "TAG:com.raw2tvx.HPNT=0.7")) << report;
    EXPECT_TRUE(movie_test::hasLine(report, "TAG:com.raw2tvx.ABCD=0x0000001f")) << report;
    EXPECT_TRUE(movie_test::hasLine(report, "TAG:com.raw2tvx.RGBO=0,0.002,-0.004")) << report;
    EXPECT_TRUE(movie_test::hasLine(report, "TAG:com.raw2tvx.user.Director=Q. Ombry")) << report;
}

// The time code track counts from the label TIMC gives, at the movie's rate.
TEST(MovMetadata, StartTimeCodeBecomesATimeCodeTrack) {
    testing_support::TempDir dir;
    for (const auto& [numerator, denominator] : std::vector<std::pair<int, int>>{{24, 1}, {24000, 1001}}) {
        const WrittenMovie written =
            writeMovie(dir, "timecode.mov", MovieContainer::Mov, allTags(), numerator, denominator);
        EXPECT_TRUE(written.warnings.empty());
        const ReadMovie movie = movie_test::readMovie(written.path);
        ASSERT_EQ(2u, movie.streams.size());
        EXPECT_EQ(1u, timeCodeTracks(movie));
        EXPECT_EQ(AVMEDIA_TYPE_DATA, movie.streams[1].type);
        EXPECT_EQ("01:12:32:15", movie.streams[1].metadata.at("timecode"));
        const std::string report = movie_test::probeReport(written.path);
        EXPECT_TRUE(movie_test::hasLine(report, "TAG:timecode=01:12:32:15")) << report;
        EXPECT_TRUE(movie_test::hasLine(report, "codec_tag_string=tmcd")) << report;
    }
}

TEST(MovMetadata, DropFrameTimeCodeAt29_97) {
    testing_support::TempDir dir;
    std::vector<MovieTag> tags = {textTag("TIMC", "01:12:32;15")};
    const WrittenMovie written = writeMovie(dir, "drop.mov", MovieContainer::Mov, tags, 30000, 1001);
    EXPECT_TRUE(written.warnings.empty());
    ASSERT_TRUE(written.startTimeCode);
    EXPECT_TRUE(written.startTimeCode->dropFrame);
    const ReadMovie movie = movie_test::readMovie(written.path);
    ASSERT_EQ(1u, timeCodeTracks(movie));
    EXPECT_EQ("01:12:32;15", movie.streams[1].metadata.at("timecode"));
    const std::string report = movie_test::probeReport(written.path);
    EXPECT_TRUE(movie_test::hasLine(report, "TAG:timecode=01:12:32;15")) << report;
}

// A time code that cannot be is still kept as a tag, but makes no track, and
// the reason is given.
TEST(MovMetadata, RefusedTimeCodeMakesNoTrackAndSaysWhy) {
    struct Case {
        std::vector<MovieTag> tags;
        int numerator, denominator;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {{textTag("TIMC", "01:61:00:00")}, 24, 1, "minutes 61"},
        {{textTag("TIMC", "01:00:00:24")}, 24, 1, "frames 24"},
        {{textTag("TIMC", "1:2:3:4")}, 24, 1, "hh:mm:ss:ff"},
        {{textTag("TIMC", "01:00:00;10")}, 24000, 1001, "drop-frame"},
        {{textTag("TIMC", "01:01:00;01")}, 30000, 1001, "skips"},
        {{textTag("TIMC", "01:00:00:00"), integerTag("TIMB", 25)}, 24, 1, "counts 25"},
        {{textTag("TIMC", "01:00:00:00"), textTag("TIMB", "fast")}, 24, 1, "TIMB fast"},
        {{integerTag("TIMC", 1)}, 24, 1, "not text"},
        {{textTag("TIMC", "00:00:01:00")}, 300, 1, "255"},
    };
    testing_support::TempDir dir;
    for (const Case& test : cases) {
        const WrittenMovie written =
            writeMovie(dir, "refused.mov", MovieContainer::Mov, test.tags, test.numerator, test.denominator);
        EXPECT_FALSE(written.startTimeCode) << test.reason;
        ASSERT_EQ(1u, written.warnings.size()) << test.reason;
        EXPECT_NE(std::string::npos, written.warnings[0].find(test.reason)) << written.warnings[0];
        EXPECT_EQ(0u, written.warnings[0].find("TIMC ")) << written.warnings[0];
        const ReadMovie movie = movie_test::readMovie(written.path);
        ASSERT_TRUE(movie.opened) << test.reason;
        EXPECT_EQ(0u, timeCodeTracks(movie)) << test.reason;
        EXPECT_EQ(2u, movie.videoPackets.size()) << test.reason;
        EXPECT_TRUE(movie.hasTag("com.raw2tvx.TIMC")) << test.reason;
    }
}

TEST(AviMetadata, CarriesTheTagsAsCommentLinesAndTheTimeCodeAsIsmp) {
    testing_support::TempDir dir;
    const WrittenMovie written = writeMovie(dir, "tags.avi", MovieContainer::Avi, allTags());
    EXPECT_TRUE(written.warnings.empty());
    const ReadMovie movie = movie_test::readMovie(written.path);
    ASSERT_TRUE(movie.opened);
    std::string expected;
    for (const auto& [tag, value] : kExpectedEntries) expected += tag + "=" + value + "\n";
    expected += ":Director=Q. Ombry";
    // libavformat's AVI reader names ICMT "comment" and ISMP "timecode".
    EXPECT_EQ(expected, movie.tag("comment"));
    EXPECT_EQ("01:12:32:15", movie.tag("timecode"));
    EXPECT_EQ(2u, movie.metadata.size());
    const auto result = testing_support::runProgram({"/usr/bin/ffprobe", "-v", "error", "-show_entries",
                                                     "format_tags=timecode", "-of", "csv=p=0", written.path});
    EXPECT_EQ("01:12:32:15\n", result.out) << result.err;
}

// Control characters, bytes that are not UTF-8 and long values are stored
// whole, escaped, and every reader shows them without a complaint.
TEST(MovieMetadataSafety, StoresAnyBytesEscapedAndWhole) {
    constexpr char kNastyBytes[] =
        "a\x01"
        "b\nc\0d\xFF\xFE \xC3\xA9 \\ %s%n end";
    const std::string nasty(kNastyBytes, sizeof kNastyBytes - 1);
    const std::string nastyShown = "a\\x01b\\x0ac\\x00d\\xff\\xfe \xC3\xA9 \\\\ %s%n end";
    const std::string longValue =
        std::string(253, 'x') + "\xC3\xA9";  // 255 bytes, ending in a two-byte character
    const std::vector<MovieTag> tags = {textTag("NSTY", nasty), textTag("TAGN", std::string("Bad\x1bName")),
                                        textTag("TAGV", longValue),
                                        textTag("\x01"
                                                "A=B",
                                                "v")};
    testing_support::TempDir dir;

    const WrittenMovie mov = writeMovie(dir, "nasty.mov", MovieContainer::Mov, tags);
    EXPECT_TRUE(mov.warnings.empty());
    const ReadMovie movMovie = movie_test::readMovie(mov.path);
    EXPECT_EQ(nastyShown, movMovie.tag("com.raw2tvx.NSTY"));
    EXPECT_EQ(longValue, movMovie.tag("com.raw2tvx.user.Bad\\x1bName"));
    EXPECT_EQ("v", movMovie.tag("com.raw2tvx.\\x01A\\x3dB"));
    movie_test::probeReport(mov.path);  // no complaint on standard error

    const WrittenMovie avi = writeMovie(dir, "nasty.avi", MovieContainer::Avi, tags);
    EXPECT_TRUE(avi.warnings.empty());
    const ReadMovie aviMovie = movie_test::readMovie(avi.path);
    EXPECT_EQ("NSTY=" + nastyShown + "\n:Bad\\x1bName=" + longValue + "\n\\x01A\\x3dB=v",
              aviMovie.tag("comment"));
    movie_test::probeReport(avi.path);
}

// What does not fit is left out by name, and the movie is still made.
TEST(MovieMetadataSafety, LeavesOutWhatDoesNotFitAndSaysWhat) {
    testing_support::TempDir dir;
    // Each control byte shows as four characters: 20000 of them pass 65535.
    const std::vector<MovieTag> oversized = {
        textTag("SMAL", "ok"), textTag("HUGE", std::string(20000, '\x01')), textTag("LAST", "kept")};
    for (const MovieContainer container : {MovieContainer::Mov, MovieContainer::Avi}) {
        const WrittenMovie written =
            writeMovie(dir, container == MovieContainer::Mov ? "huge.mov" : "huge.avi", container, oversized);
        ASSERT_EQ(1u, written.warnings.size());
        EXPECT_NE(std::string::npos, written.warnings[0].find("HUGE left out")) << written.warnings[0];
        const ReadMovie movie = movie_test::readMovie(written.path);
        EXPECT_EQ(2u, movie.videoPackets.size());
        if (container == MovieContainer::Mov) {
            EXPECT_EQ("ok", movie.tag("com.raw2tvx.SMAL"));
            EXPECT_FALSE(movie.hasTag("com.raw2tvx.HUGE"));
            EXPECT_EQ("kept", movie.tag("com.raw2tvx.LAST"));
        } else {
            EXPECT_EQ("SMAL=ok\nLAST=kept", movie.tag("comment"));
        }
    }

    // Twenty entries of 60016 bytes (key and value): 17 fit in 1 MiB.
    std::vector<MovieTag> many;
    for (int i = 0; i < 20; ++i) {
        const std::string name = "BG" + std::string(1, static_cast<char>('A' + i)) + "Z";
        many.push_back(textTag(name.c_str(), std::string(60000, 'a')));
    }
    const WrittenMovie written = writeMovie(dir, "many.mov", MovieContainer::Mov, many);
    ASSERT_EQ(3u, written.warnings.size());
    EXPECT_TRUE(mentions(written.warnings, "BGRZ left out"));
    EXPECT_TRUE(mentions(written.warnings, "BGSZ left out"));
    EXPECT_TRUE(mentions(written.warnings, "BGTZ left out"));
    const ReadMovie movie = movie_test::readMovie(written.path);
    EXPECT_EQ(17u, ourEntries(movie).size());
    EXPECT_EQ(std::string(60000, 'a'), movie.tag("com.raw2tvx.BGQZ"));
}
