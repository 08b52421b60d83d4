#pragma once
// Owners for the shell's COM objects: COM on the calling thread, an
// interface pointer, and an item id list.

#include "framework/UniqueHandle.h"

#include <objbase.h>
#include <shlobj.h>

namespace fw {

// COM for the calling thread, apartment-threaded, for as long as the object
// lives, when the thread did not have it already.
class ComScope {
public:
    ComScope() : m_started(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComScope()
    {
        if (m_started)
            ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool m_started;
};

template <class Interface>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr()
    {
        if (m_p)
            m_p->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    Interface* operator->() const { return m_p; }
    Interface* Get() const { return m_p; }
    void** Put() { return reinterpret_cast<void**>(&m_p); }

private:
    Interface* m_p = nullptr;
};

struct ItemIdListTraits {
    using Handle = PIDLIST_ABSOLUTE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::ILFree(h); }
};

using UniqueItemIdList = UniqueHandle<ItemIdListTraits>;

} // namespace fw
