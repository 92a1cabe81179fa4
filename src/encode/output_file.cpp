#include "encode/output_file.h"

#include <cerrno>
#include <string_view>

namespace {

bool equalIgnoringCase(std::string_view text, std::string_view lowerCase) {
    if (text.size() != lowerCase.size()) return false;
    for (std::size_t index = 0; index < text.size(); ++index) {
        char c = text[index];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerCase[index]) return false;
    }
    return true;
}

}  // namespace

HRESULT chooseOutputFile(const std::string& name, OutputFile* file) {
    if (file == nullptr) return E_POINTER;
    if (name.empty()) return E_INVALIDARG;
    const std::size_t componentStart =
        name.find_last_of('/') == std::string::npos ? 0 : name.find_last_of('/') + 1;
    const std::size_t dot = name.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && dot >= componentStart;
    const std::string_view extension = hasExtension ? std::string_view(name).substr(dot) : std::string_view();

    OutputFile chosen;
    chosen.path = name;
    if (equalIgnoringCase(extension, ".mov")) {
        chosen.container = ContainerKind::Mov;
    } else {
        // No extension, ".avi", or any other: an AVI, whose name ends in ".avi".
        chosen.container = ContainerKind::Avi;
        if (!equalIgnoringCase(extension, ".avi")) chosen.path += ".avi";
    }
    if (chosen.path.size() > kMaxOutputPathBytes) return hresultFromErrno(ENAMETOOLONG);
    *file = std::move(chosen);
    return S_OK;
}
