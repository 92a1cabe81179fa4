#include "components/movie_tag_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "components/movie_metadata.h"
#include "timing/metadata_items.h"
#include "timing/tag_value_text.h"

// The tags read back as movie_metadata.h writes them, for MOV keys and AVI
// comment lines: every byte of names and values, freeform entries passed over.

namespace {

MovieTag textTag(const std::string& name, const std::string& value) {
    std::uint32_t code = 0;
    for (int index = 3; index >= 0; --index)
        code = code << 8 | static_cast<std::uint8_t>(name[static_cast<std::size_t>(index)]);
    return {code, 'c', std::vector<std::uint8_t>(value.begin(), value.end())};
}

// Every byte value, in names and values, and the escapes' own characters.
std::vector<MovieTag> awkwardTags() {
    std::string allBytes;
    for (int byte = 0; byte < 256; ++byte) allBytes.push_back(static_cast<char>(byte));
    return {textTag("ACLP", "A001 \xC3\xA9=\\x41\\\\.RAW"),
            textTag("ALL_", allBytes),
            textTag(std::string("=\n\\\xFF", 4), "odd name"),
            {0x56435241u /* "ARCV" */, 'L', {1, 0, 0, 0}},
            textTag("TAGN", "ACLP"),  // a freeform entry named like a tag
            textTag("TAGV", "not the clip"),
            textTag("user", "a tag named user")};
}

const std::map<std::string, std::string> kExpected = [] {
    std::string allBytes;
    for (int byte = 0; byte < 256; ++byte) allBytes.push_back(static_cast<char>(byte));
    return std::map<std::string, std::string>{{"ACLP", "A001 \xC3\xA9=\\x41\\\\.RAW"},
                                              {"ALL_", allBytes},
                                              {std::string("=\n\\\xFF", 4), "odd name"},
                                              {"ARCV", "1"},
                                              {"user", "a tag named user"}};
}();

}  // namespace

TEST(MovieTagReader, MovKeysReadBackEveryByte) {
    const MovMetadata written = makeMovMetadata(collectMovieMetadata(awkwardTags()));
    ASSERT_TRUE(written.warnings.empty());
    std::vector<std::pair<std::string, std::string>> entries = written.items;
    entries.emplace_back("major_brand", "qt  ");  // what the container adds of its own
    entries.emplace_back("com.raw2tvx.LONGER", "not four characters");
    EXPECT_EQ(kExpected, readMovTags(entries));
}

TEST(MovieTagReader, AviCommentLinesReadBackEveryByte) {
    const AviComment written = makeAviComment(collectMovieMetadata(awkwardTags()));
    ASSERT_TRUE(written.warnings.empty());
    EXPECT_EQ(kExpected, readAviCommentTags(written.text));
    EXPECT_EQ((std::map<std::string, std::string>{{"ABCD", "2"}}),
              readAviCommentTags("no equals sign\nABCD=1\n\nABCD=2\n:ABCD=freeform\nTOOLONG=3"));
}

TEST(MovieTagReader, UnescapingUndoesEscaping) {
    std::vector<std::uint8_t> bytes;
    for (int byte = 0; byte < 256; ++byte) bytes.push_back(static_cast<std::uint8_t>(byte));
    const std::string expected(bytes.begin(), bytes.end());
    EXPECT_EQ(expected, unescapeTagText(escapeText(bytes)));
    EXPECT_EQ(expected, unescapeTagText(escapeName(bytes)));
    // Backslashes that start no escape stand for themselves.
    EXPECT_EQ("a\\xg\\q\\", unescapeTagText("a\\xg\\q\\"));
    EXPECT_EQ("\x7f\\x7", unescapeTagText("\\x7F\\x7"));
}
