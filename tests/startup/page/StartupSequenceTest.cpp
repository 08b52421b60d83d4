// The start-up page under the sequences a user or Windows can make: answers
// that arrive while Apply's message box runs its loop, a switch that changes
// several rows, Save and Compare while services and tasks are still being
// read, a reading that fails, and comparisons that come and go.

#include "startup/page/StartupPageFixture.h"

#include "app/MonitorApp.h"
#include "framework/MessageBox.h"
#include "pages/startup/details/FileDetails.h"
#include "pages/startup/page/StartupDlg.h"
#include "pages/startup/store/StartupMoves.h"
#include "pages/startup/store/StartupStore.h"
#include "pages/startup/store/TaskScheduler.h"
#include "res/resource.h"
#include "startup/store/StoredValue.h"
#include "support/MessagePump.h"
#include "support/ProcessWindows.h"
#include "support/ScratchFolder.h"
#include "support/WideText.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <mutex>
#include <thread>

namespace {

using StartupSequenceTest = StartupPageFixture;

const char kUser[] = "User Start-Up";

std::string StatusLine(HWND page)
{
    char text[256] = {};
    ::GetDlgItemTextA(page, IDC_STARTUP_STATUS, text, sizeof(text));
    return text;
}

TEST_F(StartupSequenceTest, ApplyActsOnTheRowsTheUserChangedWhileDetailsArriveInItsMessageBox)
{
    const ScratchFolder folder;
    std::map<std::string, std::wstring> programs;
    for (const char* name : {"a win", "b gone", "c tool"}) {
        programs[name] = folder.Path() + L"\\" + W(name) + L".exe";
        ASSERT_TRUE(::CopyFileW((ThisProgramDirectoryW() + L"entry_stand_in.exe").c_str(), programs[name].c_str(),
                                FALSE));
        WriteStored(HKEY_CURRENT_USER, kRunKeyPath, name, Sz(U8(programs[name])));
    }
    // The details are held until Apply's message box is up; "a win" is then
    // verified as Windows' own and leaves the list, before the rows Apply
    // has not reached yet.
    std::atomic<bool> release{false};
    std::atomic<int> examined{0};
    SetCatalogLookupForTesting([&](const std::wstring& path) {
        while (!release)
            ::Sleep(5);
        ++examined;
        return path.find(L"a win") != std::wstring::npos ? Signature{SignatureState::Verified, L"Microsoft Windows"}
                                                        : Signature{SignatureState::NotVerified, L""};
    });
    fw::SetMessageBoxFunction([&](HWND owner, const char* text, const char* caption, UINT type) {
        m_messages.push_back({owner, text, caption ? caption : "", type});
        release = true;
        // The box's own loop delivers what comes meanwhile.
        PumpUntil([&] { return examined == 3; }, 10000);
        PumpFor(200);
        return IDOK;
    });
    StartApp();
    PumpFor(100);
    Tick(RowOf("b gone", kUser), false);
    Tick(RowOf("c tool", kUser), false);
    // Another program removes one entry just before Apply.
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKeyPath, L"b gone");
    Press(IDC_APPLY);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text, kEntryGoneMessage);

    ASSERT_TRUE(PumpUntil([&] { return Page().DetailsComplete(); }, 10000));
    PumpFor(100);
    EXPECT_EQ(Rows(), (std::vector<ShownRow>{{"c tool", kUser, U8(programs["c tool"]), false}}))
        << "the gone row left, the Windows row hidden after Apply, the changed row moved";
    EXPECT_EQ(ReadStored(HKEY_CURRENT_USER, kDisabledKeyPath, "c tool"), Sz(U8(programs["c tool"])));
    EXPECT_FALSE(ReadStored(HKEY_CURRENT_USER, kRunKeyPath, "c tool"));
    EXPECT_FALSE(Enabled(IDC_APPLY));
    SetCatalogLookupForTesting({});
}

