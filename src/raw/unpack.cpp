#include "raw/unpack.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>
#include <limits>

#include "raw/packed_group14.h"
#include "raw/unpack_kernels.h"

namespace {

constexpr std::size_t kGroup12Bytes = 5;
constexpr std::size_t kGroup12Samples = 4;
constexpr std::size_t kToneTableEntries = 16384;
constexpr std::int64_t kLargestIndex = 16383;
constexpr std::uint16_t kTenBitScale = 64;

enum class UnpackMode { Nothing, Table, TableLessBlack, SumIntoBlack, TenBit };

struct UnpackPlan {
    UnpackMode mode = UnpackMode::Nothing;
    std::size_t rows = 0;
    std::size_t groupsPerRow = 0;
    std::size_t rowSamples = 0;  // bayer row stride
};

std::size_t groupCount(const UnpackPlan& plan) {
    return plan.rows * plan.groupsPerRow;
}

// Decides what one call does, after checking every size it will touch. The
// dimensions are below 2^31 each, so none of the products can wrap.
UnpackPlan planUnpack(std::span<const std::uint8_t> packed, std::span<std::uint16_t> bayer,
                      const BlackFrame* black, std::span<const std::uint16_t> toneTable, int cropWidth,
                      int cropHeight, int frameWidth, int frameHeight, int packing, int pass) {
    UnpackPlan plan;
    if (packing == kPacking14) {
        if (frameWidth <= 0 || frameHeight <= 0 || frameWidth % static_cast<int>(kGroup14Samples) != 0)
            return plan;
        plan.rows = static_cast<std::size_t>(frameHeight);
        plan.rowSamples = static_cast<std::size_t>(frameWidth);
        plan.groupsPerRow = plan.rowSamples / kGroup14Samples;
        if (packed.size() / kGroup14Bytes < groupCount(plan)) return plan;
        const bool blackFits = black != nullptr && blackFrameFits(*black, frameWidth, frameHeight);
        if (pass == kCalibrationPass) {
            if (blackFits) plan.mode = UnpackMode::SumIntoBlack;
            return plan;
        }
        if (bayer.size() < plan.rows * plan.rowSamples || toneTable.size() < kToneTableEntries) return plan;
        plan.mode = blackFits ? UnpackMode::TableLessBlack : UnpackMode::Table;
        return plan;
    }
    if (packing == kPacking12) {
        if (cropWidth <= 0 || cropHeight <= 0 || cropWidth % static_cast<int>(kGroup12Samples) != 0)
            return plan;
        plan.rows = static_cast<std::size_t>(cropHeight);
        plan.rowSamples = static_cast<std::size_t>(cropWidth);
        plan.groupsPerRow = plan.rowSamples / kGroup12Samples;
        if (packed.size() / kGroup12Bytes < groupCount(plan)) return plan;
        if (bayer.size() < plan.rows * plan.rowSamples) return plan;
        plan.mode = UnpackMode::TenBit;
    }
    return plan;
}

std::uint16_t lookUpLessBlack(std::span<const std::uint16_t> toneTable, std::uint32_t sample,
                              std::int32_t blackValue) {
    const std::int64_t index =
        std::clamp(static_cast<std::int64_t>(sample) - blackValue, std::int64_t{0}, kLargestIndex);
    return toneTable[static_cast<std::size_t>(index)];
}

// Sums saturate: a clip long enough to overflow them must not wrap into
// negative black values.
std::int32_t addToSum(std::int32_t sum, std::uint32_t sample) {
    const std::int64_t total = static_cast<std::int64_t>(sum) + sample;
    return static_cast<std::int32_t>(std::min<std::int64_t>(total, std::numeric_limits<std::int32_t>::max()));
}

// Packing 12 rows are stored bottom row first.
void unpackTenBit(std::span<const std::uint8_t> packed, std::span<std::uint16_t> bayer,
                  const UnpackPlan& plan) {
    for (std::size_t row = 0; row < plan.rows; ++row) {
        const std::uint8_t* in = packed.data() + row * plan.groupsPerRow * kGroup12Bytes;
        std::uint16_t* out = bayer.data() + (plan.rows - 1 - row) * plan.rowSamples;
        for (std::size_t group = 0; group < plan.groupsPerRow; ++group) {
            const std::uint32_t b0 = in[0], b1 = in[1], b2 = in[2], b3 = in[3], b4 = in[4];
            out[0] = static_cast<std::uint16_t>(((b0 << 2) | (b1 >> 6)) * kTenBitScale);
            out[1] = static_cast<std::uint16_t>((((b1 & 0x3Fu) << 4) | (b2 >> 4)) * kTenBitScale);
            out[2] = static_cast<std::uint16_t>((((b2 & 0xFu) << 6) | (b3 >> 2)) * kTenBitScale);
            out[3] = static_cast<std::uint16_t>((((b3 & 0x3u) << 8) | b4) * kTenBitScale);
            in += kGroup12Bytes;
            out += kGroup12Samples;
        }
    }
}

}  // namespace

