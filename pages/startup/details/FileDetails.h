#pragma once
// What the start-up page shows about a program file: whether it is there,
// who made it by its own account (its version resource) and who signed it
// (its Authenticode signature, checked against the trusted roots). The file
// is only read: never started, never loaded as code, and no certificate
// check waits on the network.

#include <functional>
#include <string>

// Enough to tell that a file changed: its size and last-write time.
struct FileStamp {
    bool exists = false;
    unsigned long long size = 0;
    unsigned long long lastWrite = 0; // FILETIME as one number
};

inline bool operator==(const FileStamp& a, const FileStamp& b)
{
    return a.exists == b.exists && a.size == b.size && a.lastWrite == b.lastWrite;
}
inline bool operator!=(const FileStamp& a, const FileStamp& b) { return !(a == b); }

enum class SignatureState {
    Unsigned,    // no signature, or a kind of file that cannot carry one
    Verified,    // the signature matches the file and chains to a trusted root
    NotVerified, // signed, but the signature or its chain does not hold
};

struct Signature {
    SignatureState state = SignatureState::Unsigned;
    std::wstring signer; // the signing certificate's name; empty when it cannot be read
};

struct FileDetails {
    FileStamp stamp;
    std::wstring companyName; // from the version resource; empty when there is none
    Signature signature;
};

// The stamp of the file at `path`; a folder or a device is no file.
FileStamp ReadFileStamp(const std::wstring& path);

// The CompanyName of the file's version resource: in its first translation,
// else in the same language or US English or the neutral language as Unicode
// or Windows-1252 text, since files often list one translation and store
// another. Empty when there is none.
std::wstring ReadCompanyName(const std::wstring& path);

// The file's Authenticode signature: its own, embedded; else, for a file
// without one, the signature of the system catalog that lists its hash, as
// Windows signs its own programs (looked up only where the system keeps
// catalogs, and not under Wine, which cannot read them). WinVerifyTrust
// checks that it matches the file; the signer's chain is checked again with
// the Authenticode chain policy, because WinVerifyTrust alone accepts some
// untrusted roots under Wine. No revocation check, no user interface,
// nothing fetched.
Signature CheckSignature(const std::wstring& path);

// Tests put their own catalog lookup in place of the system's; an empty one
// gives the system's back.
void SetCatalogLookupForTesting(std::function<Signature(const std::wstring& path)> lookup);

// Whether the signature is verified and Windows' own: Windows signs its
// programs as "Microsoft Windows", and the components it ships beside them as
// "Microsoft Windows Publisher". An unverified signature never counts,
// whatever name it carries.
bool SignedByWindows(const Signature& signature);

// The stamp and, for an existing file, its company name and signature.
FileDetails ExamineFile(const std::wstring& path);

// The Publisher text: "(Verified) " and the signer; "(Not verified) " and the
// signer for a signature that does not hold; "(Not verified) " and the
// company name for an unsigned file; "(Not verified)" alone when there is no
// name; "(File not found)" when there is no file. Control characters in the
// names become spaces, so the text stays on one line and in one column.
std::wstring PublisherText(const FileDetails& details);
