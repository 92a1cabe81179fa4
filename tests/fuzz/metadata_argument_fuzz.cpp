// "+TAG=value" and ":name=value" arguments come from the user. The input is
// split at zero bytes into arguments, each added to one list. Whatever they
// hold, the list never grows past its buffer and stays a walkable chain of
// records: tag, 24-bit size, type, value padded to 4 bytes.
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "app/cli/metadata_tags.h"
#include "app/report/console.h"

namespace {

void checkRecords(const MetadataTagList& tags) {
    assert(tags.used >= 0 && tags.used <= MetadataTagList::kCapacity);
    std::size_t offset = 0;
    const auto used = static_cast<std::size_t>(tags.used);
    while (offset < used) {
        assert(offset + 8 <= used);
        const std::size_t valueBytes =
            tags.bytes[offset + 4] | tags.bytes[offset + 5] << 8 | tags.bytes[offset + 6] << 16;
        offset += 8 + (valueBytes + 3) / 4 * 4;
        assert(offset <= used);
    }
    assert(offset == used);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::FILE* silenced = std::freopen("/dev/null", "w", stdout);
    (void)silenced;
    MetadataTagList tags;
    Console console(false);
    std::string argument;
    for (std::size_t index = 0; index <= size; ++index) {
        if (index < size && data[index] != 0) {
            argument.push_back(static_cast<char>(data[index]));
            continue;
        }
        if (!argument.empty() && argument[0] == ':')
            addFreeformArgument(argument.c_str(), tags, console);
        else
            addTagArgument(argument.c_str(), tags, console);
        checkRecords(tags);
        argument.clear();
    }
    return 0;
}
