#pragma once

#include <cstdint>

// The small linear congruential generator of the white-balance gain search:
// seed = seed * 214013 + 2531011, draws (seed >> 16) & 0x7FFF. Our own, so
// the gains of a clip do not depend on the C library or on earlier clips.
class GainSearchRandom {
public:
    explicit GainSearchRandom(std::uint32_t seed) : state_(seed) {}

    std::int32_t next() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<std::int32_t>((state_ >> 16) & 0x7FFFu);
    }

private:
    std::uint32_t state_;
};
