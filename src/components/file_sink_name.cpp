#include "components/file_sink_name.h"

HRESULT FileSinkName::setFileName(const std::string& path, bool stopped) {
    if (path.empty()) return E_INVALIDARG;
    if (!stopped) return VFW_E_NOT_STOPPED;
    path_ = path;
    return S_OK;
}

HRESULT FileSinkName::getCurFile(std::string* path, MediaType* type) const {
    if (path == nullptr) return E_POINTER;
    if (path_.empty()) return E_FAIL;
    *path = path_;
    if (type != nullptr) *type = MediaType{};
    return S_OK;
}

HRESULT FileSinkName::setMode(std::uint32_t flags) {
    mode_ = flags;
    return S_OK;
}

HRESULT FileSinkName::getMode(std::uint32_t* flags) const {
    if (flags == nullptr) return E_POINTER;
    *flags = mode_;
    return S_OK;
}
