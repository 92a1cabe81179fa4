#pragma once

#include <cstdint>
#include <memory>

// Resamples 16-bit RGB pictures (three samples a pixel, no row padding) from
// one size to another with a Lanczos filter. The same input gives the same
// output on every run and every processor: the scaler runs bit-exact.
class RgbResampler {
public:
    RgbResampler();
    ~RgbResampler();
    RgbResampler(const RgbResampler&) = delete;
    RgbResampler& operator=(const RgbResampler&) = delete;

    // Prepares the scaler for one pair of sizes; false when it cannot be made.
    bool configure(int sourceWidth, int sourceHeight, int targetWidth, int targetHeight);
    // Resamples one picture of the configured source size into the target.
    bool resample(const std::uint16_t* source, std::uint16_t* target) const;

private:
    struct Scaler;
    std::unique_ptr<Scaler> scaler_;
};
