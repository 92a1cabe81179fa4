#include "app/cli/metadata_tags.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/cli/number_text.h"
#include "app/report/console.h"
#include "encode/metadata_record_writer.h"

namespace {

// Where the records of the arguments go, and where their echo lines.
struct TagTarget {
    MetadataTagList& tags;
    Console& console;
};

void appendLittleEndian32(std::string& bytes, std::uint32_t word) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>((word >> shift) & 0xFF));
}

bool appendTagRecord(TagTarget& target, const char* argument, char type, std::string_view value) {
    if (appendMetadataRecord(target.tags, std::string_view(argument + 1, 4), type, value)) return true;
    target.console.warn("%s: not added: the metadata list of %d bytes is full", argument,
                        MetadataTagList::kCapacity);
    return false;
}

void addHexadecimalTag(const char* argument, const char* digits, TagTarget& target) {
    const std::uint32_t value = readHexadecimal(digits);
    std::string bytes;
    appendLittleEndian32(bytes, value);
    if (!appendTagRecord(target, argument, 'H', bytes)) return;
    target.console.report("add %c%c%c%c = 0x%08x (hex)\n", argument[1], argument[2], argument[3], argument[4],
                          value);
}

void addStringTag(const char* argument, const char* value, TagTarget& target) {
    if (!appendTagRecord(target, argument, 'c', value)) return;
    target.console.report("add %c%c%c%c = %s (string)\n", argument[1], argument[2], argument[3], argument[4],
                          value);
}

// Reads "%f,%f,..." value by value: a value that cannot be read or a missing
// comma ends the reading, and the values not reached stay 0.
void addFloatArrayTag(const char* argument, const char* value, int valueCount, TagTarget& target) {
    if (valueCount > kMaximumTagArrayValues) {
        target.console.warn("%s: %d values given, only the first %d are kept", argument, valueCount,
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
    if (!appendTagRecord(target, argument, 'f', bytes)) return;
    target.console.report("add %c%c%c%c = ", argument[1], argument[2], argument[3], argument[4]);
    for (int index = 0; index < valueCount; ++index) {
        if (index > 0) target.console.report(",");
        target.console.report("%f", static_cast<double>(values[static_cast<std::size_t>(index)]));
    }
    target.console.report("\n");
}

void addFloatTag(const char* argument, const char* value, TagTarget& target) {
    float number = 0.0f;
    readFloat(value, &number);
    std::string bytes;
    appendLittleEndian32(bytes, std::bit_cast<std::uint32_t>(number));
    if (!appendTagRecord(target, argument, 'f', bytes)) return;
    target.console.report("add %c%c%c%c = %f\n", argument[1], argument[2], argument[3], argument[4],
                          static_cast<double>(number));
}

void addIntegerTag(const char* argument, const char* value, TagTarget& target) {
    const std::int32_t number = readInteger(value);
    std::string bytes;
    appendLittleEndian32(bytes, static_cast<std::uint32_t>(number));
    if (!appendTagRecord(target, argument, 'L', bytes)) return;
    target.console.report("add %c%c%c%c = %d (int)\n", argument[1], argument[2], argument[3], argument[4],
                          number);
}

std::string_view cutFreeformText(Console& console, std::string_view text, const char* what) {
    if (text.size() <= static_cast<std::size_t>(kMaximumFreeformLength)) return text;
    console.warn("freeform %s of %zu characters cut to %d", what, text.size(), kMaximumFreeformLength);
    return text.substr(0, kMaximumFreeformLength);
}

void addTag(const char* argument, TagTarget& target) {
    const std::string_view text(argument);
    if (text.size() < 7 || text[5] != '=') return;
    const char* value = argument + 6;
    if (value[0] == '0' && value[1] == 'x') {
        addHexadecimalTag(argument, value + 2, target);
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
            addStringTag(argument, value, target);
            return;
        }
    }
    if (commas > 0)
        addFloatArrayTag(argument, value, commas + 1, target);
    else if (isFloat)
        addFloatTag(argument, value, target);
    else
        addIntegerTag(argument, value, target);
}

void addFreeform(const char* argument, TagTarget& target) {
    const std::string_view text(argument);
    if (text.size() < 4) return;
    const std::size_t equals = text.find('=', 2);
    if (equals == std::string_view::npos) return;
    const std::string_view name = cutFreeformText(target.console, text.substr(1, equals - 1), "name");
    const std::string_view value = cutFreeformText(target.console, text.substr(equals + 1), "value");
    MetadataTagList& tags = target.tags;
    if (!metadataRecordsFit(tags, metadataRecordBytes(name.size()) + metadataRecordBytes(value.size()))) {
        target.console.warn("%s: not added: the metadata list of %d bytes is full", argument,
                            MetadataTagList::kCapacity);
        return;
    }
    appendMetadataRecord(tags, "TAGN", 'c', name);
    appendMetadataRecord(tags, "TAGV", 'c', value);
    target.console.report("add %.*s = %.*s (freeform)\n", static_cast<int>(name.size()), name.data(),
                          static_cast<int>(value.size()), value.data());
}

}  // namespace

void addTagArgument(const char* argument, MetadataTagList& tags, Console& console) {
    TagTarget target{tags, console};
    addTag(argument, target);
}

void addFreeformArgument(const char* argument, MetadataTagList& tags, Console& console) {
    TagTarget target{tags, console};
    addFreeform(argument, target);
}

void addTagArguments(const ArgumentList& arguments, std::size_t count, MetadataTagList& tags,
                     Console& console) {
    TagTarget target{tags, console};
    for (std::size_t index = 0; index < count && index < arguments.size(); ++index) {
        const ParsedArgument& argument = arguments[index];
        if (argument.kind == ArgumentKind::Tag) addTag(argument.text.c_str(), target);
        if (argument.kind == ArgumentKind::Freeform) addFreeform(argument.text.c_str(), target);
    }
}
