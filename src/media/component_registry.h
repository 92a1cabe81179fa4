#pragma once

#include <functional>

#include "media/com_ptr.h"
#include "media/guid.h"
#include "media/result_codes.h"
#include "media/unknown.h"

// The process's table of component classes, keyed by class id. Components
// register a factory at start-up; whoever needs one creates it by class id and
// interface id, without knowing where it lives. The graph manager
// (CLSID_FilterGraph) is always registered. Every call is thread-safe.

// Counts the users of the library in this process. The first call answers
// S_OK, later ones S_FALSE; nothing else needs setting up.
HRESULT CoInitialize();
// Balances one CoInitialize; an unbalanced call is ignored.
void CoUninitialize();

// Makes a new object of a class, or null when it cannot be made. The object
// may come with no reference yet (count 0): CoCreateInstance holds it while
// asking for the interface, so one that lacks it is destroyed. A factory may
// also keep a reference of its own (a test that wants to look at what it made).
using ComponentFactory = std::function<IUnknown*()>;

// Registers or replaces the factory of a class. E_INVALIDARG for an empty
// factory; S_FALSE when an earlier registration was replaced.
HRESULT registerComponentClass(const Guid& clsid, ComponentFactory factory);
// Called, once, the first time a class is asked for that nobody has
// registered: components that live in a module loaded only when a run needs
// them register themselves there. Without a loader such a class is simply
// not registered.
void setComponentLoader(std::function<void()> loader);

// Forgets a class; S_FALSE when it was not registered. Objects already made
// live on.
HRESULT unregisterComponentClass(const Guid& clsid);

// Makes an object of the class and asks it for iid. REGDB_E_CLASSNOTREG for a
// class nobody registered, E_OUTOFMEMORY when the factory gives nothing,
// E_NOINTERFACE when the object lacks iid (the object is then destroyed),
// E_POINTER for a null object. *object is null on every failure.
HRESULT CoCreateInstance(const Guid& clsid, const Guid& iid, void** object);

// The same, typed: the interface's id comes from the type.
template <class Interface>
HRESULT createInstance(const Guid& clsid, ComPtr<Interface>* object) {
    object->reset();
    void* raw = nullptr;
    const HRESULT hr = CoCreateInstance(clsid, Interface::kIid, &raw);
    if (succeeded(hr)) object->attach(static_cast<Interface*>(raw));
    return hr;
}
