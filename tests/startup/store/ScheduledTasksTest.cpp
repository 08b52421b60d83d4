// Scheduled tasks that start with Windows, from task files put into the test
// prefix's Task Scheduler folder (Wine's Task Scheduler cannot list tasks, so
// they are read from there): listed a row per program, and switched through
// the Task Scheduler, whose word is checked by reading the task back.

#include "pages/startup/store/PlaceKind.h"
#include "pages/startup/store/StartupMoves.h"
#include "pages/startup/store/StartupStore.h"
#include "pages/startup/store/TaskScheduler.h"
#include "support/RegistrySandbox.h"
#include "support/ScratchFolder.h"
#include "support/WideText.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

std::string Task(const std::string& triggers, const std::string& actions, const std::string& settings = "")
{
    const std::wstring text = W("<?xml version=\"1.0\" encoding=\"UTF-16\"?><Task version=\"1.2\" "
                                "xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\"><Triggers>"
                                + triggers + "</Triggers><Settings>" + settings + "</Settings><Actions>" + actions
                                + "</Actions></Task>");
    return std::string("\xff\xfe", 2) + std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

std::string Exec(const std::string& command) { return "<Exec><Command>" + command + "</Command></Exec>"; }

// Task files under \QuorvaneTest in the prefix's task folder, for as long as
// the object lives: the native folder, where Windows keeps them, or (`Seen`)
// the one this process is shown under System32's name, which in a 32-bit
// process on 64-bit Windows is SysWOW64's.
class TaskFiles {
public:
    TaskFiles() { Remove(); }
    ~TaskFiles() { Remove(); }
    TaskFiles(const TaskFiles&) = delete;
    TaskFiles& operator=(const TaskFiles&) = delete;

    void Add(const std::wstring& name, const std::string& bytes, bool seen = false)
    {
        const auto path = seen ? TaskFilePath : NativeTaskFilePath;
        const std::wstring folder = path(L"\\QuorvaneTest");
        ::CreateDirectoryW(path(L"").c_str(), nullptr);
        ::CreateDirectoryW(folder.c_str(), nullptr);
        ::CreateDirectoryW((folder + L"\\Inner").c_str(), nullptr);
        ASSERT_TRUE(WriteBytes(folder + L"\\" + name, bytes));
    }

private:
    static void Remove()
    {
        for (const auto path : {TaskFilePath, NativeTaskFilePath}) {
            const std::wstring folder = path(L"\\QuorvaneTest");
            for (const wchar_t* name : {L"Inner\\Boot", L"Sync", L"Daily", L"Off trigger", L"Two", L"Hidden",
                                        L"Broken", L"Typed", L"Redirected"})
                ::DeleteFileW((folder + L"\\" + name).c_str());
            ::RemoveDirectoryW((folder + L"\\Inner").c_str());
            ::RemoveDirectoryW(folder.c_str());
        }
    }
};

std::size_t SourceIndex(const std::vector<StartupSource>& sources, StartupKind kind)
{
    return static_cast<std::size_t>(
        std::find_if(sources.begin(), sources.end(), [kind](const StartupSource& s) { return s.kind == kind; })
        - sources.begin());
}

std::vector<std::string> Listed(const std::vector<StartupSource>& sources)
{
    SourceSet tasks = SourceSet::Of(SourceIndex(sources, StartupKind::LogOnTask));
    tasks |= SourceSet::Of(SourceIndex(sources, StartupKind::BootTask));
    std::vector<std::string> lines;
    for (const StartupEntry& entry : ReadStartupEntries(sources, tasks))
        if (entry.value.name.rfind(L"\\QuorvaneTest\\", 0) == 0)
            lines.push_back(U8(sources[entry.source].location) + ": " + U8(entry.value.name) + " = "
                            + U8(entry.value.command) + (entry.offForWindows ? " (off)" : ""));
    std::sort(lines.begin(), lines.end());
    return lines;
}

// A Task Scheduler that says what the test tells it to, and keeps the states.
class TestScheduler final : public TaskScheduler {
public:
    TestScheduler() { SetTaskSchedulerForTesting(this); }
    ~TestScheduler() override { SetTaskSchedulerForTesting(nullptr); }
    std::optional<std::vector<ScheduledTask>> Tasks() override
    {
        if (!(switched ? listsAfterSwitch : lists))
            return std::nullopt;
        std::vector<ScheduledTask> tasks;
        for (const auto& [path, enabled] : states)
            tasks.push_back({path, Bytes(Task("<LogonTrigger/>", Exec("C:\\a.exe"),
                                              enabled ? "" : "<Enabled>false</Enabled>"))});
        return tasks;
    }
    bool SetEnabled(const std::wstring& path, bool enabled) override
    {
        switched = true;
        if (keepsItsWord) // else: says done, changes nothing
            states[path] = enabled;
        return true;
    }
    std::optional<bool> IsEnabled(const std::wstring& path) override
    {
        return says ? std::optional<bool>(states.at(path)) : std::nullopt;
    }

    std::map<std::wstring, bool> states{{L"\\Maker\\Agent", true}};
    bool keepsItsWord = true;
    bool says = true;             // IsEnabled answers
    bool lists = true;            // Tasks() answers before the switch
    bool listsAfterSwitch = true; // and after it
    bool switched = false;

private:
    static std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }
};

} // namespace

