#include <cstddef>
#include <cstdint>
#include <cstring>

#include "imaging/kernel_variants.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include "imaging/simd_shuffles.h"

// A finished row goes to the frame past the caches: nothing reads it again while the frame
// is being made, and a plain store would first read every line of the frame it writes. Rows
// whose destination is not on a 32-byte boundary (odd widths) are copied plainly.
RAW2TVX_TARGET_AVX2 void storeRowAvx2(std::uint16_t* destination, const std::uint16_t* row,
                                      std::size_t samples) {
    const std::size_t vectors = samples / 16;
    if (reinterpret_cast<std::uintptr_t>(destination) % 32 != 0 || vectors == 0) {
        std::memcpy(destination, row, samples * sizeof(std::uint16_t));
        return;
    }
    for (std::size_t v = 0; v < vectors; ++v)
        _mm256_stream_si256(reinterpret_cast<__m256i*>(destination + 16 * v),
                            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + 16 * v)));
    const std::size_t done = 16 * vectors;
    std::memcpy(destination + done, row + done, (samples - done) * sizeof(std::uint16_t));
}

void finishRowStoresAvx2() {
    // Streaming stores are ordered with nothing else; the fence makes them visible before the
    // band is reported done.
    _mm_sfence();
}

#else

void storeRowAvx2(std::uint16_t* destination, const std::uint16_t* row, std::size_t samples) {
    storeRowReference(destination, row, samples);
}

void finishRowStoresAvx2() {}

#endif

void storeRowReference(std::uint16_t* destination, const std::uint16_t* row, std::size_t samples) {
    std::memcpy(destination, row, samples * sizeof(std::uint16_t));
}

void finishRowStoresReference() {}
