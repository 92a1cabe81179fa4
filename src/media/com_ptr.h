#pragma once

#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>

#include "media/result_codes.h"
#include "media/unknown.h"

// Holds one reference to a counted object: added when it takes a pointer,
// given back when it lets go. attach() adopts a reference someone already
// added (the out-parameter of a query or a creation).
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    explicit ComPtr(T* pointer) : pointer_(pointer) {
        if (pointer_ != nullptr) pointer_->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.pointer_) {}
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    template <class U>
    requires std::is_convertible_v<U*, T*> ComPtr(const ComPtr<U>& other)
        : ComPtr(static_cast<T*>(other.get())) {}
    ~ComPtr() { reset(); }

    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(pointer_, other.pointer_);
        return *this;
    }

    T* get() const { return pointer_; }
    T* operator->() const { return pointer_; }
    T& operator*() const { return *pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    void reset() {
        if (T* old = std::exchange(pointer_, nullptr)) old->Release();
    }
    // Takes over a reference that was added for us.
    void attach(T* pointer) {
        reset();
        pointer_ = pointer;
    }

    // Asks the object for another of its interfaces; an empty pointer when it
    // does not offer it.
    template <class U>
    ComPtr<U> as() const {
        ComPtr<U> result;
        if (pointer_ != nullptr) queryInterface(pointer_, &result);
        return result;
    }

    friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.pointer_ == b.pointer_; }
    friend bool operator==(const ComPtr& a, std::nullptr_t) { return a.pointer_ == nullptr; }

private:
    T* pointer_ = nullptr;
};

// QueryInterface with the interface's own id, into a ComPtr.
template <class Object, class Interface>
HRESULT queryInterface(Object* object, ComPtr<Interface>* result) {
    result->reset();
    if (object == nullptr) return E_POINTER;
    void* raw = nullptr;
    const HRESULT hr = object->QueryInterface(Interface::kIid, &raw);
    if (succeeded(hr) && raw != nullptr) result->attach(static_cast<Interface*>(raw));
    return hr;
}

// Makes a counted object and holds the first reference; empty when memory
// for it cannot be had.
template <class T, class... Arguments>
ComPtr<T> makeComObject(Arguments&&... arguments) {
    return ComPtr<T>(new (std::nothrow) T(std::forward<Arguments>(arguments)...));
}
