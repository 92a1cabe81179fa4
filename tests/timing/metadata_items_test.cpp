#include "timing/metadata_items.h"

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

std::vector<std::string> lines(const std::vector<MovieMetadataItem>& items) {
    std::vector<std::string> result;
    for (const MovieMetadataItem& item : items)
        result.push_back(displayMetadataName(item) + "=" + item.value);
    return result;
}

constexpr std::uint32_t kName = makeTagCode("TAGN");
constexpr std::uint32_t kValue = makeTagCode("TAGV");

}  // namespace

TEST(MetadataItems, JoinsFreeformPairsAndReplacesEarlierValuesInPlace) {
    const std::vector<MovieTag> tags = {integer(makeTagCode("HPNT"), 5),
                                        text(makeTagCode("TIMC"), "01:00:00:00"),
                                        text(kName, "Director"),
                                        text(kValue, "A"),
                                        integer(makeTagCode("HPNT"), 7),
                                        text(kName, "director"),
                                        text(kValue, "lower case"),
                                        text(kName, "Director"),
                                        text(kValue, "B")};
    const std::vector<MovieMetadataItem> items = collectMovieMetadata(tags);
    EXPECT_EQ((std::vector<std::string>{"HPNT=7", "TIMC=01:00:00:00", ":Director=B", ":director=lower case"}),
              lines(items));
    ASSERT_NE(nullptr, findMetadataTag(items, makeTagCode("HPNT")));
    EXPECT_EQ(7, findMetadataTag(items, makeTagCode("HPNT"))->tag.value[0]);
    EXPECT_EQ(nullptr, findMetadataTag(items, makeTagCode("WBAL")));
}

// A name without its value, or a value without its name, is kept as the tag
// it is (and a later lone TAGN replaces an earlier one like any tag).
TEST(MetadataItems, KeepsUnpairedFreeformRecordsAsTags) {
    const std::vector<MovieTag> tags = {text(kName, "Alone"), integer(makeTagCode("BMTX"), 1),
                                        text(kValue, "orphan"), text(kName, "Last")};
    EXPECT_EQ((std::vector<std::string>{"TAGN=Last", "BMTX=1", "TAGV=orphan"}),
              lines(collectMovieMetadata(tags)));
}
