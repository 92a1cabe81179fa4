#include "imaging/demosaic_band.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <vector>

#include "imaging/demosaic.h"
#include "imaging/demosaic_simd.h"
#include "imaging/kernel_variants.h"
#include "platform/simd_forms_built.h"

namespace {

// Rows y - 2 .. y + 2 are all in the five-row ring once row y + 2 has been demosaiced.
constexpr int kRingRows = 5;

bool filtersVertically(int level) {
    return level >= 0 && level <= 3;
}

}  // namespace

BandKernels referenceBandKernels() {
    return {demosaicRowReference, verticalFilterRowReference, verticalFilterRowReference,
            toYuv422RowReference, storeRowReference,          finishRowStoresReference};
}

BandKernels avx2BandKernels() {
    return {demosaicRowAvx2, verticalFilterRowAvx2, verticalFilterRowToFrameAvx2,
            toYuv422RowAvx2, storeRowAvx2,          finishRowStoresAvx2};
}

BandKernels vectorSourceBandKernels(platform::SimdForm form) {
    if (form == platform::SimdForm::kScalar) return referenceBandKernels();
    const demosaic_simd::RowKernels rows = demosaic_simd::rowKernels(form);
    BandKernels kernels = form == platform::SimdForm::kSse4 ? referenceBandKernels() : avx2BandKernels();
    kernels.demosaicRow = rows.demosaicRow;
    kernels.verticalFilterRow = rows.verticalFilterRow;
    kernels.verticalFilterRowToFrame = rows.verticalFilterRowToFrame;
    return kernels;
}

const BandKernels& bestBandKernels() {
    static const BandKernels kernels = [] {
        if (platform::simdFormUsable(platform::SimdForm::kAvx512))
            return vectorSourceBandKernels(platform::SimdForm::kAvx512);
        return avx2KernelsAvailable() ? avx2BandKernels() : referenceBandKernels();
    }();
    return kernels;
}

namespace {

bool bandSizesUsable(int width, int height, std::size_t bayerStride) {
    return width >= kMinDemosaicWidth && height >= kMinDemosaicHeight &&
           bayerStride >= static_cast<std::size_t>(width);
}

// Finishes rows first .. last of the frame. demosaiced is the last row in this thread's ring
// of demosaiced rows, or below first - 2 when the ring holds nothing of use; rows already
// in it are not demosaiced again.
void finishRows(const BandKernels& kernels, const std::uint16_t* bayer, std::size_t bayerStride, int width,
                int height, int first, int last, int& demosaiced, std::uint16_t* rgb, int mode, int level,
                bool toYuv422) {
    const std::size_t samples = 3 * static_cast<std::size_t>(width);
    // Every row is finished in a row of its own, still in cache, and then stored in the frame.
    thread_local std::vector<std::uint16_t> rowBuffer;
    if (rowBuffer.size() < samples) rowBuffer.resize(samples);
    std::uint16_t* const finished = rowBuffer.data();
    const auto frameRow = [&](int y) { return rgb + static_cast<std::size_t>(y) * samples; };
    const auto storeRow = [&](int y) {
        if (toYuv422) kernels.toYuv422Row(finished, width, 0);
        kernels.storeRow(frameRow(y), finished, samples);
    };

    if (!filtersVertically(level)) {
        for (int y = first; y <= last; ++y) {
            kernels.demosaicRow(bayer, bayerStride, width, height, y, finished, mode, level);
            storeRow(y);
        }
        return;
    }

    thread_local std::vector<std::uint16_t> ringBuffer;
    if (ringBuffer.size() < kRingRows * samples) ringBuffer.resize(kRingRows * samples);
    const auto ringRow = [&](int y) {
        return ringBuffer.data() + static_cast<std::size_t>(y % kRingRows) * samples;
    };
    // Rows 0, 1, height - 2 and height - 1 keep their demosaiced values.
    const int firstFiltered = 2;
    const int lastFiltered = height - 3;
    if (demosaiced < first - 3 || demosaiced > std::min(height - 1, first + 1))
        demosaiced = std::max(0, first - 2) - 1;
    for (int y = first; y <= last; ++y) {
        const int needed = std::min(height - 1, y + 2);
        while (demosaiced < needed) {
            ++demosaiced;
            kernels.demosaicRow(bayer, bayerStride, width, height, demosaiced, ringRow(demosaiced), mode,
                                level);
        }
        if (y >= firstFiltered && y <= lastFiltered) {
            const std::uint16_t* const around[kRingRows] = {ringRow(y - 2), ringRow(y - 1), ringRow(y),
                                                            ringRow(y + 1), ringRow(y + 2)};
            // An RGB row needs nothing more: it is filtered straight into the frame.
            if (!toYuv422) {
                kernels.verticalFilterRowToFrame(around, frameRow(y), samples, level);
                continue;
            }
            kernels.verticalFilterRow(around, finished, samples, level);
        } else {
            std::copy_n(ringRow(y), samples, finished);
        }
        storeRow(y);
    }
}

}  // namespace

void demosaicBandWith(const BandKernels& kernels, const std::uint16_t* bayer, std::size_t bayerStride,
                      int width, int height, int band, int bandRows, std::uint16_t* rgb, int mode, int level,
                      bool toYuv422) {
    if (!bandSizesUsable(width, height, bayerStride) || bandRows < 1 || band < 0 ||
        band >= demosaicBandCount(height, bandRows))
        return;
    const int first = band * bandRows;
    const int last = std::min(height - 1, first + bandRows - 1);
    int demosaiced = -kRingRows;
    finishRows(kernels, bayer, bayerStride, width, height, first, last, demosaiced, rgb, mode, level,
               toYuv422);
    kernels.finishRowStores();
}

void demosaicShareWith(const BandKernels& kernels, BandSchedule& schedule, int share,
                       const std::uint16_t* bayer, std::size_t bayerStride, int width, int height,
                       int runRows, std::uint16_t* rgb, int mode, int level, bool toYuv422) {
    if (!bandSizesUsable(width, height, bayerStride) || runRows < 1) return;
    int demosaiced = -kRingRows;
    while (const std::optional<BandSchedule::Claim> claim = schedule.next(share)) {
        const int first = claim->run * runRows;
        if (first >= height) continue;
        const int last = std::min(height - 1, first + runRows - 1);
        if (!claim->follows) demosaiced = -kRingRows;
        finishRows(kernels, bayer, bayerStride, width, height, first, last, demosaiced, rgb, mode, level,
                   toYuv422);
    }
    kernels.finishRowStores();
}

void demosaicShare(BandSchedule& schedule, int share, const std::uint16_t* bayer, std::size_t bayerStride,
                   int width, int height, int runRows, std::uint16_t* rgb, int mode, int level,
                   bool toYuv422) {
    demosaicShareWith(bestBandKernels(), schedule, share, bayer, bayerStride, width, height, runRows, rgb,
                      mode, level, toYuv422);
}

void demosaicBand(const std::uint16_t* bayer, std::size_t bayerStride, int width, int height, int band,
                  int bandRows, std::uint16_t* rgb, int mode, int level, bool toYuv422) {
    demosaicBandWith(bestBandKernels(), bayer, bayerStride, width, height, band, bandRows, rgb, mode, level,
                     toYuv422);
}

int demosaicBandCount(int height, int bandRows) {
    if (height <= 0 || bandRows <= 0) return 0;
    return (height - 1) / bandRows + 1;
}
