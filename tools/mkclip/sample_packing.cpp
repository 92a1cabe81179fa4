#include "sample_packing.h"

#include <array>
#include <cstddef>

void packSamples14(const std::vector<std::uint16_t>& samples, std::vector<std::uint8_t>& packed) {
    const std::size_t groups = (samples.size() + 7) / 8;
    packed.assign(groups * 14, 0);
    for (std::size_t group = 0; group < groups; ++group) {
        std::array<std::uint32_t, 8> s{};
        for (std::size_t i = 0; i < 8 && group * 8 + i < samples.size(); ++i)
            s[i] = samples[group * 8 + i] & 0x3FFFu;
        // 112 bits: s0 in bits 111..98, s1 in 97..84, ... s7 in 13..0; word 0 holds bits 111..96.
        const std::array<std::uint32_t, 7> words = {
            (s[0] << 2) | (s[1] >> 12),           ((s[1] & 0xFFFu) << 4) | (s[2] >> 10),
            ((s[2] & 0x3FFu) << 6) | (s[3] >> 8), ((s[3] & 0xFFu) << 8) | (s[4] >> 6),
            ((s[4] & 0x3Fu) << 10) | (s[5] >> 4), ((s[5] & 0xFu) << 12) | (s[6] >> 2),
            ((s[6] & 0x3u) << 14) | s[7],
        };
        for (std::size_t word = 0; word < words.size(); ++word) {
            packed[group * 14 + 2 * word] = static_cast<std::uint8_t>(words[word] & 0xFF);
            packed[group * 14 + 2 * word + 1] = static_cast<std::uint8_t>((words[word] >> 8) & 0xFF);
        }
    }
}

void packSamples12(const std::vector<std::uint16_t>& samples, std::uint32_t width, std::uint32_t height,
                   std::vector<std::uint8_t>& packed) {
    std::vector<std::uint32_t> ordered;
    ordered.reserve(samples.size() + 3);
    for (std::uint32_t row = 0; row < height; ++row) {
        const std::size_t source = std::size_t{height - 1 - row} * width;
        for (std::uint32_t x = 0; x < width; ++x) ordered.push_back((samples[source + x] & 0x3FFFu) >> 4);
    }
    while (ordered.size() % 4 != 0) ordered.push_back(0);
    packed.assign(ordered.size() / 4 * 5, 0);
    for (std::size_t group = 0; group < ordered.size() / 4; ++group) {
        const std::uint32_t* s = &ordered[group * 4];
        std::uint8_t* out = &packed[group * 5];
        out[0] = static_cast<std::uint8_t>(s[0] >> 2);
        out[1] = static_cast<std::uint8_t>(((s[0] & 0x3u) << 6) | (s[1] >> 4));
        out[2] = static_cast<std::uint8_t>(((s[1] & 0xFu) << 4) | (s[2] >> 6));
        out[3] = static_cast<std::uint8_t>(((s[2] & 0x3Fu) << 2) | (s[3] >> 8));
        out[4] = static_cast<std::uint8_t>(s[3] & 0xFFu);
    }
}

void packSamples16(const std::vector<std::uint16_t>& samples, std::vector<std::uint8_t>& packed) {
    packed.resize(samples.size() * 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const std::uint32_t value = (samples[i] & 0x3FFFu) * 4u;
        packed[2 * i] = static_cast<std::uint8_t>(value & 0xFF);
        packed[2 * i + 1] = static_cast<std::uint8_t>(value >> 8);
    }
}
