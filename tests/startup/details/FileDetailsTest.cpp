// What is read from a file, with signed files made for this run: signed by an
// authority the test prefix trusts, by one it does not, changed after
// signing; an unsigned file with a version resource; no file at all.

#include "pages/startup/FileDetails.h"
#include "startup/details/ScratchFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {
std::string Narrow(const std::wstring& text)
{
    std::string narrow;
    for (const wchar_t c : text)
        narrow += c < 0x80 ? static_cast<char>(c) : '?';
    return narrow;
}

// The folder of this test program, where the build puts the test tools and
// the fixtures.
std::wstring ProgramFolder()
{
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring program(path, length);
    return program.substr(0, program.rfind(L'\\'));
}

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
    const std::wstring folder = ProgramFolder();
    const std::wstring fixtures = folder + L"\\signed-fixtures\\";
    ASSERT_NE(::GetFileAttributesW((fixtures + L"trusted.exe").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the signed fixtures are made by the test startup_details_make_fixtures";
    ScratchFolder scratch;
    const std::wstring text = scratch.Write(L"notes.txt", "just text");

    const struct {
        std::wstring path;
        const char* publisher;
    } cases[] = {
        {fixtures + L"trusted.exe", "(Verified) Quorvane Test Signer"},
        {fixtures + L"untrusted.exe", "(Not verified) Unknown Test Signer"},
        {fixtures + L"changed.exe", "(Not verified) Quorvane Test Signer"},
        {folder + L"\\versioned_tool.exe", "(Not verified) Versioned Tool Makers"},
        {text, "(Not verified)"},
        {scratch.Path() + L"\\missing.exe", "(File not found)"},
        {scratch.Path(), "(File not found)"}, // a folder is no program file
    };
    for (const auto& c : cases)
        EXPECT_EQ(Narrow(PublisherText(ExamineFile(c.path))), c.publisher) << Narrow(c.path);

    // The signed copies keep the resource they were made from.
    EXPECT_EQ(Narrow(ReadCompanyName(fixtures + L"trusted.exe")), "Versioned Tool Makers");
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
        const char* publisher;
    } cases[] = {
        {Signed(SignatureState::Verified, L"Signer Ltd"), "(Verified) Signer Ltd"},
        {Signed(SignatureState::NotVerified, L"Signer Ltd"), "(Not verified) Signer Ltd"},
        {Signed(SignatureState::NotVerified, L""), "(Not verified)"},
        {Unsigned(L"Maker\tInc\r\n"), "(Not verified) Maker Inc"},
        {Unsigned(L" \t "), "(Not verified)"},
        {Unsigned(L""), "(Not verified)"},
        {missing, "(File not found)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Narrow(PublisherText(c.details)), c.publisher);
}
