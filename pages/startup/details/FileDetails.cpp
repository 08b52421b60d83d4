#include "pages/startup/details/FileDetails.h"

#include "app/StartupSteps.h"
#include "framework/SystemFolder.h"
#include "framework/UniqueHandle.h"
#include "framework/Wine.h"
#include "pages/startup/details/CertificateTable.h"
#include "pages/startup/details/NativeFilePath.h"
#include "pages/startup/details/TrustLibraries.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace {

// Ends a WinVerifyTrust verification, releasing the state it kept, however
// the examination of its results ends.
class TrustVerification {
public:
    // The file's embedded signature.
    TrustVerification(const TrustLibraries& trust, const std::wstring& path) : m_trust(trust)
    {
        m_file.cbStruct = sizeof(m_file);
        m_file.pcwszFilePath = path.c_str();
        m_data.dwUnionChoice = WTD_CHOICE_FILE;
        m_data.pFile = &m_file;
        Verify();
    }
    // The signature of the catalog that holds the file's hash.
    TrustVerification(const TrustLibraries& trust, WINTRUST_CATALOG_INFO& catalog) : m_trust(trust)
    {
        m_data.dwUnionChoice = WTD_CHOICE_CATALOG;
        m_data.pCatalog = &catalog;
        Verify();
    }
    ~TrustVerification()
    {
        m_data.dwStateAction = WTD_STATEACTION_CLOSE;
        m_trust.WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &m_action, &m_data);
    }
    TrustVerification(const TrustVerification&) = delete;
    TrustVerification& operator=(const TrustVerification&) = delete;

    LONG Status() const { return m_status; }

    // The first signer as the provider saw it; null when it got no signer.
    CRYPT_PROVIDER_SGNR* Signer() const
    {
        CRYPT_PROVIDER_DATA* provider = m_trust.WTHelperProvDataFromStateData(m_data.hWVTStateData);
        return provider ? m_trust.WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
    }

private:
    void Verify()
    {
        m_data.cbStruct = sizeof(m_data);
        m_data.dwUIChoice = WTD_UI_NONE;
        m_data.fdwRevocationChecks = WTD_REVOKE_NONE;
        m_data.dwStateAction = WTD_STATEACTION_VERIFY;
        m_data.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
        m_status = m_trust.WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &m_action, &m_data);
    }

    const TrustLibraries& m_trust;
    GUID m_action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    WINTRUST_FILE_INFO m_file{};
    WINTRUST_DATA m_data{};
    LONG m_status = 0;
};

std::wstring CertificateName(const TrustLibraries& trust, PCCERT_CONTEXT certificate)
{
    const DWORD length = trust.CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, nullptr, 0);
    if (length <= 1)
        return {};
    std::wstring name(length, L'\0');
    trust.CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name.data(), length);
    name.resize(length - 1);
    return name;
}

// The signer's name read from the signature itself, for a signature that
// failed before the provider took its certificate (a file changed after
// signing): the certificate named by the signer's issuer and serial number.
std::wstring EmbeddedSignerName(const TrustLibraries& trust, const std::wstring& path)
{
    DWORD encoding = 0, contentType = 0, formatType = 0;
    HCERTSTORE store = nullptr;
    HCRYPTMSG message = nullptr;
    if (!trust.CryptQueryObject(CERT_QUERY_OBJECT_FILE, path.c_str(), CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED,
                                CERT_QUERY_FORMAT_FLAG_BINARY, 0, &encoding, &contentType, &formatType, &store,
                                &message, nullptr))
        return {};
    std::wstring name;
    DWORD size = 0;
    if (trust.CryptMsgGetParam(message, CMSG_SIGNER_CERT_INFO_PARAM, 0, nullptr, &size) && size > 0) {
        std::vector<BYTE> info(size);
        if (trust.CryptMsgGetParam(message, CMSG_SIGNER_CERT_INFO_PARAM, 0, info.data(), &size)) {
            if (const PCCERT_CONTEXT certificate =
                    trust.CertFindCertificateInStore(store, encoding, 0, CERT_FIND_SUBJECT_CERT,
                                                     reinterpret_cast<const CERT_INFO*>(info.data()), nullptr)) {
                name = CertificateName(trust, certificate);
                trust.CertFreeCertificateContext(certificate);
            }
        }
    }
    trust.CryptMsgClose(message);
    trust.CertCloseStore(store, 0);
    return name;
}

