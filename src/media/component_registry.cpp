#include "media/component_registry.h"

#include <functional>
#include <map>
#include <mutex>
#include <new>
#include <utility>

#include "media/filter_graph.h"
#include "media/known_ids.h"

namespace {

struct Registry {
    std::mutex lock;
    std::mutex loadLock;  // held while the loader runs
    std::map<Guid, ComponentFactory> factories;
    int initializeCount = 0;
    std::function<void()> loader;  // taken (and so run only once) by the first miss

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

void setComponentLoader(std::function<void()> loader) {
    Registry& table = registry();
    std::lock_guard hold(table.lock);
    table.loader = std::move(loader);
}

namespace {

ComponentFactory registeredFactory(Registry& table, const Guid& clsid) {
    std::lock_guard hold(table.lock);
    const auto found = table.factories.find(clsid);
    return found == table.factories.end() ? ComponentFactory{} : found->second;
}

// The factory of a class; the loader is run first when the class is missing
// and the loader has not run yet. Empty when the class stays unregistered.
ComponentFactory findFactory(const Guid& clsid) {
    Registry& table = registry();
    if (ComponentFactory factory = registeredFactory(table, clsid)) return factory;
    // One loads while any other thread that misses waits for it; the
    // components it loads register themselves, so the table's own lock is
    // not held meanwhile.
    std::lock_guard loading(table.loadLock);
    std::function<void()> loader;
    {
        std::lock_guard hold(table.lock);
        loader = std::move(table.loader);
        table.loader = nullptr;
    }
    if (loader) loader();
    return registeredFactory(table, clsid);
}

}  // namespace

HRESULT CoCreateInstance(const Guid& clsid, const Guid& iid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    const ComponentFactory factory = findFactory(clsid);
    if (!factory) return REGDB_E_CLASSNOTREG;
    // Made outside the lock: a component may create others while it is made.
    IUnknown* made = factory();
    if (made == nullptr) return E_OUTOFMEMORY;
    made->AddRef();
    const HRESULT hr = made->QueryInterface(iid, object);
    made->Release();
    return hr;
}
