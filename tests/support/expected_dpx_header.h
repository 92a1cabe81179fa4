#pragma once

#include <cstdint>
#include <string>

namespace testing_support {

// The 2048 header bytes the DPX export writes for a 10-bit RGB picture of
// width x height in a file called fileName, built by hand from the header's
// field table: every field not set here is zero.
std::string expectedDpxHeader(std::uint32_t width, std::uint32_t height, const std::string& fileName);

}  // namespace testing_support
