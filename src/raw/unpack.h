#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "raw/black_frame.h"
#include "raw/clip_frame_source.h"
#include "raw/clip_trailer.h"

// Sample packings named by the clip trailer.

// Pass 0 is the black calibration; conversion passes are 1 and up.
inline constexpr int kCalibrationPass = 0;

// Takes one packed frame apart.
//
// Packing 14: frameWidth x frameHeight samples, rows from the top, frameWidth a
// multiple of 8. A conversion pass writes toneTable[s - black] (black frame in
// use and fitting the frame) or toneTable[s] into the bayer frame, row stride
// frameWidth; the index is clamped to 0..16383. The calibration pass adds every
// sample into the black frame's sums instead and leaves the bayer frame alone.
//
// Packing 12 (any pass): cropHeight rows of cropWidth samples, cropWidth a
// multiple of 4, stored upside down; each becomes s * 64 at row stride
// cropWidth. Neither table nor black frame is used.
//
// Nothing is written for any other packing, for sizes that are not positive or
// not multiples of the group, or when a span is too small for what the
// packing needs. A black frame that does not fit the frame is treated as
// absent (nothing to subtract, nothing to sum into). toneTable must hold 16384
// entries for packing 14.
void unpackFrame(std::span<const std::uint8_t> packed, std::span<std::uint16_t> bayer, BlackFrame* black,
                 std::span<const std::uint16_t> toneTable, int cropWidth, int cropHeight, int frameWidth,
                 int frameHeight, int packing, int pass);

// The same, one sample at a time straight from the bit layout: the reference
// the faster group loop of unpackFrame must match bit for bit.
void unpackFrameReference(std::span<const std::uint8_t> packed, std::span<std::uint16_t> bayer,
                          BlackFrame* black, std::span<const std::uint16_t> toneTable, int cropWidth,
                          int cropHeight, int frameWidth, int frameHeight, int packing, int pass);

// The samples a clip stores, as a camera archive keeps them: packing 14 as
// its 14-bit values (0 to 16383), packing 12 as its 10-bit values (0 to 1023)
// with the rows turned top first, both at row stride frameWidth. Stored 16-bit
// frames need nothing: they are read as they are. Nothing is written for other
// packings, sizes that are not positive multiples of the group, or spans too
// small.
void unpackStoredSamples(std::span<const std::uint8_t> packed, std::span<std::uint16_t> bayer, int frameWidth,
                         int frameHeight, int packing);

// Takes a frame of stored samples (as unpackStoredSamples gives them, or as
// stored for packing 16) through what unpackFrame does to a packed frame of
// that packing: packing 14 to toneTable[sample - black] (a sample beyond 14
// bits is looked up at the last entry; the calibration pass sums the samples
// into the black frame instead), packing 12 to sample * 64 (modulo 65536);
// packing 16 stays as it is. In place, width x height samples, rows width
// apart.
void developStoredSamples(std::span<std::uint16_t> bayer, BlackFrame* black,
                          std::span<const std::uint16_t> toneTable, int width, int height, int packing,
                          int pass);

// Packing value of stored 16-bit samples, for the two functions above.
inline constexpr int kPackingStored16 = 16;

// Unpacks a 14-bit frame piece by piece as the clip reader hands it over
// (ClipFrameSource::readFrameInPieces). ToneMapped gives what unpackFrame
// gives a conversion pass for the whole frame, Stored what
// unpackStoredSamples gives. The sizes are checked once, as those functions
// check them for the whole frame: where they would write nothing, no piece
// writes anything. frameBytes is the size of the whole packed frame.
class FramePieceUnpacker final : public PackedPieceSink {
public:
    enum class Kind { ToneMapped, Stored };
    FramePieceUnpacker(Kind kind, std::span<std::uint16_t> bayer, BlackFrame* black,
                       std::span<const std::uint16_t> toneTable, int frameWidth, int frameHeight,
                       std::size_t frameBytes);
    void takePiece(std::span<const std::uint8_t> piece, std::size_t offset) override;

private:
    Kind kind_;
    std::span<std::uint16_t> bayer_;  // the frame's samples; empty when nothing is written
    std::span<const std::int32_t> black_;
    std::span<const std::uint16_t> toneTable_;
};
