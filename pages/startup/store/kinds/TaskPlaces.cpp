// Scheduled tasks that start with Windows: every task with an enabled log-on
// trigger (or, for the other source, boot trigger), a row for each program
// its Exec actions start. A task is switched on and off through the Task
// Scheduler, and read back: a switch that it reports done but that did not
// happen, or that cannot be seen to have happened, is a failure, never a
// success.

#include "pages/startup/store/MoveSteps.h"
#include "pages/startup/store/PlaceKind.h"
#include "pages/startup/store/TaskDefinition.h"
#include "pages/startup/store/TaskScheduler.h"

namespace {

// A row's id: the task's path, and after this mark the action's number.
constexpr wchar_t kActionMark = L'|';

std::wstring TaskPathOf(const std::wstring& id)
{
    return id.substr(0, id.rfind(kActionMark));
}

// Every task that reads as a definition, by its path; `listed` false where
// the tasks could not be listed at all.
struct Definitions {
    bool listed = false;
    std::vector<std::pair<std::wstring, TaskDefinition>> tasks;
};

// The tasks, listed and read once for both sources in a reading (anew at
// each call outside one).
std::shared_ptr<const Definitions> ListedDefinitions()
{
    static const char key = 0;
    return std::static_pointer_cast<const Definitions>(SharedInReading(&key, [] {
        auto definitions = std::make_shared<Definitions>();
        std::optional<std::vector<ScheduledTask>> tasks = ActiveTaskScheduler().Tasks();
        definitions->listed = tasks.has_value();
        for (const ScheduledTask& task : tasks ? *tasks : std::vector<ScheduledTask>{}) {
            if (std::optional<TaskDefinition> definition = ParseTaskDefinition(task.xml.data(), task.xml.size()))
                definitions->tasks.emplace_back(task.path, std::move(*definition));
        }
        return std::shared_ptr<const void>(std::move(definitions));
    }));
}

// Whether the task at `path` is switched on, as the Task Scheduler says, or
// where it cannot say, as its definition says when the tasks are listed
// again; nothing where neither can be had.
std::optional<bool> EnabledNow(TaskScheduler& scheduler, const std::wstring& path)
{
    if (const std::optional<bool> enabled = scheduler.IsEnabled(path))
        return enabled;
    for (const auto& [taskPath, definition] : ListedDefinitions()->tasks)
        if (taskPath == path)
            return definition.enabled;
    return std::nullopt;
}

class TaskKind final : public PlaceKind {
public:
    explicit TaskKind(bool boot) : m_boot(boot) {}

    const char* ReadingWork() const override { return "read: scheduled tasks"; }
    bool Switchable() const override { return true; }
    bool ReadInBackground() const override { return true; }

    StartupValueList Read(const StartupSource&, EntryPlace place) const override
    {
        if (place != EntryPlace::Startup)
            return {};
        const std::shared_ptr<const Definitions> listed = ListedDefinitions();
        if (!listed->listed)
            ReportReadingFailed(); // no account of the tasks, not a machine without them
        return Rows(*listed);
    }

    // The switch is read back: made where the task reads as switched, failed
    // where it reads as it was, and failed too where its state cannot be read
    // at all, since a switch that may not have happened is not reported done
    // (the box goes back, and F5 shows the state as it is).
    MoveResult Switch(const StartupSource&, EntryPlace, const std::wstring& id, bool on) const override
    {
        // A listing that failed says nothing about the entry: not gone.
        const std::shared_ptr<const Definitions> listed = ListedDefinitions();
        if (!listed->listed)
            return Refused(MoveOutcome::Failed);
        std::optional<StartupValue> row;
        for (StartupValue& entry : Rows(*listed))
            if (entry.id == id)
                row = std::move(entry);
        if (!row)
            return Refused(MoveOutcome::Gone);
        TaskScheduler& scheduler = ActiveTaskScheduler();
        const std::wstring path = TaskPathOf(id);
        if (!scheduler.SetEnabled(path, on) || EnabledNow(scheduler, path) != std::optional<bool>(on))
            return Refused(MoveOutcome::Failed);
        return Moved(row->command, EntryPlace::Startup);
    }

    // A task is switched whole: every row of it, at log-on or at boot.
    std::wstring SwitchKey(const std::wstring& id) const override { return L"task:" + TaskPathOf(id); }

    // Tasks change through the Task Scheduler, which tells no one: F5 shows them.
    void Watch(const StartupSource&, WatchList&) const override {}

    // A task is its file.
    EntryAddress Address(const StartupSource&, EntryPlace, const std::wstring& id) const override
    {
        EntryAddress address;
        address.file = TaskFilePath(TaskPathOf(id));
        return address;
    }

private:
    // A row for each program of each task started at log-on (or at boot).
    StartupValueList Rows(const Definitions& listed) const
    {
        StartupValueList entries;
        for (const auto& [path, definition] : listed.tasks) {
            if (!(m_boot ? definition.atBoot : definition.atLogOn))
                continue;
            for (std::size_t i = 0; i < definition.programs.size(); ++i) {
                const TaskProgram& program = definition.programs[i];
                StartupValue entry(path, CommandLine(program.command, program.arguments));
                entry.id = path + kActionMark + std::to_wstring(i);
                entry.offForWindows = !definition.enabled;
                entries.push_back(std::move(entry));
            }
        }
        return entries;
    }

    bool m_boot;
};

} // namespace

const PlaceKind& TaskPlaces(bool boot)
{
    static const TaskKind logOn(false);
    static const TaskKind atBoot(true);
    return boot ? atBoot : logOn;
}
