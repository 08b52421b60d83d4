#pragma once
// The signature check's libraries (crypt32 and wintrust), loaded on first use
// rather than with the program: loading them costs tens of milliseconds and,
// under Wine, the libraries loaded behind them stay in memory. They are
// unloaded when the last user lets go, unless a keeper asks to keep them for
// a series of checks.

#include <windows.h>

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>
#include <mscat.h>

#include <memory>

class TrustLibraries {
public:
    // The loaded libraries, shared with every other user; null when they
    // cannot be loaded.
    static std::shared_ptr<const TrustLibraries> Acquire();
    ~TrustLibraries();
    TrustLibraries(const TrustLibraries&) = delete;
    TrustLibraries& operator=(const TrustLibraries&) = delete;

    // While a keeper lives, libraries that a check loads stay loaded after it.
    class Keeper {
    public:
        Keeper();
        ~Keeper();
        Keeper(const Keeper&) = delete;
        Keeper& operator=(const Keeper&) = delete;
    };

    // Whether they are loaded now (for tests and benchmarks).
    static bool Loaded();

    decltype(&::WinVerifyTrust) WinVerifyTrust = nullptr;
    decltype(&::WTHelperProvDataFromStateData) WTHelperProvDataFromStateData = nullptr;
    decltype(&::WTHelperGetProvSignerFromChain) WTHelperGetProvSignerFromChain = nullptr;
    decltype(&::WTHelperGetProvCertFromChain) WTHelperGetProvCertFromChain = nullptr;
    decltype(&::CertGetNameStringW) CertGetNameStringW = nullptr;
    decltype(&::CryptQueryObject) CryptQueryObject = nullptr;
    decltype(&::CryptMsgGetParam) CryptMsgGetParam = nullptr;
    decltype(&::CryptMsgClose) CryptMsgClose = nullptr;
    decltype(&::CertFindCertificateInStore) CertFindCertificateInStore = nullptr;
    decltype(&::CertFreeCertificateContext) CertFreeCertificateContext = nullptr;
    decltype(&::CertCloseStore) CertCloseStore = nullptr;
    decltype(&::CertVerifyCertificateChainPolicy) CertVerifyCertificateChainPolicy = nullptr;
    // The system's catalogs. The SHA-256 forms are missing before Windows 8
    // and may be null; the others are always there.
    decltype(&::CryptCATAdminAcquireContext) CryptCATAdminAcquireContext = nullptr;
    decltype(&::CryptCATAdminAcquireContext2) CryptCATAdminAcquireContext2 = nullptr;
    decltype(&::CryptCATAdminCalcHashFromFileHandle) CryptCATAdminCalcHashFromFileHandle = nullptr;
    decltype(&::CryptCATAdminCalcHashFromFileHandle2) CryptCATAdminCalcHashFromFileHandle2 = nullptr;
    decltype(&::CryptCATAdminEnumCatalogFromHash) CryptCATAdminEnumCatalogFromHash = nullptr;
    decltype(&::CryptCATCatalogInfoFromContext) CryptCATCatalogInfoFromContext = nullptr;
    decltype(&::CryptCATAdminReleaseCatalogContext) CryptCATAdminReleaseCatalogContext = nullptr;
    decltype(&::CryptCATAdminReleaseContext) CryptCATAdminReleaseContext = nullptr;

private:
    TrustLibraries() = default;
    bool Load();

    HMODULE m_crypt32 = nullptr;
    HMODULE m_wintrust = nullptr;
};
