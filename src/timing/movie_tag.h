#pragma once

#include <cstdint>
#include <vector>

// One metadata tag as the encoder received it: four characters in memory
// order (the first character in the low byte), the type character and the
// value's bytes exactly as sent.
struct MovieTag {
    std::uint32_t tag = 0;
    std::int32_t type = 0;
    std::vector<std::uint8_t> value;
};
