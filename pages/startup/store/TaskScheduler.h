#pragma once
// The scheduled tasks, as the Task Scheduler keeps them: listed with their
// definitions (every folder, hidden tasks too) and switched on and off
// through it. Where it cannot list them (Wine's answers E_NOTIMPL), they are
// read from its files under %windir%\System32\Tasks, the native folder also
// in the 32-bit program. Tests put their own in place of the system's.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ScheduledTask {
    std::wstring path;              // "\Folder\Name", as the Task Scheduler names it
    std::vector<std::uint8_t> xml;  // its definition, as bytes an XML reader takes
};

class TaskScheduler {
public:
    virtual ~TaskScheduler() = default;
    // Every task; nothing where neither the Task Scheduler nor its files
    // could be listed (no tasks is an empty list).
    virtual std::optional<std::vector<ScheduledTask>> Tasks() = 0;
    // Switches the task on or off; false where the Task Scheduler refused.
    virtual bool SetEnabled(const std::wstring& path, bool enabled) = 0;
    // Whether the task is switched on, as the Task Scheduler says now;
    // nothing where it cannot say.
    virtual std::optional<bool> IsEnabled(const std::wstring& path) = 0;
};

// The Task Scheduler in use: the system's, unless a test says otherwise.
TaskScheduler& ActiveTaskScheduler();
// nullptr gives the system's back.
void SetTaskSchedulerForTesting(TaskScheduler* scheduler);

// The file in which the Task Scheduler keeps the task at `path`, as Windows
// and Explorer name it: under %windir%\System32\Tasks. A 32-bit process on
// 64-bit Windows is shown SysWOW64 under that name, and must not open it.
std::wstring TaskFilePath(const std::wstring& path);
// The same file as this process reaches it: through %windir%\Sysnative in a
// 32-bit process on 64-bit Windows, where the task files are read.
std::wstring NativeTaskFilePath(const std::wstring& path);
