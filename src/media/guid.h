#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <string>

// A 128-bit identifier of a class, an interface or a media type, held as its
// four fields. Identifiers are written in the code in their usual text form
// and parsed at compile time, so a typo is a build error, not a wrong id.
struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};

    friend constexpr bool operator==(const Guid&, const Guid&) = default;
    friend constexpr auto operator<=>(const Guid&, const Guid&) = default;
};

inline constexpr Guid GUID_NULL{};

namespace guid_detail {

// Not constexpr on purpose: reaching it while parsing at compile time makes
// the build fail on a malformed identifier.
void malformedGuidText();

consteval std::uint32_t hexDigit(char c) {
    if (c >= '0' && c <= '9') return static_cast<std::uint32_t>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<std::uint32_t>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f') return static_cast<std::uint32_t>(c - 'a' + 10);
    malformedGuidText();
    return 0;
}

consteval std::uint32_t hexField(const char* text, std::size_t first, std::size_t digits) {
    std::uint32_t value = 0;
    for (std::size_t index = 0; index < digits; ++index) value = value * 16 + hexDigit(text[first + index]);
    return value;
}

}  // namespace guid_detail

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", hexadecimal digits of either case.
consteval Guid makeGuid(const char (&text)[39]) {
    using guid_detail::hexField;
    if (text[0] != '{' || text[9] != '-' || text[14] != '-' || text[19] != '-' || text[24] != '-' ||
        text[37] != '}') {
        guid_detail::malformedGuidText();
    }
    Guid guid;
    guid.data1 = hexField(text, 1, 8);
    guid.data2 = static_cast<std::uint16_t>(hexField(text, 10, 4));
    guid.data3 = static_cast<std::uint16_t>(hexField(text, 15, 4));
    guid.data4[0] = static_cast<std::uint8_t>(hexField(text, 20, 2));
    guid.data4[1] = static_cast<std::uint8_t>(hexField(text, 22, 2));
    for (std::size_t index = 0; index < 6; ++index) {
        guid.data4[2 + index] = static_cast<std::uint8_t>(hexField(text, 25 + 2 * index, 2));
    }
    return guid;
}

// Four characters as a 32-bit value in memory order: the first in the low byte.
consteval std::uint32_t makeFourCC(const char (&text)[5]) {
    return static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[0])) |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[1])) << 8 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[2])) << 16 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[3])) << 24;
}

// The media subtype named by a four-character code:
// {XXXXXXXX-0000-0010-8000-00AA00389B71} with the code as the first field.
constexpr Guid fourccGuid(std::uint32_t fourcc) {
    return Guid{fourcc, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
}

// The text form, upper-case hexadecimal in braces.
std::string toString(const Guid& guid);
