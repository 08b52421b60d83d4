// The start-up page follows the machine: what other programs change while it
// is open shows up without a click, and F5 reads everything again.

#include "startup/page/StartupPageFixture.h"

#include "app/MonitorApp.h"
#include "pages/startup/page/StartupDlg.h"
#include "pages/startup/store/StartupFolders.h"
#include "pages/startup/store/StartupStore.h"
#include "pages/startup/store/TaskScheduler.h"
#include "res/resource.h"
#include "startup/store/StoredValue.h"
#include "support/MessagePump.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

const char kUser[] = "User Start-Up";

using StartupRefreshTest = StartupPageFixture;

// The rows by program, whatever order the registry enumerates values in.
std::vector<ShownRow> ByProgram(std::vector<ShownRow> rows)
{
    std::sort(rows.begin(), rows.end(), [](const ShownRow& a, const ShownRow& b) { return a.program < b.program; });
    return rows;
}

TEST_F(StartupRefreshTest, ChangesByOtherProgramsShowUpWithoutAClickAndUnappliedBoxesStay)
{
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "kept", Sz("kept.exe"));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "edited", Sz("v1.exe"));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "gone", Sz("gone.exe"));
    WriteStored(HKEY_LOCAL_MACHINE, kRunKeyPath, "machine", Sz("machine.exe"));
    StartApp();
    Tick(RowOf("kept", kUser), false);

    const std::string late = m_folders->Path(CSIDL_STARTUP) + "\\late.cmd";
    std::thread other([&] {
        WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "added", Sz("added.exe"));
        WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "edited", Sz("v2.exe"));
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKeyPath, L"gone");
        WriteFileText(late, "late");
    });
    other.join();
    const std::vector<ShownRow> expected = {{"added", kUser, "added.exe", true},
                                            {"edited", kUser, "v2.exe", true},
                                            {"kept", kUser, "kept.exe", false},
                                            {"late.cmd", "User Start-Up Folder", late, true},
                                            {"machine", "System Start-Up", "machine.exe", true}};
    EXPECT_TRUE(PumpUntil([&] { return ByProgram(Rows()) == expected; }, 10000)) << testing::PrintToString(Rows());

    EXPECT_TRUE(Enabled(IDC_APPLY)) << "the unapplied box of kept stays";
    EXPECT_FALSE(IsNewRow(RowOf("kept", kUser)) || IsNewRow(RowOf("edited", kUser)));
    EXPECT_TRUE(IsNewRow(RowOf("added", kUser)) && IsNewRow(RowOf("late.cmd", "User Start-Up Folder")));
    Press(IDC_APPLY);
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(ReadStored(HKEY_CURRENT_USER, kDisabledKeyPath, "kept"), Sz("kept.exe"));
    // Its own moves are read back too, and change nothing that is shown.
    PumpFor(300);
    EXPECT_EQ(ByProgram(Rows()), expected);
    EXPECT_TRUE(IsNewRow(RowOf("added", kUser))) << "new until the program ends";
}

TEST_F(StartupRefreshTest, StartupFoldersTheUserMovesAreFollowedWhileTheProgramRuns)
{
    // The Startup folders where the user's Explorer settings put them; only
    // the profile folders stay scratch ones.
    SetKnownFolderPathsForTesting([this](int csidl) {
        return csidl == CSIDL_STARTUP || csidl == CSIDL_COMMON_STARTUP ? std::wstring() : W(m_folders->Path(csidl));
    });
    const std::string first = m_folders->Path(CSIDL_STARTUP);
    const std::string moved = m_folders->Path(CSIDL_APPDATA) + "\\Автозагрузка";
    const std::string common = m_folders->Path(CSIDL_COMMON_STARTUP);
    ::CreateDirectoryW(W(moved).c_str(), nullptr);
    WriteStored(HKEY_CURRENT_USER, kUserShellFoldersKeyPath, "Startup", Sz(first, REG_EXPAND_SZ));
    WriteStored(HKEY_LOCAL_MACHINE, kUserShellFoldersKeyPath, "Common Startup", Sz(common, REG_EXPAND_SZ),
                kNativeView);
    WriteFileText(first + "\\one.cmd", "1");
    WriteFileText(moved + "\\two.cmd", "2");
    StartApp();
    const char* folder = "User Start-Up Folder";
    EXPECT_EQ(Rows(), (std::vector<ShownRow>{{"one.cmd", folder, first + "\\one.cmd", true}}));

    WriteStored(HKEY_CURRENT_USER, kUserShellFoldersKeyPath, "Startup", Sz(moved, REG_EXPAND_SZ));
    EXPECT_TRUE(PumpUntil([&] { return Rows() == std::vector<ShownRow>{{"two.cmd", folder, moved + "\\two.cmd", true}}; },
                          10000))
        << testing::PrintToString(Rows());
    // The new folder is the one watched now.
    WriteFileText(moved + "\\three.cmd", "3");
    EXPECT_TRUE(PumpUntil([&] { return Rows().size() == 2; }, 10000)) << testing::PrintToString(Rows());
}

TEST_F(StartupRefreshTest, F5ReadsEverythingAgain)
{
    StartApp();
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "fresh", Sz("fresh.exe"));
    MSG key{List(), WM_KEYDOWN, VK_F5, 0, 0, {}};
    EXPECT_TRUE(theApp.PreTranslateMessage(&key));
    // Read at once, before any notice of the change was handled.
    EXPECT_EQ(Rows(), (std::vector<ShownRow>{{"fresh", kUser, "fresh.exe", true}}));
    EXPECT_TRUE(IsNewRow(0));
}

// A Task Scheduler with one task started at log-on, which notes the thread
// that lists it, and how often it is listed.
class OneTaskScheduler final : public TaskScheduler {
public:
    OneTaskScheduler() { SetTaskSchedulerForTesting(this); }
    ~OneTaskScheduler() override { SetTaskSchedulerForTesting(nullptr); }
    std::optional<std::vector<ScheduledTask>> Tasks() override
    {
        listedOn = ::GetCurrentThreadId();
        ++listings;
        const std::string xml = "<?xml version=\"1.0\"?><Task version=\"1.2\" "
                                "xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\"><Triggers>"
                                "<LogonTrigger/></Triggers><Actions><Exec><Command>C:\\agent.exe</Command></Exec>"
                                "</Actions></Task>";
        return std::vector<ScheduledTask>{{L"\\Maker\\Agent", {xml.begin(), xml.end()}}};
    }
    bool SetEnabled(const std::wstring&, bool) override { return false; }
    std::optional<bool> IsEnabled(const std::wstring&) override { return true; }
    std::atomic<DWORD> listedOn{0};
    std::atomic<int> listings{0};
};

TEST_F(StartupRefreshTest, WhatOtherProcessesAreAskedForIsReadOnTheSamplingWorkerOnceTheWindowIsDrawn)
{
    OneTaskScheduler scheduler;
    StartApp();
    EXPECT_EQ(Rows(), std::vector<ShownRow>{}) << "not read before the window is drawn";
    ASSERT_TRUE(PumpUntil([&] { return Page().DetailsComplete() && Rows().size() == 1; }, 10000));
    EXPECT_EQ(Rows()[0], (ShownRow{"\\Maker\\Agent", "Scheduled Task (Log-On)", "C:\\agent.exe", true}));
    EXPECT_NE(scheduler.listedOn, ::GetCurrentThreadId());
    EXPECT_EQ(scheduler.listings, 1) << "one listing for the log-on and the boot tasks";
    EXPECT_FALSE(IsNewRow(0)) << "a source's first reading marks nothing new";
}

} // namespace
