#include "components/movie_metadata.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "timing/tag_value_text.h"

namespace {

MovieTag text(std::uint32_t tag, const std::string& value) {
    return {tag, 'c', std::vector<std::uint8_t>(value.begin(), value.end())};
}

MovieTag integer(std::uint32_t tag, std::uint8_t value) {
    return {tag, 'L', {value, 0, 0, 0}};
}

constexpr std::uint32_t kName = makeTagCode("TAGN");
constexpr std::uint32_t kValue = makeTagCode("TAGV");

}  // namespace

// The MOV keys of a tag and of a freeform entry.
TEST(MovieMetadata, KeysNameTheTagOrTheFreeformEntry) {
    const std::vector<MovieTag> tags = {integer(makeTagCode("HPNT"), 5), text(kName, "Director"),
                                        text(kValue, "A")};
    const std::vector<MovieMetadataItem> items = collectMovieMetadata(tags);
    ASSERT_EQ(2u, items.size());
    EXPECT_EQ("com.raw2tvx.HPNT", makeMovMetadataKey(items[0]));
    EXPECT_EQ("com.raw2tvx.user.Director", makeMovMetadataKey(items[1]));
}

// A freeform entry never takes a key the container acts on, nor a tag's key.
TEST(MovieMetadata, KeysStayInTheirOwnNamespaces) {
    const std::vector<MovieTag> tags = {text(kName, "timecode"),          text(kValue, "10:00:00:00"),
                                        text(kName, "creation_time"),     text(kValue, "2001-01-01"),
                                        text(makeTagCode("user"), "tag"), text(kName, ""),
                                        text(kValue, "empty name")};
    const MovMetadata mov = makeMovMetadata(collectMovieMetadata(tags));
    EXPECT_TRUE(mov.warnings.empty());
    EXPECT_EQ(
        (std::vector<std::pair<std::string, std::string>>{{"com.raw2tvx.user.timecode", "10:00:00:00"},
                                                          {"com.raw2tvx.user.creation_time", "2001-01-01"},
                                                          {"com.raw2tvx.user", "tag"},
                                                          {"com.raw2tvx.user.", "empty name"}}),
        mov.items);
}

TEST(MovieMetadata, AviCommentHasOneLinePerEntry) {
    const std::vector<MovieTag> tags = {integer(makeTagCode("BMTX"), 1), text(kName, "Director"),
                                        text(kValue, "Q. Ombry\nsecond line")};
    const AviComment comment = makeAviComment(collectMovieMetadata(tags));
    EXPECT_EQ("BMTX=1\n:Director=Q. Ombry\\x0asecond line", comment.text);
    EXPECT_TRUE(comment.warnings.empty());
    EXPECT_EQ("", makeAviComment({}).text);
}

// 65535 bytes in all: a line that would pass it is left out by name and the
// lines after it still get their chance.
TEST(MovieMetadata, AviCommentLeavesOutLinesThatDoNotFit) {
    const std::string big(65535 - 5, 'a');  // "BIG1=" and this fill the comment exactly
    const std::vector<MovieTag> tags = {text(makeTagCode("BIG1"), big), text(makeTagCode("MORE"), "x")};
    const AviComment full = makeAviComment(collectMovieMetadata(tags));
    EXPECT_EQ(65535u, full.text.size());
    ASSERT_EQ(1u, full.warnings.size());
    EXPECT_NE(std::string::npos, full.warnings[0].find("MORE left out")) << full.warnings[0];

    const std::vector<MovieTag> tooBig = {text(makeTagCode("BIG2"), big + "a"),
                                          text(makeTagCode("MORE"), "x")};
    const AviComment partial = makeAviComment(collectMovieMetadata(tooBig));
    EXPECT_EQ("MORE=x", partial.text);
    ASSERT_EQ(1u, partial.warnings.size());
    EXPECT_NE(std::string::npos, partial.warnings[0].find("BIG2 left out")) << partial.warnings[0];
}
