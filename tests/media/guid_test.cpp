#include "media/guid.h"

#include <gtest/gtest.h>

#include <map>

#include "media/known_ids.h"

TEST(Guid, TextFormFillsTheFourFields) {
    constexpr Guid graph = makeGuid("{E436EBB3-524F-11CE-9F53-0020AF0BA770}");
    EXPECT_EQ(0xE436EBB3u, graph.data1);
    EXPECT_EQ(0x524Fu, graph.data2);
    EXPECT_EQ(0x11CEu, graph.data3);
    const std::array<std::uint8_t, 8> tail{0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70};
    EXPECT_EQ(tail, graph.data4);
    EXPECT_EQ(graph, CLSID_FilterGraph);
}

TEST(Guid, EitherCaseOfHexDigitsParsesAlike) {
    static_assert(makeGuid("{e436ebb3-524f-11ce-9f53-0020af0ba770}") == CLSID_FilterGraph);
    EXPECT_NE(CLSID_FilterGraph, CLSID_AviDest);
}

TEST(Guid, TextFormComesBackUpperCase) {
    EXPECT_EQ("{E2510970-F137-11CE-8B67-00AA00A3F1A6}", toString(CLSID_AviDest));
    EXPECT_EQ("{00000000-0000-0000-0000-000000000000}", toString(GUID_NULL));
}

TEST(Guid, FourCharacterCodesAreInMemoryOrder) {
    // 'Y' 0x59, 'U' 0x55, '6' 0x36, '3' 0x33, the first in the low byte.
    EXPECT_EQ(0x33365559u, makeFourCC("YU63"));
    EXPECT_EQ(0x34525942u, makeFourCC("BYR4"));
    EXPECT_EQ(MEDIATYPE_Video, fourccGuid(makeFourCC("vids")));
    EXPECT_EQ(makeGuid("{38344752-0000-0010-8000-00AA00389B71}"), fourccGuid(makeFourCC("RG48")));
}

TEST(Guid, OrdersForUseAsAKey) {
    std::map<Guid, int> table{{CLSID_AviDest, 1}, {CLSID_FileWriter, 2}, {GUID_NULL, 3}};
    EXPECT_EQ(2, table.at(CLSID_FileWriter));
    EXPECT_EQ(GUID_NULL, table.begin()->first);
}
