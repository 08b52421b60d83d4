// The Startup folders: what is listed, in any script, and files moved into
// Quorvane's own folder and back without ever replacing a file.

#include "pages/startup/store/StartupApproved.h"
#include "pages/startup/store/StartupFolders.h"
#include "pages/startup/store/StartupMoves.h"
#include "pages/startup/store/StartupStore.h"
#include "support/RegistrySandbox.h"
#include "startup/StartupFolderSandbox.h"
#include "startup/store/ForwardingCalls.h"
#include "startup/store/StoredValue.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>

namespace {
class StartupFolderTest : public testing::Test {
protected:
    const StartupSource& Source(const std::string& location) const
    {
        return *std::find_if(m_sources.begin(), m_sources.end(),
                             [&](const StartupSource& source) { return U8(source.location) == location; });
    }
    std::vector<std::string> Listed() const
    {
        std::vector<std::string> texts;
        for (const StartupEntry& entry : ReadStartupEntries(m_sources))
            texts.push_back(U8(m_sources[entry.source].location) + (entry.place == EntryPlace::Parked ? ", off: " : ": ")
                            + U8(entry.value.name) + " = " + U8(entry.value.command)
                            + (entry.offForWindows ? " (off for Windows)" : ""));
        std::sort(texts.begin(), texts.end());
        return texts;
    }

    RegistrySandbox m_registry;
    StartupFolderSandbox m_folders;
    const std::vector<StartupSource> m_sources = StartupSources();
};

TEST_F(StartupFolderTest, ListsEveryFileInAnyScriptWithWhatItStartsAndWhatWindowsSwitchedOff)
{
    const std::string user = m_folders.Path(CSIDL_STARTUP);
    const std::string common = m_folders.Path(CSIDL_COMMON_STARTUP);
    const std::string parked = U8(ParkedFolderPath(Source("User Start-Up Folder")));
    ASSERT_TRUE(MakeShortcut(user + "\\Tool.lnk", "C:\\Program Files\\Tool\\tool.exe", "/tray"));
    ASSERT_TRUE(MakeShortcut(common + "\\Синхронизация.lnk", "C:\\Анна\\sync.exe", "--同步"));
    WriteFileText(user + "\\script.cmd", "@echo off");
    WriteFileText(user + "\\\xF0\x9F\x98\x80 同步.cmd", "@echo off");
    WriteFileText(user + "\\desktop.ini", "[.ShellClassInfo]");
    ::CreateDirectoryW(W(user + "\\folder").c_str(), nullptr);
    ASSERT_EQ(SHCreateDirectoryExW(nullptr, W(parked).c_str(), nullptr), ERROR_SUCCESS);
    WriteFileText(parked + "\\old.cmd", "old");
    WriteStored(HKEY_CURRENT_USER, kApprovedFolderKeyPath, "SCRIPT.CMD", kWindowsOff);

    EXPECT_EQ(Listed(), (std::vector<std::string>{
                            "All Users Start-Up Folder: Синхронизация.lnk = C:\\Анна\\sync.exe --同步",
                            "User Start-Up Folder, off: old.cmd = " + parked + "\\old.cmd",
                            "User Start-Up Folder: Tool.lnk = \"C:\\Program Files\\Tool\\tool.exe\" /tray",
                            "User Start-Up Folder: script.cmd = " + user + "\\script.cmd (off for Windows)",
                            "User Start-Up Folder: \xF0\x9F\x98\x80 同步.cmd = " + user + "\\\xF0\x9F\x98\x80 同步.cmd",
                        }));
}

TEST_F(StartupFolderTest, AMovedFileShowsItsNewPathAndOneThatIsGoneIsNotMoved)
{
    const StartupSource& source = Source("All Users Start-Up Folder");
    const std::wstring name = W("Анна.cmd");
    const std::wstring startup = StartupFolderPath(source) + L"\\" + name;
    const std::wstring parked = ParkedFolderPath(source) + L"\\" + name;
    WriteFileText(U8(startup), "app");

    MoveResult result = SwitchEntry(source, EntryPlace::Startup, name, false);
    EXPECT_EQ(result.outcome, MoveOutcome::Moved);
    EXPECT_EQ(result.command, parked);
    EXPECT_EQ(ReadFileText(U8(parked)), "app");
    result = SwitchEntry(source, EntryPlace::Parked, name, true);
    EXPECT_EQ(result.outcome, MoveOutcome::Moved);
    EXPECT_EQ(result.command, startup);
    EXPECT_EQ(ReadFileText(U8(startup)), "app");

    ::DeleteFileW(startup.c_str());
    EXPECT_EQ(SwitchEntry(source, EntryPlace::Startup, name, false).outcome, MoveOutcome::Gone);
    EXPECT_FALSE(ReadFileText(U8(parked)));
}

TEST_F(StartupFolderTest, AFileOfTheSameNameIsNeverReplacedInEitherDirection)
{
    const struct {
        const char* what;
        bool on;
        const char* atTarget;
        MoveOutcome outcome;
        const char* sourceAfter; // null: gone
        bool offForWindows;
    } cases[] = {
        {"the same file switched off before", false, "app", MoveOutcome::Moved, nullptr, false},
        {"another file switched off before", false, "older app", MoveOutcome::Moved, "app", true},
        {"the same file back in the folder", true, "app", MoveOutcome::Moved, nullptr, false},
        {"another file in the folder", true, "newer app", MoveOutcome::NameTaken, "app", false},
    };
    const StartupSource& source = Source("User Start-Up Folder");
    const std::string startup = U8(StartupFolderPath(source)) + "\\dup.cmd";
    const std::string parked = U8(ParkedFolderPath(source)) + "\\dup.cmd";
    ASSERT_EQ(SHCreateDirectoryExW(nullptr, ParkedFolderPath(source).c_str(), nullptr), ERROR_SUCCESS);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string& from = c.on ? parked : startup;
        const std::string& to = c.on ? startup : parked;
        WriteFileText(from, "app");
        WriteFileText(to, c.atTarget);

        const ForwardingCalls windows10;
        const MoveResult result = SwitchEntry(source, c.on ? EntryPlace::Parked : EntryPlace::Startup, L"dup.cmd", c.on);

        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(ReadFileText(to), c.atTarget) << "what stood at the target is untouched";
        EXPECT_EQ(ReadFileText(from), c.sourceAfter ? std::optional<std::string>(c.sourceAfter) : std::nullopt);
        EXPECT_EQ(IsWindowsOffSwitch(ReadStored(HKEY_CURRENT_USER, kApprovedFolderKeyPath, "dup.cmd", 0)),
                  c.offForWindows);
        ::DeleteFileW(W(startup).c_str());
        ::DeleteFileW(W(parked).c_str());
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kApprovedFolderKeyPath);
    }
}
} // namespace
