#include "components/qt_mux_filter.h"

#include "media/known_ids.h"

CQtMux::CQtMux() : CMovieMux(CLSID_QtMux, MovieContainer::Mov) {}

HRESULT CQtMux::SetFileName(const std::string& path, const MediaType*) {
    if (path.empty()) return E_INVALIDARG;
    if (!isStopped()) return VFW_E_NOT_STOPPED;
    path_ = path;
    return S_OK;
}

HRESULT CQtMux::GetCurFile(std::string* path, MediaType* type) {
    if (path == nullptr) return E_POINTER;
    if (path_.empty()) return E_FAIL;
    *path = path_;
    if (type != nullptr) *type = MediaType{};
    return S_OK;
}

HRESULT CQtMux::SetMode(std::uint32_t flags) {
    mode_ = flags;
    return S_OK;
}

HRESULT CQtMux::GetMode(std::uint32_t* flags) {
    if (flags == nullptr) return E_POINTER;
    *flags = mode_;
    return S_OK;
}

HRESULT CQtMux::openMovie() {
    if (path_.empty()) return E_FAIL;
    return movieResultCode(file_.create(path_));
}

HRESULT CQtMux::closeMovie(bool complete) {
    if (!complete) {
        file_.abandon();
        return S_OK;
    }
    return movieResultCode(file_.commit());
}

HRESULT CQtMux::NonDelegatingQueryInterface(const Guid& iid, void** object) {
    if (iid == IFileSinkFilter::kIid || iid == IFileSinkFilter2::kIid)
        return returnInterface(static_cast<IFileSinkFilter2*>(this), object);
    return CMovieMux::NonDelegatingQueryInterface(iid, object);
}
