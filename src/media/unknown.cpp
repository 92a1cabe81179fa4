#include "media/unknown.h"

#include <cassert>

CUnknown::CUnknown(IUnknown* countOwner) : countOwner_(countOwner) {}

CUnknown::~CUnknown() = default;

HRESULT CUnknown::QueryInterface(const Guid& iid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    return NonDelegatingQueryInterface(iid, object);
}

std::uint32_t CUnknown::AddRef() {
    if (countOwner_ != nullptr) return countOwner_->AddRef();
    return count_.fetch_add(1, std::memory_order_relaxed) + 1;
}

std::uint32_t CUnknown::Release() {
    if (countOwner_ != nullptr) return countOwner_->Release();
    const std::uint32_t before = count_.fetch_sub(1, std::memory_order_acq_rel);
    assert(before > 0 && "Release without a reference");
    if (before == 1) delete this;
    return before - 1;
}

HRESULT CUnknown::NonDelegatingQueryInterface(const Guid& iid, void** object) {
    if (iid == IUnknown::kIid) return returnInterface(static_cast<IUnknown*>(this), object);
    return E_NOINTERFACE;
}