void unpackFrame(std::span<const std::uint8_t> packed, std::span<std::uint16_t> bayer, BlackFrame* black,
                 std::span<const std::uint16_t> toneTable, int cropWidth, int cropHeight, int frameWidth,
                 int frameHeight, int packing, int pass) {
    const UnpackPlan plan = planUnpack(packed, bayer, black, toneTable, cropWidth, cropHeight, frameWidth,
                                       frameHeight, packing, pass);
    const std::size_t groups = groupCount(plan);
    const std::uint8_t* in = packed.data();
    std::uint32_t samples[kGroup14Samples];
    switch (plan.mode) {
        case UnpackMode::Nothing:
            return;
        case UnpackMode::TenBit:
            unpackTenBit(packed, bayer, plan);
            return;
        case UnpackMode::Table:
        case UnpackMode::TableLessBlack:
            // The whole frame as one piece.
            FramePieceUnpacker(FramePieceUnpacker::Kind::ToneMapped, bayer, black, toneTable, frameWidth,
                               frameHeight, packed.size())
                .takePiece(packed, 0);
            return;
        case UnpackMode::SumIntoBlack: {
            std::int32_t* sums = black->values.data();
            for (std::size_t group = 0; group < groups; ++group) {
                decodeGroup14(in, samples);
                for (std::size_t k = 0; k < kGroup14Samples; ++k) sums[k] = addToSum(sums[k], samples[k]);
                in += kGroup14Bytes;
                sums += kGroup14Samples;
            }
            return;
        }
    }
}

void unpackFrameReference(std::span<const std::uint8_t> packed, std::span<std::uint16_t> bayer,
                          BlackFrame* black, std::span<const std::uint16_t> toneTable, int cropWidth,
                          int cropHeight, int frameWidth, int frameHeight, int packing, int pass) {
    const UnpackPlan plan = planUnpack(packed, bayer, black, toneTable, cropWidth, cropHeight, frameWidth,
                                       frameHeight, packing, pass);
    if (plan.mode == UnpackMode::Nothing) return;
    if (plan.mode == UnpackMode::TenBit) {
        unpackTenBit(packed, bayer, plan);
        return;
    }
    for (std::size_t row = 0; row < plan.rows; ++row) {
        for (std::size_t group = 0; group < plan.groupsPerRow; ++group) {
            const std::size_t groupIndex = row * plan.groupsPerRow + group;
            std::uint32_t samples[kGroup14Samples];
            decodeGroup14Reference(packed.data() + groupIndex * kGroup14Bytes, samples);
            for (std::size_t k = 0; k < kGroup14Samples; ++k) {
                const std::size_t pixel = row * plan.rowSamples + group * kGroup14Samples + k;
                if (plan.mode == UnpackMode::Table) {
                    bayer[pixel] = toneTable[samples[k]];
                } else if (plan.mode == UnpackMode::TableLessBlack) {
                    bayer[pixel] = lookUpLessBlack(toneTable, samples[k], black->values[pixel]);
                } else {
                    black->values[pixel] = addToSum(black->values[pixel], samples[k]);
                }
            }
        }
    }
}

