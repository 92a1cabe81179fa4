#include "components/file_sink_name.h"

HRESULT FileSinkName::setFileName(const std::string& path, bool stopped) {
    if (path.empty()) return E_INVALIDARG;
    if (!stopped) return VFW_E_NOT_STOPPED;
    path_ = path;
    return S_OK;
}

HRESULT FileSinkName::setMode(std::uint32_t) {
    return S_OK;
}
