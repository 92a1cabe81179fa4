#include "app/cli/metadata_tags.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "app/cli/number_text.h"
#include "platform/diagnostics.h"

namespace {

constexpr std::size_t kRecordHeaderBytes = 8;

std::size_t recordBytes(std::size_t valueBytes) {
    return kRecordHeaderBytes + ((valueBytes + 3) & ~std::size_t{3});
}

bool fitsInList(const MetadataTagList& tags, std::size_t bytes) {
    return bytes <= static_cast<std::size_t>(MetadataTagList::kCapacity - tags.used);
}

// Writes one record at the end of the list; the caller has checked that it fits.
void appendRecord(MetadataTagList& tags, const char* tag, char type, std::string_view value) {
    const std::size_t total = recordBytes(value.size());
    std::uint8_t* record = tags.bytes.data() + tags.used;
    for (int index = 0; index < 4; ++index) record[index] = static_cast<std::uint8_t>(tag[index]);
    record[4] = static_cast<std::uint8_t>(value.size() & 0xFF);
    record[5] = static_cast<std::uint8_t>((value.size() >> 8) & 0xFF);
    record[6] = static_cast<std::uint8_t>((value.size() >> 16) & 0xFF);
    record[7] = static_cast<std::uint8_t>(type);
    std::size_t position = kRecordHeaderBytes;
    for (char c : value) record[position++] = static_cast<std::uint8_t>(c);
    while (position < total) record[position++] = 0;
    tags.used += static_cast<std::int32_t>(total);
}

void appendLittleEndian32(std::string& bytes, std::uint32_t word) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>((word >> shift) & 0xFF));
}

bool appendTagRecord(MetadataTagList& tags, const char* argument, char type, std::string_view value) {
    if (!fitsInList(tags, recordBytes(value.size()))) {
        platform::warn("%s: not added: the metadata list of %d bytes is full", argument,
                       MetadataTagList::kCapacity);
        return false;
    }
    appendRecord(tags, argument + 1, type, value);
    return true;
}

void addHexadecimalTag(const char* argument, const char* digits, MetadataTagList& tags) {
    const std::uint32_t value = readHexadecimal(digits);
    std::string bytes;
    appendLittleEndian32(bytes, value);
    if (!appendTagRecord(tags, argument, 'H', bytes)) return;
    std::printf("add %c%c%c%c = 0x%08x (hex)\n", argument[1], argument[2], argument[3], argument[4], value);
}

void addStringTag(const char* argument, const char* value, MetadataTagList& tags) {
    if (!appendTagRecord(tags, argument, 'c', value)) return;
    std::printf("add %c%c%c%c = %s (string)\n", argument[1], argument[2], argument[3], argument[4], value);
}

// Reads "%f,%f,..." value by value: a value that cannot be read or a missing
// comma ends the reading, and the values not reached stay 0.
void addFloatArrayTag(const char* argument, const char* value, int valueCount, MetadataTagList& tags) {
    if (valueCount > kMaximumTagArrayValues) {
        platform::warn("%s: %d values given, only the first %d are kept", argument, valueCount,
                       kMaximumTagArrayValues);
        valueCount = kMaximumTagArrayValues;
    }
    std::array<float, kMaximumTagArrayValues> values{};
    const char* position = value;
    for (int index = 0; index < valueCount; ++index) {
        if (index > 0) {
            if (*position != ',') break;
            ++position;
        }
        const int taken = readFloat(position, &values[static_cast<std::size_t>(index)]);
        if (taken == 0) break;
        position += taken;
    }
    std::string bytes;
    for (int index = 0; index < valueCount; ++index)
        appendLittleEndian32(bytes, std::bit_cast<std::uint32_t>(values[static_cast<std::size_t>(index)]));
    if (!appendTagRecord(tags, argument, 'f', bytes)) return;
    std::printf("add %c%c%c%c = ", argument[1], argument[2], argument[3], argument[4]);
    for (int index = 0; index < valueCount; ++index) {
        if (index > 0) std::printf(",");
        std::printf("%f", static_cast<double>(values[static_cast<std::size_t>(index)]));
    }
    std::printf("\n");
}

void addFloatTag(const char* argument, const char* value, MetadataTagList& tags) {
    float number = 0.0f;
    readFloat(value, &number);
    std::string bytes;
    appendLittleEndian32(bytes, std::bit_cast<std::uint32_t>(number));
    if (!appendTagRecord(tags, argument, 'f', bytes)) return;
    std::printf("add %c%c%c%c = %f\n", argument[1], argument[2], argument[3], argument[4],
                static_cast<double>(number));
}

void addIntegerTag(const char* argument, const char* value, MetadataTagList& tags) {
    const std::int32_t number = readInteger(value);
    std::string bytes;
    appendLittleEndian32(bytes, static_cast<std::uint32_t>(number));
    if (!appendTagRecord(tags, argument, 'L', bytes)) return;
    std::printf("add %c%c%c%c = %d (int)\n", argument[1], argument[2], argument[3], argument[4], number);
}

std::string_view cutFreeformText(std::string_view text, const char* what) {
    if (text.size() <= static_cast<std::size_t>(kMaximumFreeformLength)) return text;
    platform::warn("freeform %s of %zu characters cut to %d", what, text.size(), kMaximumFreeformLength);
    return text.substr(0, kMaximumFreeformLength);
}

}  // namespace

void addTagArgument(const char* argument, MetadataTagList& tags) {
    const std::string_view text(argument);
    if (text.size() < 7 || text[5] != '=') return;
    const char* value = argument + 6;
    if (value[0] == '0' && value[1] == 'x') {
        addHexadecimalTag(argument, value + 2, tags);
        return;
    }
    bool isFloat = false;
    int commas = 0;
    for (const char* position = value; *position != '\0'; ++position) {
        const char c = *position;
        if (c == '.') {
            isFloat = true;
        } else if (c == ',') {
            isFloat = true;
            ++commas;
        } else if (c != '-' && (c < '0' || c > '9')) {
            addStringTag(argument, value, tags);
            return;
        }
    }
    if (commas > 0)
        addFloatArrayTag(argument, value, commas + 1, tags);
    else if (isFloat)
        addFloatTag(argument, value, tags);
    else
        addIntegerTag(argument, value, tags);
}

void addFreeformArgument(const char* argument, MetadataTagList& tags) {
    const std::string_view text(argument);
    if (text.size() < 4) return;
    const std::size_t equals = text.find('=', 2);
    if (equals == std::string_view::npos) return;
    const std::string_view name = cutFreeformText(text.substr(1, equals - 1), "name");
    const std::string_view value = cutFreeformText(text.substr(equals + 1), "value");
    if (!fitsInList(tags, recordBytes(name.size()) + recordBytes(value.size()))) {
        platform::warn("%s: not added: the metadata list of %d bytes is full", argument,
                       MetadataTagList::kCapacity);
        return;
    }
    appendRecord(tags, "TAGN", 'c', name);
    appendRecord(tags, "TAGV", 'c', value);
    std::printf("add %.*s = %.*s (freeform)\n", static_cast<int>(name.size()), name.data(),
                static_cast<int>(value.size()), value.data());
}
