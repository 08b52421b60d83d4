// What is read from a file, with signed files made for this run: signed by an
// authority the test prefix trusts, by one it does not, changed after
// signing; an unsigned file with a version resource; no file at all.

#include "pages/startup/FileDetails.h"
#include "support/ScratchFolder.h"
#include "support/ProcessWindows.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

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
