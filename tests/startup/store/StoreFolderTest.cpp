// The Startup folders: what is listed, and files moved into Quorvane's own
// folder and back.

#include "pages/startup/StartupApproved.h"
#include "pages/startup/StartupFolders.h"
#include "pages/startup/StartupMoves.h"
#include "pages/startup/StartupStore.h"
#include "support/RegistrySandbox.h"
#include "startup/StartupFolderSandbox.h"
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
                             [&](const StartupSource& source) { return source.location == location; });
    }
    std::vector<std::string> Listed() const
    {
        std::vector<std::string> texts;
        for (const StartupEntry& entry : ReadStartupEntries(m_sources))
            texts.push_back(std::string(m_sources[entry.source].location) + (entry.place == EntryPlace::Parked ? ", off: " : ": ")
                            + entry.value.name + " = " + entry.value.command + (entry.offForWindows ? " (off for Windows)" : ""));
        std::sort(texts.begin(), texts.end());
        return texts;
    }

    RegistrySandbox m_registry;
    StartupFolderSandbox m_folders;
    const std::vector<StartupSource> m_sources = StartupSources();
};

TEST_F(StartupFolderTest, ListsEveryFileWithWhatItStartsAndWhatWindowsSwitchedOff)
{
    const std::string user = m_folders.Path(CSIDL_STARTUP);
    const std::string common = m_folders.Path(CSIDL_COMMON_STARTUP);
    const std::string parked = ParkedFolderPath(Source("User Start-Up Folder"));
    ASSERT_TRUE(MakeShortcut(user + "\\Tool.lnk", "C:\\Program Files\\Tool\\tool.exe", "/tray"));
    ASSERT_TRUE(MakeShortcut(common + "\\Plain.lnk", "C:\\plain.exe", ""));
    WriteFileText(user + "\\script.cmd", "@echo off");
    WriteFileText(user + "\\desktop.ini", "[.ShellClassInfo]");
    ::CreateDirectoryA((user + "\\folder").c_str(), nullptr);
    ASSERT_EQ(SHCreateDirectoryExA(nullptr, parked.c_str(), nullptr), ERROR_SUCCESS);
    WriteFileText(parked + "\\old.cmd", "old");
    WriteStored(HKEY_CURRENT_USER, kApprovedFolderKeyPath, "SCRIPT.CMD", kWindowsOff);

    EXPECT_EQ(Listed(), (std::vector<std::string>{
                            "All Users Start-Up Folder: Plain.lnk = C:\\plain.exe",
                            "User Start-Up Folder, off: old.cmd = " + parked + "\\old.cmd",
                            "User Start-Up Folder: Tool.lnk = \"C:\\Program Files\\Tool\\tool.exe\" /tray",
                            "User Start-Up Folder: script.cmd = " + user + "\\script.cmd (off for Windows)",
                        }));
}

TEST_F(StartupFolderTest, AMovedFileShowsItsNewPathAndOneThatIsGoneIsNotMoved)
{
    const StartupSource& source = Source("All Users Start-Up Folder");
    const std::string startup = StartupFolderPath(source) + "\\app.cmd";
    const std::string parked = ParkedFolderPath(source) + "\\app.cmd";
    WriteFileText(startup, "app");

    MoveResult result = SwitchEntry(source, EntryPlace::Startup, "app.cmd", false);
    EXPECT_EQ(result.outcome, MoveOutcome::Moved);
    EXPECT_EQ(result.command, parked);
    result = SwitchEntry(source, EntryPlace::Parked, "app.cmd", true);
    EXPECT_EQ(result.outcome, MoveOutcome::Moved);
    EXPECT_EQ(result.command, startup);

    ::DeleteFileA(startup.c_str());
    EXPECT_EQ(SwitchEntry(source, EntryPlace::Startup, "app.cmd", false).outcome, MoveOutcome::Gone);
    EXPECT_FALSE(ReadFileText(parked));
}
} // namespace
