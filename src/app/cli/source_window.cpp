#include "app/cli/source_window.h"

#include <cstdint>

#include "app/cli/number_text.h"

namespace {

// The edges are 32-bit values the user typed, so the sums wrap modulo 2^32
// rather than overflow.
std::int32_t wrappedSum(std::int32_t a, std::uint32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + b);
}

std::uint32_t wrappedDifference(std::int32_t a, std::int32_t b) {
    return static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b);
}

}  // namespace

WindowText readWindowText(const char* text) {
    WindowText window;
    const char separators[] = {'(', ',', ',', ','};
    for (; window.fields < 4; ++window.fields) {
        if (*text != separators[window.fields]) break;
        ++text;
        const int taken = readDecimal(text, &window.values[static_cast<std::size_t>(window.fields)]);
        if (taken == 0) break;
        text += taken;
    }
    return window;
}

void applySourceWindowSwitch(const WindowText& window, ConversionSettings& settings) {
    std::int32_t* const fields[] = {&settings.windowLeft, &settings.windowTop, &settings.windowRight,
                                    &settings.windowBottom};
    for (int index = 0; index < window.fields; ++index)
        *fields[index] = window.values[static_cast<std::size_t>(index)];
    if (settings.windowBottom < 1) return;

    if (settings.windowLeft & 1) settings.windowLeft = wrappedSum(settings.windowLeft, 1);
    const std::uint32_t width = wrappedDifference(settings.windowRight, settings.windowLeft);
    if (width & 15u) settings.windowRight = wrappedSum(settings.windowLeft, (width + 15u) & 0xFFF0u);

    if (settings.windowTop & 1) settings.windowTop = wrappedSum(settings.windowTop, 1);
    const std::uint32_t height = wrappedDifference(settings.windowBottom, settings.windowTop);
    if (height & 1u) settings.windowBottom = wrappedSum(settings.windowTop, (height + 1u) & 0xFFFEu);
}
