#include "media/result_codes.h"

#include <cerrno>
#include <cstdint>

int errnoFromHresult(HRESULT result) {
    if (succeeded(result)) return 0;
    if (result == E_OUTOFMEMORY) return ENOMEM;
    if (result == E_INVALIDARG) return EINVAL;
    const auto bits = static_cast<std::uint32_t>(result);
    const std::uint32_t facility = (bits >> 16) & 0x7FF;
    if (facility != 7) return 0;
    return static_cast<int>(bits & 0xFFFF);
}
