#pragma once

#include <atomic>
#include <cstdint>

#include "media/guid.h"
#include "media/known_ids.h"
#include "media/result_codes.h"

// The root of every interface: reference counting and the question "do you
// offer this interface?". Interfaces derive virtually from it, so an object
// that offers several of them still has one count and one identity.
struct IUnknown {
    static constexpr Guid kIid = IID_IUnknown;

    virtual ~IUnknown() = default;
    // On success *object holds the interface with a reference added; on
    // failure (E_NOINTERFACE) it is set to null. E_POINTER when object is null.
    virtual HRESULT QueryInterface(const Guid& iid, void** object) = 0;
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;
};

// Implements IUnknown once for a whole class: an atomic count starting at 0
// (the first ComPtr to hold the object adds the first reference) and deletion
// on the last Release. Subclasses add their interfaces by overriding
// NonDelegatingQueryInterface and falling back to their base's.
//
// An object made with a count owner (a pin, owned by its filter) has no count
// of its own: AddRef and Release go to the owner, so a reference to the pin
// keeps the whole filter alive, and the owner deletes it.
class CUnknown : public virtual IUnknown {
public:
    CUnknown(const CUnknown&) = delete;
    CUnknown& operator=(const CUnknown&) = delete;
    ~CUnknown() override;

    HRESULT QueryInterface(const Guid& iid, void** object) final;
    std::uint32_t AddRef() final;
    std::uint32_t Release() final;

protected:
    explicit CUnknown(IUnknown* countOwner = nullptr);

    // Answers for IUnknown only; iid other than the ones the object offers
    // gives E_NOINTERFACE. object is never null here.
    virtual HRESULT NonDelegatingQueryInterface(const Guid& iid, void** object);

private:
    IUnknown* countOwner_;
    std::atomic<std::uint32_t> count_{0};
};

// Hands out one interface of an object from NonDelegatingQueryInterface:
// adds a reference and stores the pointer. The caller passes the pointer
// already converted to the interface asked for.
template <class Interface>
HRESULT returnInterface(Interface* pointer, void** object) {
    pointer->AddRef();
    *object = pointer;
    return S_OK;
}