TEST(ScheduledTasks, EveryProgramOfATaskStartedAtLogOnOrBootIsARowOfItsOwn)
{
    RegistrySandbox sandbox;
    TaskFiles files;
    files.Add(L"Sync", Task("<LogonTrigger/>", Exec("C:\\Program Files\\Sync\\sync.exe")));
    files.Add(L"Inner\\Boot", Task("<BootTrigger/>", Exec("C:\\boot.exe")));
    files.Add(L"Daily", Task("<CalendarTrigger/>", Exec("C:\\daily.exe")));
    files.Add(L"Off trigger", Task("<LogonTrigger><Enabled>false</Enabled></LogonTrigger>", Exec("C:\\no.exe")));
    files.Add(L"Two", Task("<LogonTrigger/>", Exec("C:\\one.exe") + Exec("C:\\two.exe")));
    files.Add(L"Hidden", Task("<LogonTrigger/>", Exec("C:\\hidden.exe"),
                              "<Enabled>false</Enabled><Hidden>true</Hidden>"));
    files.Add(L"Broken", Task("<LogonTrigger>", Exec("C:\\broken.exe")));
    files.Add(L"Typed", "<!DOCTYPE Task [<!ENTITY x \"x\">]>" + Task("<LogonTrigger/>", Exec("C:\\typed.exe")));
    // What a 32-bit process is shown in SysWOW64 is no task of Windows'.
    if (TaskFilePath(L"") != NativeTaskFilePath(L""))
        files.Add(L"Redirected", Task("<LogonTrigger/>", Exec("C:\\redirected.exe")), true);
    const std::vector<StartupSource> sources = StartupSources();
    EXPECT_EQ(Listed(sources), (std::vector<std::string>{
                                   "Scheduled Task (Boot): \\QuorvaneTest\\Inner\\Boot = C:\\boot.exe",
                                   "Scheduled Task (Log-On): \\QuorvaneTest\\Hidden = C:\\hidden.exe (off)",
                                   "Scheduled Task (Log-On): \\QuorvaneTest\\Sync = \"C:\\Program Files\\Sync\\sync.exe\"",
                                   "Scheduled Task (Log-On): \\QuorvaneTest\\Two = C:\\one.exe",
                                   "Scheduled Task (Log-On): \\QuorvaneTest\\Two = C:\\two.exe",
                               }));

    // Wine's Task Scheduler cannot switch a task: a failure, never a success.
    const StartupSource& logOn = sources[SourceIndex(sources, StartupKind::LogOnTask)];
    EXPECT_EQ(SwitchEntry(logOn, EntryPlace::Startup, L"\\QuorvaneTest\\Sync|0", false).outcome, MoveOutcome::Failed);
    EXPECT_EQ(SwitchEntry(logOn, EntryPlace::Startup, L"\\QuorvaneTest\\Gone|0", false).outcome, MoveOutcome::Gone);
    // Addressed by the name Explorer opens: System32's, not Sysnative's.
    EXPECT_EQ(U8(EntryAddressOf(logOn, EntryPlace::Startup, L"\\QuorvaneTest\\Two|1").file),
              U8(TaskFilePath(L"\\QuorvaneTest\\Two")));
}

// A switch is read back: done where the task reads as switched, by the Task
// Scheduler's word or, where it cannot say, by the definition listed again;
// failed where it reads as it was or cannot be read at all. A listing that
// fails says nothing of the entry: failed, not gone.
TEST(ScheduledTasks, ASwitchIsDoneOnlyWhereItIsReadBackSo)
{
    const struct {
        const char* name;
        bool keepsItsWord, says, lists, listsAfterSwitch;
        MoveOutcome outcome;
    } cases[] = {
        {"made, read back", true, true, true, true, MoveOutcome::Moved},
        {"reported done, not made", false, true, true, true, MoveOutcome::Failed},
        {"made, its state read from the listing", true, false, true, true, MoveOutcome::Moved},
        {"not made, its state read from the listing", false, false, true, true, MoveOutcome::Failed},
        {"made or not, its state not to be had", true, false, true, false, MoveOutcome::Failed},
        {"no listing to find the entry in", true, true, false, true, MoveOutcome::Failed},
    };
    RegistrySandbox sandbox;
    const std::vector<StartupSource> sources = StartupSources();
    const StartupSource& logOn = sources[SourceIndex(sources, StartupKind::LogOnTask)];
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestScheduler scheduler;
        scheduler.keepsItsWord = c.keepsItsWord;
        scheduler.says = c.says;
        scheduler.lists = c.lists;
        scheduler.listsAfterSwitch = c.listsAfterSwitch;
        EXPECT_EQ(SwitchEntry(logOn, EntryPlace::Startup, L"\\Maker\\Agent|0", false).outcome, c.outcome);
        EXPECT_EQ(scheduler.switched, c.lists) << "switched only once the entry is found";
    }
}
