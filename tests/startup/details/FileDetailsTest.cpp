// What is read from a file, with signed files made for this run: signed by an
// authority the test prefix trusts, by one it does not, changed after
// signing; an unsigned file with a version resource; no file at all. And
// what it costs: the signature check's libraries only for files that carry
// a signature.

#include "pages/startup/details/CertificateTable.h"
#include "pages/startup/details/FileDetails.h"
#include "pages/startup/details/TrustLibraries.h"
#include "support/ScratchFolder.h"
#include "support/ProcessWindows.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {
FileDetails Unsigned(const wchar_t* company)
{
    FileDetails details;
    details.stamp.exists = true;
    details.companyName = company;
    return details;
}

FileDetails Signed(SignatureState state, const wchar_t* signer)
{
    FileDetails details = Unsigned(L"Claimed Maker");
    details.signature = {state, signer};
    return details;
}
} // namespace

TEST(FileDetails, PublisherTellsWhoSignedOrWhoTheFileClaimsMadeIt)
{
    // The build puts the test tools and the signed files beside this program.
    const std::wstring folder = ThisProgramDirectoryW();
    const std::wstring fixtures = folder + L"signed-fixtures\\";
    ASSERT_NE(::GetFileAttributesW((fixtures + L"trusted.exe").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the signed fixtures are made by the test startup_details_make_fixtures";
    ScratchFolder scratch;
    const std::wstring text = scratch.Write(L"notes.txt", "just text");

    const struct {
        std::wstring path;
        const wchar_t* publisher;
    } cases[] = {
        {fixtures + L"trusted.exe", L"(Verified) Quorvane Test Signer"},
        {fixtures + L"untrusted.exe", L"(Not verified) Unknown Test Signer"},
        {fixtures + L"changed.exe", L"(Not verified) Quorvane Test Signer"},
        {folder + L"versioned_tool.exe", L"(Not verified) Versioned Tool Makers"},
        {text, L"(Not verified)"},
        {scratch.Path() + L"\\missing.exe", L"(File not found)"},
        {scratch.Path(), L"(File not found)"}, // a folder is no program file
    };
    for (const auto& c : cases)
        EXPECT_EQ(PublisherText(ExamineFile(c.path)), c.publisher) << c.path;

    // The signed copies keep the resource they were made from.
    EXPECT_EQ(ReadCompanyName(fixtures + L"trusted.exe"), L"Versioned Tool Makers");
    const FileStamp stamp = ReadFileStamp(text);
    EXPECT_TRUE(stamp.exists);
    EXPECT_EQ(stamp.size, 9u);
    EXPECT_NE(stamp.lastWrite, 0u);
}

TEST(FileDetails, PublisherTextFollowsTheSignatureThenTheCompany)
{
    FileDetails missing = Signed(SignatureState::Verified, L"Signer");
    missing.stamp.exists = false;
    const struct {
        FileDetails details;
        const wchar_t* publisher;
    } cases[] = {
        {Signed(SignatureState::Verified, L"Signer Ltd"), L"(Verified) Signer Ltd"},
        {Signed(SignatureState::NotVerified, L"Signer Ltd"), L"(Not verified) Signer Ltd"},
        {Signed(SignatureState::NotVerified, L""), L"(Not verified)"},
        {Unsigned(L"Maker\tInc\r\n"), L"(Not verified) Maker Inc"},
        {Unsigned(L" \t "), L"(Not verified)"},
        {Unsigned(L""), L"(Not verified)"},
        {missing, L"(File not found)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PublisherText(c.details), c.publisher);
}

namespace {
// The headers of a PE file as far as the certificate table: a DOS header
// pointing to PE headers at 0x80, with `directories` data directories and
// the certificate table's offset and size.
std::vector<std::uint8_t> PeHeaders(std::uint16_t magic, std::uint32_t directories, std::uint32_t tableOffset,
                                    std::uint32_t tableSize)
{
    const bool pe64 = magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC;
    const std::size_t pe = 0x80, optional = pe + 24, directoriesAt = optional + (pe64 ? 112 : 96);
    const std::uint16_t optionalSize = static_cast<std::uint16_t>(directoriesAt - optional + 8 * directories);
    std::vector<std::uint8_t> bytes(optional + optionalSize, 0);
    auto put = [&](std::size_t at, const void* value, std::size_t size) { std::memcpy(&bytes[at], value, size); };
    put(0, "MZ", 2);
    const std::uint32_t peAt = pe;
    put(0x3C, &peAt, 4);
    put(pe, "PE\0\0", 4);
    put(pe + 4 + 16, &optionalSize, 2);
    put(optional, &magic, 2);
    put(optional + (pe64 ? 108 : 92), &directories, 4);
    if (directories > IMAGE_DIRECTORY_ENTRY_SECURITY) {
        put(directoriesAt + 8 * IMAGE_DIRECTORY_ENTRY_SECURITY, &tableOffset, 4);
        put(directoriesAt + 8 * IMAGE_DIRECTORY_ENTRY_SECURITY + 4, &tableSize, 4);
    }
    return bytes;
}
} // namespace

TEST(FileDetails, CertificateTableIsReadFromThePeHeadersAlone)
{
    constexpr std::uint16_t pe32 = IMAGE_NT_OPTIONAL_HDR32_MAGIC, pe64 = IMAGE_NT_OPTIONAL_HDR64_MAGIC;
    std::vector<std::uint8_t> notPe = PeHeaders(pe64, 16, 0, 0);
    notPe[0x80] = 'N';
    std::vector<std::uint8_t> farHeaders = PeHeaders(pe64, 16, 0, 0);
    const std::uint32_t tooFar = 1u << 20;
    std::memcpy(&farHeaders[0x3C], &tooFar, 4);
    std::vector<std::uint8_t> cut = PeHeaders(pe64, 16, 0x400, 0x200);
    cut.resize(0x100);
    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
        CertificateTable table;
    } cases[] = {
        {"64-bit, no table", PeHeaders(pe64, 16, 0, 0), CertificateTable::Absent},
        {"64-bit, a table", PeHeaders(pe64, 16, 0x400, 0x200), CertificateTable::Present},
        {"32-bit, a table", PeHeaders(pe32, 16, 0x400, 0x200), CertificateTable::Present},
        {"32-bit, no table", PeHeaders(pe32, 16, 0, 0), CertificateTable::Absent},
        {"too few directories for one", PeHeaders(pe64, 4, 0x400, 0x200), CertificateTable::Absent},
        {"unknown optional header", PeHeaders(0x107, 16, 0x400, 0x200), CertificateTable::Unknown},
        {"no PE signature", notPe, CertificateTable::Unknown},
        {"headers past any loadable offset", farHeaders, CertificateTable::Unknown},
        {"cut short before the directories", cut, CertificateTable::Unknown},
        {"text", {'h', 'e', 'l', 'l', 'o'}, CertificateTable::Unknown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CertificateTableOf(c.bytes.data(), c.bytes.size()), c.table) << c.what;

    // From files: the headers are read as far as they go.
    ScratchFolder scratch;
    std::vector<std::uint8_t> padded = PeHeaders(pe64, 16, 0x400, 0x200);
    const std::uint32_t deep = 6000; // beyond the first read
    std::vector<std::uint8_t> deepHeaders(deep, 0);
    std::copy(padded.begin(), padded.begin() + 0x40, deepHeaders.begin());
    std::memcpy(&deepHeaders[0x3C], &deep, 4);
    deepHeaders.insert(deepHeaders.end(), padded.begin() + 0x80, padded.end());
    const std::wstring fixtures = ThisProgramDirectoryW() + L"signed-fixtures\\";
    EXPECT_EQ(ReadCertificateTable(scratch.Write(L"deep.exe", std::string(deepHeaders.begin(), deepHeaders.end()))),
              CertificateTable::Present);
    EXPECT_EQ(ReadCertificateTable(ThisProgramDirectoryW() + L"versioned_tool.exe"), CertificateTable::Absent);
    EXPECT_EQ(ReadCertificateTable(fixtures + L"trusted.exe"), CertificateTable::Present);
    EXPECT_EQ(ReadCertificateTable(scratch.Path() + L"\\missing.exe"), CertificateTable::Unknown);
}

TEST(FileDetails, SignatureLibrariesAreLoadedForSignedFilesOnlyAndLetGoAfter)
{
    const std::wstring fixtures = ThisProgramDirectoryW() + L"signed-fixtures\\";
    ExamineFile(ThisProgramDirectoryW() + L"versioned_tool.exe");
    EXPECT_FALSE(TrustLibraries::Loaded()) << "an unsigned program needs no signature check";
    EXPECT_EQ(CheckSignature(fixtures + L"trusted.exe").state, SignatureState::Verified);
    EXPECT_FALSE(TrustLibraries::Loaded());
    {
        const TrustLibraries::Keeper keep;
        EXPECT_EQ(CheckSignature(fixtures + L"untrusted.exe").state, SignatureState::NotVerified);
        EXPECT_TRUE(TrustLibraries::Loaded()) << "kept for the next check";
        EXPECT_EQ(CheckSignature(fixtures + L"trusted.exe").signer, L"Quorvane Test Signer");
    }
    EXPECT_FALSE(TrustLibraries::Loaded());
}

TEST(FileDetails, AFileWithoutItsOwnSignatureIsLookedUpInTheSystemsCatalogs)
{
    const std::wstring folder = ThisProgramDirectoryW();
    const std::wstring fixtures = folder + L"signed-fixtures\\";
    std::vector<std::wstring> asked;
    SetCatalogLookupForTesting([&](const std::wstring& path) {
        asked.push_back(path);
        const bool windowsOwn = path.size() >= 18 && path.compare(path.size() - 18, 18, L"versioned_tool.exe") == 0;
        return windowsOwn ? Signature{SignatureState::Verified, L"Microsoft Windows"} : Signature{};
    });
    EXPECT_EQ(PublisherText(ExamineFile(folder + L"versioned_tool.exe")), L"(Verified) Microsoft Windows");
    EXPECT_EQ(PublisherText(ExamineFile(fixtures + L"trusted.exe")), L"(Verified) Quorvane Test Signer");
    EXPECT_EQ(PublisherText(ExamineFile(fixtures + L"untrusted.exe")), L"(Not verified) Unknown Test Signer");
    SetCatalogLookupForTesting({});
    EXPECT_EQ(asked.size(), 1u) << "a file with a signature of its own is not looked up";

    // The system's own lookup, with a catalog in the system's folder: Wine
    // cannot read catalogs and ends a program that asks it to, so under Wine
    // none is asked, and the file is unsigned without a library loaded.
    wchar_t system[MAX_PATH];
    ::GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring catalogs = std::wstring(system) + L"\\CatRoot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}";
    ::CreateDirectoryW((std::wstring(system) + L"\\CatRoot").c_str(), nullptr);
    ::CreateDirectoryW(catalogs.c_str(), nullptr);
    const std::wstring broken = catalogs + L"\\quorvane-test-broken.cat";
    {
        const HANDLE file = ::CreateFileW(broken.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        ::WriteFile(file, "not a catalog", 13, &written, nullptr);
        ::CloseHandle(file);
    }
    const Signature looked = CheckSignature(folder + L"versioned_tool.exe");
    ::DeleteFileW(broken.c_str());
    EXPECT_EQ(looked.state, SignatureState::Unsigned);
    EXPECT_FALSE(TrustLibraries::Loaded());
}
