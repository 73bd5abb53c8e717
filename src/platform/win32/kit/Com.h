#pragma once

// A small owning COM pointer and the OLE apartment scope. WIL does not build
// with our MinGW, and the few things the shell code needs (own, copy, move,
// query, hand out an out-slot) fit in a page.
#include <windows.h>
// After windows.h:
#include <ole2.h>
#include <unknwn.h>

#include <cstddef>
#include <utility>

namespace velmora::win32 {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a new reference to `raw` (the caller keeps its own).
    explicit ComPtr(T* raw) : raw_(raw) {
        if (raw_) raw_->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.raw_) {}
    ComPtr(ComPtr&& other) noexcept : raw_(std::exchange(other.raw_, nullptr)) {}
    ~ComPtr() { Reset(); }

    ComPtr& operator=(const ComPtr& other) {
        if (this != &other) ComPtr(other).Swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) ComPtr(std::move(other)).Swap(*this);
        return *this;
    }
    ComPtr& operator=(std::nullptr_t) {
        Reset();
        return *this;
    }

    // Wraps a pointer whose reference the caller hands over (a creation
    // function's result, an out-parameter filled elsewhere).
    static ComPtr Adopt(T* raw) {
        ComPtr result;
        result.raw_ = raw;
        return result;
    }

    T* Get() const { return raw_; }
    T* operator->() const { return raw_; }
    explicit operator bool() const { return raw_ != nullptr; }

    // Releases what is held and returns the slot for a function that fills it.
    T** Put() {
        Reset();
        return &raw_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

    void Reset() {
        if (T* old = std::exchange(raw_, nullptr)) old->Release();
    }
    // Gives up ownership without releasing.
    [[nodiscard]] T* Detach() { return std::exchange(raw_, nullptr); }
    void Swap(ComPtr& other) noexcept { std::swap(raw_, other.raw_); }

    // QueryInterface: empty when the object does not have the interface.
    template <class U>
    ComPtr<U> As() const {
        ComPtr<U> result;
        if (raw_) raw_->QueryInterface(__uuidof(U), result.PutVoid());
        return result;
    }

private:
    T* raw_ = nullptr;
};

// Joins the calling thread to a single-threaded OLE apartment for the scope's
// life (the shell's browser, its drag and drop and its tree need one). Nested
// scopes are counted by OLE. Joining can fail (a thread already in the
// multi-threaded apartment, no memory): the owner checks Joined() and decides
// what the program does without OLE; Result() is OleInitialize's answer.
class OleApartment {
public:
    OleApartment() : result_(OleInitialize(nullptr)) {}
    ~OleApartment() {
        if (SUCCEEDED(result_)) OleUninitialize();
    }
    OleApartment(const OleApartment&) = delete;
    OleApartment& operator=(const OleApartment&) = delete;

    bool Joined() const { return SUCCEEDED(result_); }
    HRESULT Result() const { return result_; }

private:
    HRESULT result_;
};

}  // namespace velmora::win32
