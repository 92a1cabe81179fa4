#include "platform/file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

// Reads without the page cache need aligned buffers, sizes and positions; a
// read that is not aligned goes on through the cache and gives the same bytes.
TEST(File, AnUnbufferedReadThatIsNotAlignedStillGivesTheBytes) {
    testing_support::TempDir dir;
    std::string content(10000, '\0');
    for (std::size_t index = 0; index < content.size(); ++index)
        content[index] = static_cast<char>(index % 241);
    testing_support::writeFileBytes(dir.file("data.bin"), content);

    platform::File file;
    ASSERT_TRUE(file.openUnbuffered(dir.file("data.bin")));
    std::vector<char> buffer(4096 + 2);
    ASSERT_EQ(1001, file.read(buffer.data() + 1, 1001));
    EXPECT_EQ(content.substr(0, 1001), std::string(buffer.data() + 1, 1001));
    // Now at 1001, an odd position: the rest of the file.
    ASSERT_EQ(4096, file.read(buffer.data(), 4096));
    EXPECT_EQ(content.substr(1001, 4096), std::string(buffer.data(), 4096));
}
