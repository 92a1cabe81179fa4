#include "media/media_sample.h"

#include <gtest/gtest.h>

#include "media/mem_allocator.h"

namespace {

ComPtr<IMediaSample> takeSample(const ComPtr<CMemAllocator>& allocator, const std::int64_t* start = nullptr,
                                const std::int64_t* stop = nullptr) {
    ComPtr<IMediaSample> sample;
    EXPECT_EQ(S_OK, allocator->GetBuffer(&sample, start, stop, AM_GBF_NOWAIT));
    return sample;
}

ComPtr<CMemAllocator> oneBufferAllocator() {
    ComPtr<CMemAllocator> allocator = makeComObject<CMemAllocator>();
    AllocatorProperties granted;
    EXPECT_EQ(S_OK, allocator->SetProperties({1, 100, 0, 0}, &granted));
    EXPECT_EQ(S_OK, allocator->Commit());
    return allocator;
}

}  // namespace

TEST(MediaSample, TimesAreReportedAsTheyWereSet) {
    ComPtr<CMemAllocator> allocator = oneBufferAllocator();
    ComPtr<IMediaSample> sample = takeSample(allocator);
    std::int64_t start = -1;
    std::int64_t stop = -1;
    EXPECT_EQ(VFW_E_SAMPLE_TIME_NOT_SET, sample->GetTime(&start, &stop));

    const std::int64_t begin = 400000;
    const std::int64_t end = 800000;
    ASSERT_EQ(S_OK, sample->SetTime(&begin, &end));
    EXPECT_EQ(S_OK, sample->GetTime(&start, &stop));
    EXPECT_EQ(400000, start);
    EXPECT_EQ(800000, stop);

    ASSERT_EQ(S_OK, sample->SetTime(&begin, nullptr));
    EXPECT_EQ(VFW_S_NO_STOP_TIME, sample->GetTime(&start, &stop));
    EXPECT_EQ(400001, stop);

    ASSERT_EQ(S_OK, sample->SetTime(nullptr, &end));
    EXPECT_EQ(VFW_E_SAMPLE_TIME_NOT_SET, sample->GetTime(&start, &stop));
}

TEST(MediaSample, FlagsAreClearUntilSetAndClearedAgainOnReuse) {
    ComPtr<CMemAllocator> allocator = oneBufferAllocator();
    ComPtr<IMediaSample> sample = takeSample(allocator);
    EXPECT_EQ(S_FALSE, sample->IsSyncPoint());
    sample->SetSyncPoint(true);
    EXPECT_EQ(S_OK, sample->IsSyncPoint());
    ASSERT_EQ(S_OK, sample->SetActualDataLength(10));
    sample.reset();

    const std::int64_t start = 5;
    const std::int64_t stop = 6;
    sample = takeSample(allocator, &start, &stop);
    EXPECT_EQ(S_FALSE, sample->IsSyncPoint());
    EXPECT_EQ(100, sample->GetActualDataLength());
    std::int64_t readStart = 0;
    std::int64_t readStop = 0;
    EXPECT_EQ(S_OK, sample->GetTime(&readStart, &readStop));
    EXPECT_EQ(5, readStart);
    EXPECT_EQ(6, readStop);
}

TEST(MediaSample, DataLengthStaysWithinTheBuffer) {
    ComPtr<CMemAllocator> allocator = oneBufferAllocator();
    ComPtr<IMediaSample> sample = takeSample(allocator);
    EXPECT_EQ(100, sample->GetSize());
    EXPECT_EQ(100, sample->GetActualDataLength());
    EXPECT_EQ(VFW_E_BUFFER_OVERFLOW, sample->SetActualDataLength(101));
    EXPECT_EQ(E_INVALIDARG, sample->SetActualDataLength(-1));
    EXPECT_EQ(S_OK, sample->SetActualDataLength(0));
    EXPECT_EQ(0, sample->GetActualDataLength());
}

TEST(MediaSample, AnswersForItsOwnInterfacesOnly) {
    ComPtr<CMemAllocator> allocator = oneBufferAllocator();
    ComPtr<IMediaSample> sample = takeSample(allocator);
    EXPECT_TRUE(sample.as<IUnknown>());
    EXPECT_TRUE(sample.as<IMediaSample>());
    EXPECT_FALSE(sample.as<IMemAllocator>());
}