std::string TaskXml(const std::string& triggers, const std::string& commands, bool enabled)
{
    std::string actions;
    for (std::size_t start = 0; start < commands.size();) {
        const std::size_t end = std::min(commands.find(';', start), commands.size());
        actions += "<Exec><Command>" + commands.substr(start, end - start) + "</Command></Exec>";
        start = end + 1;
    }
    return "<?xml version=\"1.0\"?><Task version=\"1.2\" "
           "xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\"><Triggers>"
           + triggers + "</Triggers><Settings>" + (enabled ? "" : "<Enabled>false</Enabled>")
           + "</Settings><Actions>" + actions + "</Actions></Task>";
}

// A Task Scheduler with the tests' tasks, each with its triggers and the
// programs of its actions, that keeps their states; a listing can be held
// back until released, or fail.
class TestTasks final : public TaskScheduler {
public:
    TestTasks() { SetTaskSchedulerForTesting(this); }
    ~TestTasks() override
    {
        release = true;
        SetTaskSchedulerForTesting(nullptr);
    }
    std::optional<std::vector<ScheduledTask>> Tasks() override
    {
        ++listings;
        while (!release)
            ::Sleep(5);
        if (fails)
            return std::nullopt;
        const std::lock_guard<std::mutex> hold(lock);
        std::vector<ScheduledTask> tasks;
        for (const auto& [path, task] : defined) {
            const std::string xml = TaskXml(task.triggers, task.commands, task.enabled);
            tasks.push_back({path, {xml.begin(), xml.end()}});
        }
        return tasks;
    }
    bool SetEnabled(const std::wstring& path, bool enabled) override
    {
        const std::lock_guard<std::mutex> hold(lock);
        defined.at(path).enabled = enabled;
        return true;
    }
    std::optional<bool> IsEnabled(const std::wstring& path) override
    {
        const std::lock_guard<std::mutex> hold(lock);
        return defined.at(path).enabled;
    }

    struct Task {
        std::string triggers, commands;
        bool enabled = true;
    };
    std::mutex lock;
    std::map<std::wstring, Task> defined;
    std::atomic<bool> release{true}, fails{false};
    std::atomic<int> listings{0};
};

TEST_F(StartupSequenceTest, OneSwitchOfATaskShowsOnEveryRowOfItAndIsSavedSo)
{
    TestTasks tasks;
    tasks.defined[L"\\Maker\\Both"] = {"<LogonTrigger/><BootTrigger/>", "C:\\one.exe;C:\\two.exe"};
    tasks.defined[L"\\Maker\\Other"] = {"<LogonTrigger/>", "C:\\other.exe"};
    StartApp();
    ASSERT_TRUE(PumpUntil([&] { return Page().DetailsComplete() && Rows().size() == 5; }, 10000))
        << testing::PrintToString(Rows());
    Tick(0, false);
    Press(IDC_APPLY);
    EXPECT_TRUE(m_messages.empty());
    EXPECT_FALSE(tasks.defined[L"\\Maker\\Both"].enabled);
    for (const ShownRow& row : Rows())
        EXPECT_EQ(row.checked, row.program == "\\Maker\\Other") << row.program << " " << row.path;
    EXPECT_FALSE(Enabled(IDC_APPLY));

    const ScratchFolder folder;
    ASSERT_TRUE(Page().SaveListTo(folder.Path() + L"\\list.csv"));
    const std::string saved = *ReadBytes(folder.Path() + L"\\list.csv");
    for (const char* line : {"\\Maker\\Both,Scheduled Task (Log-On),C:\\one.exe,", "(Log-On),C:\\two.exe,",
                             "\\Maker\\Both,Scheduled Task (Boot),C:\\one.exe,", "(Boot),C:\\two.exe,"}) {
        const std::size_t at = saved.find(line);
        ASSERT_NE(at, std::string::npos) << line << "\n" << saved;
        EXPECT_NE(saved.substr(at, saved.find("\r\n", at) - at).find(",no,no,"), std::string::npos)
            << "saved as switched off: " << line;
    }
}

