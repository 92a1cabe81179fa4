#pragma once

#include <cstdint>

// The picture conversions in two forms with bit-identical results: the plain scalar
// reference, which also runs on processors without AVX2, and the AVX2 form. The public
// entry points (yuv422_words_to_planes.h, rgb48_to_ycbcr444.h) pick one at run time;
// tests and benchmarks call both.

// One row of width / 2 groups Y0, Cr, Y1, Cb into width luma and width / 2 chroma samples.
void yuv422WordsRowReference(const std::uint16_t* words, int width, std::uint16_t* luma, std::uint16_t* cb,
                             std::uint16_t* cr);
void yuv422WordsRowAvx2(const std::uint16_t* words, int width, std::uint16_t* luma, std::uint16_t* cb,
                        std::uint16_t* cr);

// One row of width R, G, B pixels into width samples of each plane.
void rgb48RowReference(const std::uint16_t* rgb, int width, std::uint16_t* luma, std::uint16_t* cb,
                       std::uint16_t* cr);
void rgb48RowAvx2(const std::uint16_t* rgb, int width, std::uint16_t* luma, std::uint16_t* cb,
                  std::uint16_t* cr);

// True when the AVX2 forms may run on this processor.
bool avx2PictureKernelsAvailable();
