#include "files/image_buffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// Hands out blocks from the C heap and counts what comes back, so a test
// can see which operation each block went through.
class CountingAllocator : public IBufferAllocator {
public:
    void* allocate(std::size_t size) override {
        ++plainAllocations;
        return std::malloc(size);
    }
    void release(void* block) override {
        ++plainReleases;
        std::free(block);
    }
    void* allocateAligned(std::size_t size, std::size_t alignment) override {
        ++alignedAllocations;
        lastAlignment = alignment;
        return failAligned ? nullptr
                           : std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
    }
    void releaseAligned(void* block) override {
        ++alignedReleases;
        std::free(block);
    }
    int plainAllocations = 0, plainReleases = 0, alignedAllocations = 0, alignedReleases = 0;
    std::size_t lastAlignment = 0;
    bool failAligned = false;
};

}  // namespace

TEST(ImageBuffer, ReserveRoundsUpToTheGranularityAndAlignsToIt) {
    CImageBuffer buffer(4096);
    ASSERT_TRUE(buffer.Reserve(10000));
    EXPECT_EQ(12288u, buffer.Capacity());
    EXPECT_EQ(4096u, buffer.Alignment());
    EXPECT_EQ(0u, reinterpret_cast<std::uintptr_t>(buffer.Data()) % 4096);
    // A smaller request keeps the block.
    std::uint8_t* const first = buffer.Data();
    ASSERT_TRUE(buffer.Reserve(100));
    EXPECT_EQ(first, buffer.Data());
    EXPECT_EQ(12288u, buffer.Capacity());
    buffer.Release();
    EXPECT_EQ(nullptr, buffer.Data());
    EXPECT_EQ(0u, buffer.Capacity());
    EXPECT_EQ(0u, buffer.Alignment());
}

TEST(ImageBuffer, AGranularityOfZeroIsRefusedNotDividedBy) {
    CImageBuffer zero(0);
    EXPECT_FALSE(zero.Reserve(100));
    EXPECT_EQ(nullptr, zero.Data());
    CImageBuffer odd(1000);
    EXPECT_FALSE(odd.Reserve(100));
    // A size that would wrap when rounded up is refused too.
    CImageBuffer page(4096);
    EXPECT_FALSE(page.Reserve(SIZE_MAX - 10));
}

TEST(ImageBuffer, AllocateReusesABlockThatIsLargeAndAlignedEnough) {
    CountingAllocator allocator;
    {
        CImageBuffer buffer(512, &allocator);
        EXPECT_TRUE(buffer.Allocate(0, 64));  // nothing asked, nothing done
        EXPECT_EQ(0, allocator.plainAllocations + allocator.alignedAllocations);
        ASSERT_TRUE(buffer.Allocate(1000, 0));
        EXPECT_EQ(1, allocator.plainAllocations);
        ASSERT_TRUE(buffer.Allocate(500, 0));
        EXPECT_EQ(1, allocator.plainAllocations);
        // A stricter alignment than the block has: released the plain way, taken aligned.
        ASSERT_TRUE(buffer.Allocate(500, 256));
        EXPECT_EQ(1, allocator.plainReleases);
        EXPECT_EQ(1, allocator.alignedAllocations);
        EXPECT_EQ(256u, allocator.lastAlignment);
        ASSERT_TRUE(buffer.Allocate(2000, 128));
        EXPECT_EQ(1, allocator.alignedReleases);
        EXPECT_EQ(2, allocator.alignedAllocations);
        EXPECT_EQ(2000u, buffer.Capacity());
        EXPECT_EQ(128u, buffer.Alignment());
        EXPECT_FALSE(buffer.Allocate(4000, 48)) << "48 is not a power of two";
        // A failed allocation leaves no block behind.
        allocator.failAligned = true;
        EXPECT_FALSE(buffer.Allocate(8000, 64));
        EXPECT_EQ(nullptr, buffer.Data());
        EXPECT_EQ(0u, buffer.Capacity());
        EXPECT_EQ(0u, buffer.Alignment());
        allocator.failAligned = false;
        ASSERT_TRUE(buffer.Allocate(64, 64));
    }
    // The destructor gave the last block back the way it came: four aligned
    // requests, one of which failed, and three aligned blocks returned.
    EXPECT_EQ(allocator.plainAllocations, allocator.plainReleases);
    EXPECT_EQ(4, allocator.alignedAllocations);
    EXPECT_EQ(3, allocator.alignedReleases);
}
