#include "pages/startup/details/TrustLibraries.h"

#include "app/StartupSteps.h"
#include "framework/SystemFolder.h"

#include <mutex>
#include <string>

namespace {
std::mutex g_lock; // guards the three below
std::weak_ptr<const TrustLibraries> g_current;
std::shared_ptr<const TrustLibraries> g_kept; // held for the keepers
int g_keepers = 0;

template <class Function>
bool Find(HMODULE module, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    return function != nullptr;
}

} // namespace

std::shared_ptr<const TrustLibraries> TrustLibraries::Acquire()
{
    std::lock_guard<std::mutex> hold(g_lock);
    if (std::shared_ptr<const TrustLibraries> current = g_current.lock())
        return current;
    std::shared_ptr<TrustLibraries> loaded(new TrustLibraries);
    {
        const StartupWorkTimer timer("details: signature libraries loaded");
        if (!loaded->Load())
            return nullptr;
    }
    g_current = loaded;
    if (g_keepers > 0)
        g_kept = loaded;
    return loaded;
}

bool TrustLibraries::Loaded()
{
    std::lock_guard<std::mutex> hold(g_lock);
    return !g_current.expired();
}

bool TrustLibraries::Load()
{
    m_crypt32 = fw::LoadSystemLibrary(L"crypt32.dll");
    m_wintrust = fw::LoadSystemLibrary(L"wintrust.dll");
    return m_crypt32 && m_wintrust && Find(m_wintrust, "WinVerifyTrust", WinVerifyTrust)
           && Find(m_wintrust, "WTHelperProvDataFromStateData", WTHelperProvDataFromStateData)
           && Find(m_wintrust, "WTHelperGetProvSignerFromChain", WTHelperGetProvSignerFromChain)
           && Find(m_wintrust, "WTHelperGetProvCertFromChain", WTHelperGetProvCertFromChain)
           && Find(m_crypt32, "CertGetNameStringW", CertGetNameStringW)
           && Find(m_crypt32, "CryptQueryObject", CryptQueryObject)
           && Find(m_crypt32, "CryptMsgGetParam", CryptMsgGetParam) && Find(m_crypt32, "CryptMsgClose", CryptMsgClose)
           && Find(m_crypt32, "CertFindCertificateInStore", CertFindCertificateInStore)
           && Find(m_crypt32, "CertFreeCertificateContext", CertFreeCertificateContext)
           && Find(m_crypt32, "CertCloseStore", CertCloseStore)
           && Find(m_crypt32, "CertVerifyCertificateChainPolicy", CertVerifyCertificateChainPolicy)
           && Find(m_wintrust, "CryptCATAdminAcquireContext", CryptCATAdminAcquireContext)
           && Find(m_wintrust, "CryptCATAdminCalcHashFromFileHandle", CryptCATAdminCalcHashFromFileHandle)
           && Find(m_wintrust, "CryptCATAdminEnumCatalogFromHash", CryptCATAdminEnumCatalogFromHash)
           && Find(m_wintrust, "CryptCATCatalogInfoFromContext", CryptCATCatalogInfoFromContext)
           && Find(m_wintrust, "CryptCATAdminReleaseCatalogContext", CryptCATAdminReleaseCatalogContext)
           && Find(m_wintrust, "CryptCATAdminReleaseContext", CryptCATAdminReleaseContext)
           && (Find(m_wintrust, "CryptCATAdminAcquireContext2", CryptCATAdminAcquireContext2), true)
           && (Find(m_wintrust, "CryptCATAdminCalcHashFromFileHandle2", CryptCATAdminCalcHashFromFileHandle2), true);
}

TrustLibraries::~TrustLibraries()
{
    if (m_wintrust)
        ::FreeLibrary(m_wintrust);
    if (m_crypt32)
        ::FreeLibrary(m_crypt32);
}

TrustLibraries::Keeper::Keeper()
{
    std::lock_guard<std::mutex> hold(g_lock);
    if (g_keepers++ == 0)
        g_kept = g_current.lock();
}

TrustLibraries::Keeper::~Keeper()
{
    std::shared_ptr<const TrustLibraries> released;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        if (--g_keepers == 0)
            released = std::move(g_kept);
    }
    // Unloaded outside the lock, if this was the last user.
}
