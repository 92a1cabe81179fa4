#include "media/component_registry.h"

#include <map>
#include <mutex>
#include <new>
#include <utility>

#include "media/filter_graph.h"
#include "media/known_ids.h"

namespace {

struct Registry {
    std::mutex lock;
    std::map<Guid, ComponentFactory> factories;
    int initializeCount = 0;

    Registry() {
        factories[CLSID_FilterGraph] = [] { return static_cast<IUnknown*>(new (std::nothrow) CFilterGraph); };
    }
};

Registry& registry() {
    static Registry instance;
    return instance;
}

}  // namespace

HRESULT CoInitialize() {
    Registry& table = registry();
    std::lock_guard hold(table.lock);
    return table.initializeCount++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
    Registry& table = registry();
    std::lock_guard hold(table.lock);
    if (table.initializeCount > 0) --table.initializeCount;
}

HRESULT registerComponentClass(const Guid& clsid, ComponentFactory factory) {
    if (!factory) return E_INVALIDARG;
    Registry& table = registry();
    std::lock_guard hold(table.lock);
    const bool replaced = table.factories.contains(clsid);
    table.factories[clsid] = std::move(factory);
    return replaced ? S_FALSE : S_OK;
}

HRESULT unregisterComponentClass(const Guid& clsid) {
    Registry& table = registry();
    std::lock_guard hold(table.lock);
    return table.factories.erase(clsid) != 0 ? S_OK : S_FALSE;
}

HRESULT CoCreateInstance(const Guid& clsid, const Guid& iid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    ComponentFactory factory;
    {
        Registry& table = registry();
        std::lock_guard hold(table.lock);
        const auto found = table.factories.find(clsid);
        if (found == table.factories.end()) return REGDB_E_CLASSNOTREG;
        factory = found->second;
    }
    // Made outside the lock: a component may create others while it is made.
    IUnknown* made = factory();
    if (made == nullptr) return E_OUTOFMEMORY;
    made->AddRef();
    const HRESULT hr = made->QueryInterface(iid, object);
    made->Release();
    return hr;
}