bool AuthenticodePolicyAccepts(const TrustLibraries& trust, PCCERT_CHAIN_CONTEXT chain)
{
    CERT_CHAIN_POLICY_PARA policy{};
    policy.cbSize = sizeof(policy);
    CERT_CHAIN_POLICY_STATUS status{};
    status.cbSize = sizeof(status);
    return trust.CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_AUTHENTICODE, chain, &policy, &status)
           && status.dwError == ERROR_SUCCESS;
}

// The string `name` of the version block `language`/`codePage`; empty when missing.
std::wstring VersionString(const std::vector<BYTE>& block, WORD language, WORD codePage, const wchar_t* name)
{
    wchar_t query[64];
    std::swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\%ls", language, codePage, name);
    void* text = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), query, &text, &length) || !text || length == 0)
        return {};
    std::wstring value(static_cast<const wchar_t*>(text), length);
    value.resize(std::min(value.find(L'\0'), value.size()));
    const std::size_t first = value.find_first_not_of(L" \t");
    return first == std::wstring::npos ? std::wstring() : value.substr(first, value.find_last_not_of(L" \t") - first + 1);
}

// The file's version resource, as VerQueryValueW reads it. A program file
// is mapped once, as data, and its resource copied (GetFileVersionInfoW maps
// it twice, once for the size); GetFileVersionInfoW reads what does not load
// so, such as 16-bit programs. Empty when there is none.
std::vector<BYTE> VersionBlock(const std::wstring& native)
{
    constexpr WORD kVersionType = 16; // RT_VERSION
    std::vector<BYTE> block;
    if (const HMODULE module = ::LoadLibraryExW(native.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
        const HRSRC resource =
            ::FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(kVersionType));
        const DWORD size = resource ? ::SizeofResource(module, resource) : 0;
        const HGLOBAL loaded = size ? ::LoadResource(module, resource) : nullptr;
        if (const void* data = loaded ? ::LockResource(loaded) : nullptr) {
            // Room after the copy, as GetFileVersionInfoW leaves it, for
            // VerQueryValue's conversions.
            block.assign(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
            block.resize(static_cast<std::size_t>(size) * 2);
        }
        ::FreeLibrary(module);
        return block;
    }
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(native.c_str(), &ignored);
    if (size == 0)
        return {};
    block.resize(size);
    if (!::GetFileVersionInfoW(native.c_str(), 0, size, block.data()))
        return {};
    return block;
}

} // namespace

