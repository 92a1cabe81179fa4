#include "timing/tag_value_text.h"

#include <array>
#include <bit>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

void appendEscapedByte(std::string& text, std::uint8_t byte) {
    text += "\\x";
    text += kHexDigits[byte >> 4];
    text += kHexDigits[byte & 0xF];
}

// Length of the well-formed UTF-8 sequence starting at `at` (overlong forms,
// surrogates and code points beyond U+10FFFF are not well formed), or 0.
std::size_t utf8SequenceLength(std::span<const std::uint8_t> bytes, std::size_t at) {
    const std::uint8_t lead = bytes[at];
    std::size_t length = 0;
    std::uint8_t low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > bytes.size()) return 0;
    if (bytes[at + 1] < low || bytes[at + 1] > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (bytes[at + i] < 0x80 || bytes[at + i] > 0xBF) return 0;
    return length;
}

std::string escaped(std::span<const std::uint8_t> bytes, bool escapeEquals) {
    std::string text;
    text.reserve(bytes.size());
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::uint8_t byte = bytes[at];
        if (byte < 0x80) {
            if (byte == '\\') {
                text += "\\\\";
            } else if (byte < 0x20 || byte == 0x7F || (escapeEquals && byte == '=')) {
                appendEscapedByte(text, byte);
            } else {
                text += static_cast<char>(byte);
            }
            ++at;
            continue;
        }
        const std::size_t length = utf8SequenceLength(bytes, at);
        // U+0080 to U+009F are control characters too.
        const bool c1Control = length == 2 && byte == 0xC2 && bytes[at + 1] < 0xA0;
        if (length == 0 || c1Control) {
            const std::size_t count = length == 0 ? 1 : length;
            for (std::size_t i = 0; i < count; ++i) appendEscapedByte(text, bytes[at + i]);
            at += count;
            continue;
        }
        text.append(reinterpret_cast<const char*>(bytes.data() + at), length);
        at += length;
    }
    return text;
}

std::uint32_t wordAt(const std::vector<std::uint8_t>& value, std::size_t at) {
    return static_cast<std::uint32_t>(value[at]) | static_cast<std::uint32_t>(value[at + 1]) << 8 |
           static_cast<std::uint32_t>(value[at + 2]) << 16 | static_cast<std::uint32_t>(value[at + 3]) << 24;
}

std::string hexBytes(const std::vector<std::uint8_t>& value) {
    std::string text = "0x";
    for (const std::uint8_t byte : value) {
        text += kHexDigits[byte >> 4];
        text += kHexDigits[byte & 0xF];
    }
    return text;
}

std::string wordText(char type, std::uint32_t word) {
    if (type == 'L') return std::to_string(static_cast<std::int32_t>(word));
    if (type == 'H') {
        char text[16];
        std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(word));
        return text;
    }
    // 'f': the shortest text that reads back to the same float.
    std::array<char, 64> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(), std::bit_cast<float>(word)).ptr;
    return std::string(text.data(), end);
}

}  // namespace

std::string escapeText(std::span<const std::uint8_t> bytes) {
    return escaped(bytes, false);
}

std::string escapeName(std::span<const std::uint8_t> bytes) {
    return escaped(bytes, true);
}

std::string formatTagName(std::uint32_t tag) {
    const std::array<std::uint8_t, 4> bytes{
        static_cast<std::uint8_t>(tag), static_cast<std::uint8_t>(tag >> 8),
        static_cast<std::uint8_t>(tag >> 16), static_cast<std::uint8_t>(tag >> 24)};
    return escapeName(bytes);
}

std::string formatTagValue(const MovieTag& tag) {
    const std::vector<std::uint8_t>& value = tag.value;
    if (value.empty()) return {};
    switch (tag.type) {
        case 'c':
            return escapeText(value);
        case 'b': {
            std::string text;
            for (std::size_t i = 0; i < value.size(); ++i) {
                if (i > 0) text += ',';
                text += std::to_string(value[i]);
            }
            return text;
        }
        case 'L':
        case 'H':
        case 'f': {
            if (value.size() % 4 != 0) return hexBytes(value);
            std::string text;
            for (std::size_t at = 0; at < value.size(); at += 4) {
                if (at > 0) text += ',';
                text += wordText(static_cast<char>(tag.type), wordAt(value, at));
            }
            return text;
        }
        default:
            return hexBytes(value);
    }
}

bool readTagNumber(const MovieTag& tag, double* number) {
    if (tag.value.size() != 4) return false;
    const std::uint32_t word = wordAt(tag.value, 0);
    if (tag.type == 'L') {
        *number = static_cast<std::int32_t>(word);
    } else if (tag.type == 'H') {
        *number = word;
    } else if (tag.type == 'f') {
        *number = static_cast<double>(std::bit_cast<float>(word));
    } else {
        return false;
    }
    return true;
}
