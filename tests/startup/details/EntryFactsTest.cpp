// What a saved list tells of each entry beyond the window: its program
// file's SHA-256 and the time the entry last changed.

#include "pages/startup/details/EntryTime.h"
#include "pages/startup/details/FileHash.h"
#include "support/RegistrySandbox.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

std::uint64_t Ticks(const FILETIME& time)
{
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

std::uint64_t Ticks(const SYSTEMTIME& utc)
{
    FILETIME time{};
    ::SystemTimeToFileTime(&utc, &time);
    return Ticks(time);
}

// Known digests: the standard's own examples, and a million bytes read in
// many pieces.
TEST(FileHashTest, HashesBytesAndFilesAsTheStandardDoes)
{
    const FileHasher hasher;
    ASSERT_TRUE(hasher.Available());
    EXPECT_EQ(hasher.Sha256Of("abc", 3), L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(hasher.Sha256Of("", 0), L"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");

    ScratchFolder folder;
    EXPECT_EQ(hasher.Sha256OfFile(folder.Write(L"Программа.exe", std::string(1000000, 'a'))),
              L"cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    EXPECT_EQ(hasher.Sha256OfFile(folder.Write(L"empty.exe", "")),
              L"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    for (const std::wstring& unreadable : {folder.Path() + L"\\missing.exe", folder.Path(), std::wstring(L"NUL"),
                                           std::wstring()})
        EXPECT_EQ(hasher.Sha256OfFile(unreadable), L"") << unreadable;
}

TEST(EntryTimeTest, TellsWhenTheKeyOrFileLastChangedInUtc)
{
    EXPECT_EQ(UtcTimeText(0), L"");
    EXPECT_EQ(UtcTimeText(Ticks({2026, 12, 2, 8, 23, 25, 55, 999})), L"2026-12-08T23:25:55Z");
    EXPECT_EQ(UtcTimeText(Ticks({1601, 1, 1, 1, 0, 0, 1, 0})), L"1601-01-01T00:00:01Z");

    ScratchFolder folder;
    const std::wstring file = folder.Write(L"Start-Up\\tool.lnk");
    const HANDLE handle = ::CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    const std::uint64_t set = Ticks({2020, 2, 6, 29, 12, 34, 56, 0});
    const FILETIME written{static_cast<DWORD>(set), static_cast<DWORD>(set >> 32)};
    ASSERT_TRUE(::SetFileTime(handle, nullptr, nullptr, &written));
    ::CloseHandle(handle);
    EXPECT_EQ(UtcTimeText(LastChangeTime({nullptr, 0, {}, file})), L"2020-02-29T12:34:56Z");
    EXPECT_EQ(LastChangeTime({nullptr, 0, {}, folder.Path() + L"\\gone.lnk"}), 0u);

    // A key's last write is kept by the registry alone: it is the time the
    // test wrote it, to within the test's run.
    RegistrySandbox sandbox;
    FILETIME before{}, after{};
    ::GetSystemTimeAsFileTime(&before);
    WriteStringValue(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Tool", "t.exe");
    ::GetSystemTimeAsFileTime(&after);
    const std::uint64_t key = LastChangeTime(
        {HKEY_CURRENT_USER, KEY_WOW64_64KEY, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", {}});
    EXPECT_GE(key + 10000000, Ticks(before)); // the registry may keep it to the second
    EXPECT_LE(key, Ticks(after));
    EXPECT_EQ(LastChangeTime({HKEY_CURRENT_USER, 0, L"Software\\Missing", {}}), 0u);
    EXPECT_EQ(LastChangeTime({}), 0u);
}

} // namespace