FileStamp ReadFileStamp(const std::wstring& path)
{
    const std::wstring native = NativeFilePath(path);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (native.empty() || !::GetFileAttributesExW(native.c_str(), GetFileExInfoStandard, &data)
        || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return {};
    FileStamp stamp;
    stamp.exists = true;
    stamp.size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.lastWrite =
        (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    return stamp;
}

std::wstring ReadCompanyName(const std::wstring& path)
{
    const std::wstring native = NativeFilePath(path);
    if (native.empty())
        return {};
    std::vector<BYTE> block = VersionBlock(native);
    if (block.empty())
        return {};

    constexpr WORD kUnicode = 1200, kWindows1252 = 1252, kUsEnglish = 0x0409, kNeutral = 0;
    std::vector<std::pair<WORD, WORD>> tries;
    void* translations = nullptr;
    UINT bytes = 0;
    if (::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &translations, &bytes) && translations
        && bytes >= 2 * sizeof(WORD)) {
        const WORD* first = static_cast<const WORD*>(translations);
        tries.insert(tries.end(), {{first[0], first[1]}, {first[0], kUnicode}, {first[0], kWindows1252}});
    }
    tries.insert(tries.end(), {{kUsEnglish, kUnicode}, {kUsEnglish, kWindows1252}, {kNeutral, kUnicode},
                               {kNeutral, kWindows1252}});
    for (const auto& [language, codePage] : tries) {
        std::wstring company = VersionString(block, language, codePage, L"CompanyName");
        if (!company.empty())
            return company;
    }
    return {};
}

namespace {

// What a verification found: the signer, and whether the signature holds
// and chains to a trusted root under the Authenticode policy.
Signature Verdict(const TrustLibraries& trust, const TrustVerification& verification, const std::wstring& native)
{
    Signature signature;
    signature.state = SignatureState::NotVerified;
    const CRYPT_PROVIDER_SGNR* signer = verification.Signer();
    const CRYPT_PROVIDER_CERT* leaf =
        signer ? trust.WTHelperGetProvCertFromChain(const_cast<CRYPT_PROVIDER_SGNR*>(signer), 0) : nullptr;
    signature.signer = leaf && leaf->pCert ? CertificateName(trust, leaf->pCert) : EmbeddedSignerName(trust, native);
    if (verification.Status() == ERROR_SUCCESS && signer && signer->pChainContext
        && AuthenticodePolicyAccepts(trust, signer->pChainContext))
        signature.state = SignatureState::Verified;
    return signature;
}

std::function<Signature(const std::wstring&)>& TestCatalogLookup()
{
    static std::function<Signature(const std::wstring&)> lookup;
    return lookup;
}

// The file's hash as the system's catalogs list it (SHA-256 where Windows
// has it, else SHA-1), and the catalog administrator that computed it.
class CatalogHash {
public:
    CatalogHash(const TrustLibraries& trust, HANDLE file) : m_trust(trust)
    {
        static const GUID kDriverAction = DRIVER_ACTION_VERIFY;
        GUID action = kDriverAction;
        for (const DWORD length : {32u, 20u}) {
            const bool sha256 = length == 32;
            if (sha256 && (!trust.CryptCATAdminAcquireContext2 || !trust.CryptCATAdminCalcHashFromFileHandle2))
                continue;
            const BOOL acquired = sha256 ? trust.CryptCATAdminAcquireContext2(&m_admin, &action, L"SHA256", nullptr, 0)
                                         : trust.CryptCATAdminAcquireContext(&m_admin, &action, 0);
            if (!acquired)
                continue;
            // Asked with the hash's own length: a larger buffer's length is
            // not always set back to it.
            DWORD size = length;
            const BOOL hashed = sha256 ? trust.CryptCATAdminCalcHashFromFileHandle2(m_admin, file, &size, m_hash, 0)
                                       : trust.CryptCATAdminCalcHashFromFileHandle(file, &size, m_hash, 0);
            ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
            if (hashed && size > 0 && size <= sizeof(m_hash)) {
                m_size = size;
                m_catalog = trust.CryptCATAdminEnumCatalogFromHash(m_admin, m_hash, m_size, 0, nullptr);
                if (m_catalog)
                    return;
            }
            trust.CryptCATAdminReleaseContext(m_admin, 0);
            m_admin = nullptr;
        }
    }
    ~CatalogHash()
    {
        if (m_catalog)
            m_trust.CryptCATAdminReleaseCatalogContext(m_admin, m_catalog, 0);
        if (m_admin)
            m_trust.CryptCATAdminReleaseContext(m_admin, 0);
    }
    CatalogHash(const CatalogHash&) = delete;
    CatalogHash& operator=(const CatalogHash&) = delete;

    // The catalog file that lists the hash; empty where none does.
    std::wstring CatalogFile() const
    {
        CATALOG_INFO info{};
        info.cbStruct = sizeof(info);
        if (!m_catalog || !m_trust.CryptCATCatalogInfoFromContext(m_catalog, &info, 0))
            return {};
        return info.wszCatalogFile;
    }
    // The hash as a catalog's member tag: its bytes in upper-case hexadecimal.
    std::wstring Tag() const
    {
        std::wstring tag;
        wchar_t digits[3];
        for (DWORD i = 0; i < m_size; ++i) {
            std::swprintf(digits, 3, L"%02X", m_hash[i]);
            tag += digits;
        }
        return tag;
    }
    BYTE* Bytes() { return m_hash; }
    DWORD Size() const { return m_size; }

private:
    const TrustLibraries& m_trust;
    HCATADMIN m_admin = nullptr;
    HCATINFO m_catalog = nullptr;
    BYTE m_hash[32] = {};
    DWORD m_size = 0;
};

// The signature of the catalog that lists the file; unsigned where none does.
Signature CatalogSignature(const TrustLibraries& trust, const std::wstring& native)
{
    const fw::UniqueFileHandle file(::CreateFileW(native.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                                  nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file)
        return {};
    CatalogHash hash(trust, file.Get());
    const std::wstring catalog = hash.CatalogFile();
    if (catalog.empty())
        return {};
    const std::wstring tag = hash.Tag();
    WINTRUST_CATALOG_INFO info{};
    info.cbStruct = sizeof(info);
    info.pcwszCatalogFilePath = catalog.c_str();
    info.pcwszMemberTag = tag.c_str();
    info.pcwszMemberFilePath = native.c_str();
    info.hMemberFile = file.Get();
    info.pbCalculatedFileHash = hash.Bytes();
    info.cbCalculatedFileHash = hash.Size();
    const TrustVerification verification(trust, info);
    return Verdict(trust, verification, catalog);
}

// Whether this system's catalogs can be asked: where it keeps none, a file
// without a signature of its own costs no library. Wine's catalog lookup
// cannot read a catalog's members and then reads memory it never set, so a
// single catalog in its folder (a driver package puts one there) would end
// the program: under Wine none are asked.
bool SystemReadsCatalogs()
{
    if (fw::RunsOnWine())
        return false;
    const std::wstring folder = fw::SystemFolderPath();
    if (folder.empty())
        return false;
    WIN32_FIND_DATAW found;
    const fw::UniqueFindHandle search(
        ::FindFirstFileW((folder + L"\\CatRoot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}\\*.cat").c_str(), &found));
    return static_cast<bool>(search);
}

// A file without a signature of its own: Windows signs its own programs
// through the system's catalogs.
Signature WithoutEmbeddedSignature(const std::shared_ptr<const TrustLibraries>& loaded, const std::wstring& native)
{
    if (TestCatalogLookup())
        return TestCatalogLookup()(native);
    if (!SystemReadsCatalogs())
        return {};
    const std::shared_ptr<const TrustLibraries> trust = loaded ? loaded : TrustLibraries::Acquire();
    return trust ? CatalogSignature(*trust, native) : Signature{};
}

} // namespace

bool SignedByWindows(const Signature& signature)
{
    return signature.state == SignatureState::Verified &&
           (signature.signer == L"Microsoft Windows" || signature.signer == L"Microsoft Windows Publisher");
}

void SetCatalogLookupForTesting(std::function<Signature(const std::wstring& path)> lookup)
{
    TestCatalogLookup() = std::move(lookup);
}

Signature CheckSignature(const std::wstring& path)
{
    const std::wstring native = NativeFilePath(path);
    if (native.empty())
        return {};
    // A PE file without a certificate table carries no signature: nothing
    // to load to say so, unless the system's catalogs may list it.
    if (ReadCertificateTable(native) == CertificateTable::Absent)
        return WithoutEmbeddedSignature(nullptr, native);
    const std::shared_ptr<const TrustLibraries> trust = TrustLibraries::Acquire();
    if (!trust)
        return {};
    const TrustVerification verification(*trust, native);
    const LONG status = verification.Status();
    if (status == TRUST_E_NOSIGNATURE || status == TRUST_E_SUBJECT_FORM_UNKNOWN || status == TRUST_E_PROVIDER_UNKNOWN)
        return WithoutEmbeddedSignature(trust, native);
    return Verdict(*trust, verification, native);
}

FileDetails ExamineFile(const std::wstring& path)
{
    FileDetails details;
    details.stamp = ReadFileStamp(path);
    if (!details.stamp.exists)
        return details;
    {
        const StartupWorkTimer timer("details: version resource");
        details.companyName = ReadCompanyName(path);
    }
    const StartupWorkTimer timer("details: signature");
    details.signature = CheckSignature(path);
    return details;
}

std::wstring PublisherText(const FileDetails& details)
{
    if (!details.stamp.exists)
        return L"(File not found)";
    const bool signedFile = details.signature.state != SignatureState::Unsigned;
    std::wstring name = signedFile ? details.signature.signer : details.companyName;
    for (wchar_t& c : name) {
        if (c < L' ' || c == 0x7F)
            c = L' ';
    }
    const std::size_t first = name.find_first_not_of(L' ');
    name = first == std::wstring::npos ? std::wstring() : name.substr(first, name.find_last_not_of(L' ') - first + 1);
    const wchar_t* prefix = details.signature.state == SignatureState::Verified ? L"(Verified)" : L"(Not verified)";
    return name.empty() ? prefix : prefix + (L" " + name);
}
