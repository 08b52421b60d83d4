#pragma once
// One owner for every platform handle: kernel objects, registry keys, GDI
// objects, file searches, change notifications and certificate objects. The
// traits say what "no handle" is and how to release one.

#include <windows.h>

#include <utility>

namespace fw {

template <class Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle h) noexcept : m_h(h) {}
    ~UniqueHandle() { Reset(); }

    UniqueHandle(UniqueHandle&& other) noexcept : m_h(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle Get() const noexcept { return m_h; }
    explicit operator bool() const noexcept { return m_h != Traits::Invalid(); }

    // For out-parameters of create and open calls; releases what was held.
    Handle* Put() noexcept
    {
        Reset();
        return &m_h;
    }

    Handle Release() noexcept { return std::exchange(m_h, Traits::Invalid()); }

    void Reset(Handle h = Traits::Invalid()) noexcept
    {
        if (m_h != Traits::Invalid())
            Traits::Close(m_h);
        m_h = h;
    }

private:
    Handle m_h = Traits::Invalid();
};

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::CloseHandle(h); }
};

// CreateFile: INVALID_HANDLE_VALUE on failure, closed by CloseHandle.
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::CloseHandle(h); }
};

// FindFirstFile: INVALID_HANDLE_VALUE on failure, closed by FindClose.
struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::FindClose(h); }
};

// FindFirstChangeNotification: INVALID_HANDLE_VALUE on failure, closed by
// FindCloseChangeNotification.
struct ChangeNotificationTraits {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::FindCloseChangeNotification(h); }
};

struct RegKeyTraits {
    using Handle = HKEY;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::RegCloseKey(h); }
};

struct GdiObjectTraits {
    using Handle = HGDIOBJ;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DeleteObject(h); }
};

// LoadLibrary: nullptr on failure, released by FreeLibrary.
struct ModuleTraits {
    using Handle = HMODULE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::FreeLibrary(h); }
};

// Certificate stores, cryptographic messages and certificates (crypt32).
struct CertStoreTraits {
    using Handle = HCERTSTORE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::CertCloseStore(h, 0); }
};

struct CryptMsgTraits {
    using Handle = HCRYPTMSG;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::CryptMsgClose(h); }
};

struct CertContextTraits {
    using Handle = PCCERT_CONTEXT;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::CertFreeCertificateContext(h); }
};

// The Service Control Manager and its services: closed by CloseServiceHandle.
struct ServiceHandleTraits {
    using Handle = SC_HANDLE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::CloseServiceHandle(h); }
};

using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFileHandle = UniqueHandle<FileHandleTraits>;
using UniqueFindHandle = UniqueHandle<FindHandleTraits>;
using UniqueChangeNotification = UniqueHandle<ChangeNotificationTraits>;
using UniqueRegKey = UniqueHandle<RegKeyTraits>;
using UniqueGdiObject = UniqueHandle<GdiObjectTraits>;
using UniqueModule = UniqueHandle<ModuleTraits>;
using UniqueCertStore = UniqueHandle<CertStoreTraits>;
using UniqueCryptMsg = UniqueHandle<CryptMsgTraits>;
using UniqueCertContext = UniqueHandle<CertContextTraits>;
using UniqueServiceHandle = UniqueHandle<ServiceHandleTraits>;

} // namespace fw
