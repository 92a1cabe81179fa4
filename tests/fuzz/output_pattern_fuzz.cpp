// Output name patterns come straight from the command line. Whatever the
// text, checking and expanding it must not crash, a refused pattern must
// never give a name, and no name may reach the path limit.
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "files/output_pattern.h"
#include "files/path_name.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first eight bytes, when there are that many, are the frame number.
    std::int64_t frameNumber = 0;
    if (size >= sizeof frameNumber) {
        std::memcpy(&frameNumber, data, sizeof frameNumber);
        data += sizeof frameNumber;
        size -= sizeof frameNumber;
    }
    const std::string pattern(reinterpret_cast<const char*>(data), size);
    const Status status = validateOutputPattern(pattern);
    const bool accepted = status.ok();
    assert(accepted == status.message().empty());
    const std::string name = formatFrameName(pattern, frameNumber);
    assert(name.size() < kPathCapacity);
    if (!accepted) assert(name.empty());
    if (accepted && pattern.find('%') == std::string::npos) assert(name == pattern);
    // Only the frame number's digits, sign or padding can add bytes.
    if (!name.empty()) assert(name.size() <= pattern.size() + 20);
    return 0;
}
