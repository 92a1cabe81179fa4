#include "app/cli/source_window.h"

#include <cstdint>

#include "app/cli/number_text.h"

namespace {

void readWindowFields(const char* text, ConversionSettings& settings) {
    std::int32_t* const fields[] = {&settings.windowLeft, &settings.windowTop, &settings.windowRight,
                                    &settings.windowBottom};
    const char separators[] = {'(', ',', ',', ','};
    for (int index = 0; index < 4; ++index) {
        if (*text != separators[index]) return;
        ++text;
        const int taken = readDecimal(text, fields[index]);
        if (taken == 0) return;
        text += taken;
    }
}

// The edges are 32-bit values the user typed, so the sums wrap modulo 2^32
// rather than overflow.
std::int32_t wrappedSum(std::int32_t a, std::uint32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + b);
}

std::uint32_t wrappedDifference(std::int32_t a, std::int32_t b) {
    return static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b);
}

}  // namespace

void applySourceWindowSwitch(const char* text, ConversionSettings& settings) {
    readWindowFields(text, settings);
    if (settings.windowBottom < 1) return;

    if (settings.windowLeft & 1) settings.windowLeft = wrappedSum(settings.windowLeft, 1);
    const std::uint32_t width = wrappedDifference(settings.windowRight, settings.windowLeft);
    if (width & 15u) settings.windowRight = wrappedSum(settings.windowLeft, (width + 15u) & 0xFFF0u);

    if (settings.windowTop & 1) settings.windowTop = wrappedSum(settings.windowTop, 1);
    const std::uint32_t height = wrappedDifference(settings.windowBottom, settings.windowTop);
    if (height & 1u) settings.windowBottom = wrappedSum(settings.windowTop, (height + 1u) & 0xFFFEu);
}