void unpackStoredSamples(std::span<const std::uint8_t> packed, std::span<std::uint16_t> bayer, int frameWidth,
                         int frameHeight, int packing) {
    if (frameWidth <= 0 || frameHeight <= 0) return;
    const std::size_t samples = static_cast<std::size_t>(frameWidth) * static_cast<std::size_t>(frameHeight);
    if (bayer.size() < samples) return;
    if (packing == kPacking14) {
        FramePieceUnpacker(FramePieceUnpacker::Kind::Stored, bayer, nullptr, {}, frameWidth, frameHeight,
                           packed.size())
            .takePiece(packed, 0);
        return;
    }
    if (packing != kPacking12 || frameWidth % static_cast<int>(kGroup12Samples) != 0 ||
        packed.size() / kGroup12Bytes < samples / kGroup12Samples)
        return;
    const std::size_t rows = static_cast<std::size_t>(frameHeight);
    const std::size_t width = static_cast<std::size_t>(frameWidth);
    for (std::size_t row = 0; row < rows; ++row) {
        const std::uint8_t* in = packed.data() + row * (width / kGroup12Samples) * kGroup12Bytes;
        std::uint16_t* out = bayer.data() + (rows - 1 - row) * width;
        for (std::size_t group = 0; group < width / kGroup12Samples; ++group) {
            const std::uint32_t b0 = in[0], b1 = in[1], b2 = in[2], b3 = in[3], b4 = in[4];
            out[0] = static_cast<std::uint16_t>((b0 << 2) | (b1 >> 6));
            out[1] = static_cast<std::uint16_t>(((b1 & 0x3Fu) << 4) | (b2 >> 4));
            out[2] = static_cast<std::uint16_t>(((b2 & 0xFu) << 6) | (b3 >> 2));
            out[3] = static_cast<std::uint16_t>(((b3 & 0x3u) << 8) | b4);
            in += kGroup12Bytes;
            out += kGroup12Samples;
        }
    }
}

void developStoredSamples(std::span<std::uint16_t> bayer, BlackFrame* black,
                          std::span<const std::uint16_t> toneTable, int width, int height, int packing,
                          int pass) {
    if (width <= 0 || height <= 0) return;
    const std::size_t samples = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (bayer.size() < samples) return;
    const std::span<std::uint16_t> frame = bayer.first(samples);
    const bool blackFits = black != nullptr && blackFrameFits(*black, width, height);
    if (packing == kPacking14) {
        if (pass == kCalibrationPass) {
            if (!blackFits) return;
            std::int32_t* sums = black->values.data();
            for (std::size_t index = 0; index < samples; ++index)
                sums[index] = addToSum(sums[index], frame[index]);
            return;
        }
        if (toneTable.size() < kToneTableEntries) return;
        const std::span<const std::int32_t> blackValues =
            blackFits ? std::span<const std::int32_t>(black->values).first(samples)
                      : std::span<const std::int32_t>();
        bestUnpackKernels().toneMapSamples(frame, blackValues, toneTable, frame);
        return;
    }
    if (packing == kPacking12)
        for (std::uint16_t& sample : frame) sample = static_cast<std::uint16_t>(sample * kTenBitScale);
}

FramePieceUnpacker::FramePieceUnpacker(Kind kind, std::span<std::uint16_t> bayer, BlackFrame* black,
                                       std::span<const std::uint16_t> toneTable, int frameWidth,
                                       int frameHeight, std::size_t frameBytes)
    : kind_(kind), toneTable_(toneTable) {
    if (frameWidth <= 0 || frameHeight <= 0 || frameWidth % static_cast<int>(kGroup14Samples) != 0) return;
    const std::size_t samples = static_cast<std::size_t>(frameWidth) * static_cast<std::size_t>(frameHeight);
    if (bayer.size() < samples || frameBytes / kGroup14Bytes < samples / kGroup14Samples) return;
    if (kind == Kind::ToneMapped) {
        if (toneTable.size() < kToneTableEntries) return;
        if (black != nullptr && blackFrameFits(*black, frameWidth, frameHeight))
            black_ = std::span<const std::int32_t>(black->values).first(samples);
    }
    bayer_ = bayer.first(samples);
}

void FramePieceUnpacker::takePiece(std::span<const std::uint8_t> piece, std::size_t offset) {
    if (bayer_.empty() || offset % kGroup14Bytes != 0) return;
    const std::size_t first = offset / kGroup14Bytes * kGroup14Samples;
    if (first >= bayer_.size()) return;
    const std::size_t groups =
        std::min(piece.size() / kGroup14Bytes, (bayer_.size() - first) / kGroup14Samples);
    const std::span<std::uint16_t> out = bayer_.subspan(first, groups * kGroup14Samples);
    const UnpackKernels& kernels = bestUnpackKernels();
    if (kind_ == Kind::Stored) {
        kernels.unpackGroups14(piece, out);
        return;
    }
    kernels.unpackToneMapped14(piece, black_.empty() ? black_ : black_.subspan(first, out.size()), toneTable_,
                               out);
}
