#include "app/cli/argument_list.h"

#include <cstring>

#include "app/cli/number_text.h"

namespace {

// "A/B" with two whole numbers of 1 or more and nothing else.
bool readFraction(const char* valueText, NumberText& number) {
    std::int32_t numerator = 0;
    std::int32_t denominator = 0;
    if (valueText[0] < '0' || valueText[0] > '9') return false;
    const int numeratorDigits = readDecimal(valueText, &numerator);
    const char* slash = valueText + numeratorDigits;
    if (*slash != '/' || slash[1] < '0' || slash[1] > '9') return false;
    const int denominatorDigits = readDecimal(slash + 1, &denominator);
    if (slash[1 + denominatorDigits] != '\0' || numerator < 1 || denominator < 1) return false;
    number.fraction = true;
    number.numerator = numerator;
    number.denominator = denominator;
    number.taken = static_cast<int>(slash + 1 + denominatorDigits - valueText);
    number.real = static_cast<float>(static_cast<double>(numerator) / denominator);
    return true;
}

NumberText readNumberText(const SwitchSpec& option, const char* valueText) {
    NumberText number;
    if (option.value == SwitchValue::Rate && readFraction(valueText, number)) return number;
    if (option.value == SwitchValue::Integer) {
        number.taken = readDecimal(valueText, &number.integer);
    } else if (option.value == SwitchValue::Float || option.value == SwitchValue::Rate) {
        number.taken = readFloat(valueText, &number.real);
    } else {
        return number;
    }
    number.textAfter = valueText[number.taken] != '\0';
    return number;
}

ParsedArgument parseArgument(int index, const char* text) {
    ParsedArgument argument;
    argument.index = index;
    argument.text = text;
    switch (text[0]) {
        case '-':
            if (text[1] == '-') {
                argument.kind = ArgumentKind::LongOption;
                argument.longOption = findLongOption(text + 2);
                break;
            }
            argument.option = findSwitch(text);
            if (argument.option == nullptr) {
                argument.kind = ArgumentKind::UnknownSwitch;
                break;
            }
            argument.kind = ArgumentKind::Switch;
            if (argument.option->value == SwitchValue::Window)
                argument.window = readWindowText(text + 1);
            else
                argument.number =
                    readNumberText(*argument.option, text + 1 + std::strlen(argument.option->letters));
            break;
        case '+':
            argument.kind = ArgumentKind::Tag;
            break;
        case ':':
            argument.kind = ArgumentKind::Freeform;
            break;
        default:
            argument.pathKind = classifyPath(text);
            switch (argument.pathKind) {
                case PathKind::Avi:
                case PathKind::Mov:
                case PathKind::Dpx:
                    argument.kind = ArgumentKind::Output;
                    break;
                case PathKind::Raw:
                    argument.kind = ArgumentKind::Clip;
                    break;
                case PathKind::Other:
                    argument.kind = ArgumentKind::Ignored;
                    break;
            }
            break;
    }
    return argument;
}

}  // namespace

std::string_view ParsedArgument::valueText() const {
    const std::size_t start = option == nullptr ? 1 : 1 + std::strlen(option->letters);
    return start <= text.size() ? std::string_view(text).substr(start) : std::string_view{};
}

ArgumentList readArguments(int argc, const char* const* argv) {
    ArgumentList arguments;
    arguments.reserve(static_cast<std::size_t>(argc > 0 ? argc : 0));
    for (int index = 0; index < argc; ++index) arguments.push_back(parseArgument(index, argv[index]));
    return arguments;
}

const ParsedArgument* lastSwitch(const ArgumentList& arguments, SwitchId id) {
    for (auto it = arguments.rbegin(); it != arguments.rend(); ++it)
        if (it->is(id)) return &*it;
    return nullptr;
}
