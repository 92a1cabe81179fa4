#include "encode/metadata_records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>

namespace {

void putBytes(MetadataTagList& list, std::size_t at, std::initializer_list<std::uint8_t> bytes) {
    for (std::uint8_t byte : bytes) list.bytes[at++] = byte;
}

std::string tagText(std::uint32_t tag) {
    std::string text(4, ' ');
    for (std::size_t index = 0; index < 4; ++index) text[index] = static_cast<char>(tag >> (8 * index));
    return text;
}

}  // namespace

TEST(MetadataRecords, RecordsAreReadInStoredOrder) {
    MetadataTagList list;
    // +TIMB=24 and +TIMC=01:12:32:15, as the driver stores them.
    putBytes(list, 0, {0x54, 0x49, 0x4D, 0x42, 0x04, 0x00, 0x00, 0x4C, 0x18, 0x00, 0x00, 0x00});
    putBytes(list, 12, {'T', 'I', 'M', 'C', 11, 0, 0, 'c'});
    std::memcpy(list.bytes.data() + 20, "01:12:32:15", 11);
    list.used = 12 + 20;

    MetadataRecordReader reader(list);
    std::optional<MetadataRecord> record = reader.next();
    ASSERT_TRUE(record);
    EXPECT_EQ("TIMB", tagText(record->tag));
    EXPECT_EQ('L', record->type);
    ASSERT_EQ(4u, record->value.size());
    EXPECT_EQ(0x18, record->value[0]);

    record = reader.next();
    ASSERT_TRUE(record);
    EXPECT_EQ("TIMC", tagText(record->tag));
    EXPECT_EQ('c', record->type);
    EXPECT_EQ("01:12:32:15", std::string(record->value.begin(), record->value.end()));
    EXPECT_FALSE(reader.next());
}

TEST(MetadataRecords, TheTypeCharacterIsSigned) {
    MetadataTagList list;
    putBytes(list, 0, {'A', 'B', 'C', 'D', 0, 0, 0, 0xE9});
    list.used = 8;
    MetadataRecordReader reader(list);
    const std::optional<MetadataRecord> record = reader.next();
    ASSERT_TRUE(record);
    EXPECT_EQ(-23, record->type);
    EXPECT_TRUE(record->value.empty());
    EXPECT_FALSE(reader.next());
}

TEST(MetadataRecords, AnEmptyListHasNoRecords) {
    MetadataTagList list;
    EXPECT_FALSE(MetadataRecordReader(list).next());
    list.used = -8;
    EXPECT_FALSE(MetadataRecordReader(list).next());
}

// A record claiming more bytes than the list holds must not lead the walk
// past the used bytes.
TEST(MetadataRecords, ARecordRunningPastTheUsedBytesEndsTheWalk) {
    MetadataTagList list;
    putBytes(list, 0, {'G', 'O', 'O', 'D', 4, 0, 0, 'L', 1, 0, 0, 0});
    putBytes(list, 12, {'L', 'O', 'N', 'G', 100, 0, 0, 'c'});
    list.used = 12 + 8 + 8;
    MetadataRecordReader reader(list);
    ASSERT_TRUE(reader.next());
    EXPECT_FALSE(reader.next());
    EXPECT_FALSE(reader.next());

    // A header cut short by the used count is no record either.
    list.used = 12 + 6;
    MetadataRecordReader cut(list);
    ASSERT_TRUE(cut.next());
    EXPECT_FALSE(cut.next());
}

TEST(MetadataRecords, AUsedCountBeyondTheBufferIsHeldToIt) {
    MetadataTagList list;
    // One record filling the whole buffer: header plus 16632 value bytes.
    const std::size_t valueBytes = MetadataTagList::kCapacity - 8;
    putBytes(list, 0,
             {'F', 'U', 'L', 'L', static_cast<std::uint8_t>(valueBytes & 0xFF),
              static_cast<std::uint8_t>(valueBytes >> 8), 0, 'c'});
    list.used = MetadataTagList::kCapacity + 4000;
    MetadataRecordReader reader(list);
    const std::optional<MetadataRecord> record = reader.next();
    ASSERT_TRUE(record);
    EXPECT_EQ(valueBytes, record->value.size());
    EXPECT_FALSE(reader.next());
}