TEST_F(StartupSequenceTest, SaveAndCompareWaitForReadingsUnderWayAndAFailedReadingKeepsItsRows)
{
    TestTasks tasks;
    tasks.defined[L"\\Maker\\Agent"] = {"<LogonTrigger/>", "C:\\agent.exe"};
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "tool", Sz("C:\\tool.exe"));
    const ScratchFolder folder;
    const std::wstring list = folder.Path() + L"\\list.csv";

    // Saved at once after the start: the tasks are read first, a moment
    // later, by a worker that sends this thread a message before it reads
    // (as a sample for the metrics page does).
    tasks.release = false;
    StartApp();
    const HWND page = PageWindow();
    ASSERT_TRUE(theApp.m_workerJobs.Post([page](bool dropped) {
        if (!dropped)
            ::SendMessageW(page, WM_NULL, 0, 0);
        return false;
    }));
    std::thread late([&] {
        ::Sleep(300);
        tasks.release = true;
    });
    const bool saved = Page().SaveListTo(list);
    late.join();
    ASSERT_TRUE(saved);
    EXPECT_NE(ReadBytes(list)->find("\\Maker\\Agent,Scheduled Task (Log-On),C:\\agent.exe,"), std::string::npos)
        << *ReadBytes(list);
    EXPECT_TRUE(m_messages.empty());

    // A reading that does not come in time: Compare says the list is not
    // complete and compares nothing.
    tasks.release = false;
    MSG key{List(), WM_KEYDOWN, VK_F5, 0, 0, {}};
    ASSERT_TRUE(theApp.PreTranslateMessage(&key));
    EXPECT_FALSE(Page().CompareWith(list));
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_NE(m_messages[0].text.find("the list is not complete"), std::string::npos) << m_messages[0].text;
    EXPECT_EQ(Page().Mark(0), RowMark::None);
    tasks.release = true;
    ASSERT_TRUE(PumpUntil([&] { return Page().DetailsComplete(); }, 10000));

    // The Task Scheduler stops answering: the task's row, and the box the
    // user changed on it, stay, and the status line says so.
    const int agent = RowOf("\\Maker\\Agent", "Scheduled Task (Log-On)");
    Tick(agent, false);
    tasks.fails = true;
    ASSERT_TRUE(theApp.PreTranslateMessage(&key));
    ASSERT_TRUE(PumpUntil([&] { return Page().DetailsComplete(); }, 10000));
    EXPECT_EQ(Rows().size(), 2u) << testing::PrintToString(Rows());
    EXPECT_FALSE(Rows()[RowOf("\\Maker\\Agent", "Scheduled Task (Log-On)")].checked);
    EXPECT_TRUE(Enabled(IDC_APPLY));
    EXPECT_EQ(StatusLine(PageWindow()),
              "Could not read Scheduled Task (Log-On), Scheduled Task (Boot); No Windows entries hidden");
    tasks.fails = false;
    ASSERT_TRUE(theApp.PreTranslateMessage(&key));
    ASSERT_TRUE(PumpUntil([&] { return Page().DetailsComplete(); }, 10000));
    EXPECT_EQ(StatusLine(PageWindow()), "No Windows entries hidden");
}

TEST_F(StartupSequenceTest, AComparisonsRowsGoWhenItEnds)
{
    for (const char* name : {"kept", "gone 1", "gone 2"})
        WriteStored(HKEY_CURRENT_USER, kRunKeyPath, name, Sz(std::string("C:\\") + name + ".exe"));
    StartApp();
    const ScratchFolder folder;
    const std::wstring list = folder.Path() + L"\\list.csv";
    ASSERT_TRUE(Page().SaveListTo(list));
    for (const char* name : {"gone 1", "gone 2"})
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKeyPath, W(name).c_str());
    ASSERT_TRUE(PumpUntil([&] { return Rows().size() == 1; }, 10000));
    const std::size_t rowsListed = Page().m_rows.Size();

    MSG key{List(), WM_KEYDOWN, VK_F5, 0, 0, {}};
    for (int comparison = 0; comparison < 5; ++comparison) {
        ASSERT_TRUE(Page().CompareWith(list));
        EXPECT_EQ(Rows().size(), 3u);
        EXPECT_EQ(Page().m_rows.Size(), rowsListed + 2) << "comparison " << comparison;
        if (comparison % 2 == 1) {
            ASSERT_TRUE(theApp.PreTranslateMessage(&key)); // F5 ends it
        }
    }
    ASSERT_TRUE(theApp.PreTranslateMessage(&key));
    EXPECT_EQ(Rows().size(), 1u);
    EXPECT_EQ(Page().m_rows.Size(), rowsListed);
}

} // namespace
