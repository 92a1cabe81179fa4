#include "components/qt_mux_filter.h"

#include "media/known_ids.h"
#include "media/result_status.h"

CQtMux::CQtMux() : CMovieMux(CLSID_QtMux, MovieContainer::Mov) {}

HRESULT CQtMux::SetFileName(const std::string& path, const MediaType*) {
    return name_.setFileName(path, isStopped());
}

HRESULT CQtMux::SetMode(std::uint32_t flags) {
    return name_.setMode(flags);
}

HRESULT CQtMux::openMovie() {
    if (name_.path().empty()) return E_FAIL;
    return resultFromStatus(file_.create(name_.path()));
}

HRESULT CQtMux::closeMovie(bool complete) {
    if (!complete) {
        file_.abandon();
        return S_OK;
    }
    return resultFromStatus(file_.commit());
}

HRESULT CQtMux::NonDelegatingQueryInterface(const Guid& iid, void** object) {
    if (iid == IFileSinkFilter::kIid || iid == IFileSinkFilter2::kIid)
        return returnInterface(static_cast<IFileSinkFilter2*>(this), object);
    return CMovieMux::NonDelegatingQueryInterface(iid, object);
}
