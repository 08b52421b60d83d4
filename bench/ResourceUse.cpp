// Quorvane's own CPU use and resident memory while it watches the machine,
// next to Task Manager at its fastest update speed, measured in one run.
// "Hidden" samples and refreshes the metrics page as fast, but with the
// Start-Up tab in front: the difference is the drawing of the page.
// Wine counts thread times in 10 ms ticks, so short runs are coarse.
//
// Usage: resource_use [seconds per scenario, default 30]

#include "res/resource.h"
#include "support/ProcessWindows.h"

#include <commctrl.h>
#include <prsht.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Task Manager's View > Update Speed > High.
constexpr UINT kTaskManagerSpeedHigh = 32781;

std::uint64_t Count(const FILETIME& t)
{
    return (std::uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

// Kernel plus user time of the process. Wine reports no process times for
// other processes, but does report each thread's, so the threads are summed.
std::uint64_t CpuTime100ns(DWORD processId)
{
    std::uint64_t total = 0;
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != processId)
            continue;
        if (HANDLE thread = ::OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID)) {
            FILETIME created, exited, kernel, user;
            if (::GetThreadTimes(thread, &created, &exited, &kernel, &user))
                total += Count(kernel) + Count(user);
            ::CloseHandle(thread);
        }
    }
    ::CloseHandle(snapshot);
    return total;
}

struct Usage {
    double cpuPercent;   // of one processor
    double residentMiB;  // working set at the end
    double peakMiB;      // peak working set
};

template <class Configure>
Usage Measure(const std::string& commandLine, Configure configure, int seconds)
{
    ChildProcess process(commandLine);
    const HWND window = process.Valid() ? WaitForTopLevelWindow(process.Id(), 20000) : nullptr;
    if (!window) {
        std::fprintf(stderr, "resource_use: %s did not show its window\n", commandLine.c_str());
        std::exit(1);
    }
    configure(window);
    ::Sleep(2000); // settle after start-up

    const std::uint64_t cpuStart = CpuTime100ns(process.Id());
    const ULONGLONG wallStart = ::GetTickCount64();
    ::Sleep(static_cast<DWORD>(seconds) * 1000);
    const std::uint64_t cpu = CpuTime100ns(process.Id()) - cpuStart;
    const ULONGLONG wall = ::GetTickCount64() - wallStart;

    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    ::GetProcessMemoryInfo(process.Handle(), &memory, sizeof(memory));
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    if (process.WaitForExit(5000) == STILL_ACTIVE)
        process.Kill();
    return {100.0 * static_cast<double>(cpu) / (static_cast<double>(wall) * 10000.0),
            static_cast<double>(memory.WorkingSetSize) / (1 << 20),
            static_cast<double>(memory.PeakWorkingSetSize) / (1 << 20)};
}

void ShowMetricsAt(HWND frame, UINT speed)
{
    const std::vector<HWND> tabs = FindDescendants(frame, WC_TABCONTROLA);
    if (!tabs.empty())
        ::SendMessageA(::GetParent(tabs.front()), PSM_SETCURSEL, 1, 0);
    ::PostMessageA(frame, WM_COMMAND, MAKEWPARAM(speed, 0), 0);
}

// The metrics page opened once, then the Start-Up tab shown again: sampling
// and the page's refresh go on, but nothing of the metrics page is drawn.
void ShowMetricsThenHideAt(HWND frame, UINT speed)
{
    ShowMetricsAt(frame, speed);
    ::Sleep(500);
    const std::vector<HWND> tabs = FindDescendants(frame, WC_TABCONTROLA);
    if (!tabs.empty())
        ::SendMessageA(::GetParent(tabs.front()), PSM_SETCURSEL, 0, 0);
}

void Print(const char* name, const Usage& u)
{
    std::printf("  %-28s CPU %6.2f %%  resident %7.1f MiB  peak %7.1f MiB\n", name, u.cpuPercent, u.residentMiB,
                u.peakMiB);
}

} // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    const std::string quorvane = "\"" + ThisProgramDirectory() + "Quorvane.exe\"";
    const std::string taskManager = "\"" + SystemProgramPath("taskmgr.exe") + "\"";

    const Usage veryFast = Measure(quorvane, [](HWND w) { ShowMetricsAt(w, ID_UPDATESPEED_VERYFAST); }, seconds);
    const Usage hidden =
        Measure(quorvane, [](HWND w) { ShowMetricsThenHideAt(w, ID_UPDATESPEED_VERYFAST); }, seconds);
    const Usage idle = Measure(quorvane, [](HWND w) { ShowMetricsAt(w, ID_UPDATESPEED_IDLE); }, seconds);
    const Usage peer = Measure(
        taskManager, [](HWND w) { ::PostMessageA(w, WM_COMMAND, MAKEWPARAM(kTaskManagerSpeedHigh, 0), 0); },
        seconds);

    std::printf("CPU use and memory over %d s each (CPU in %% of one processor)\n", seconds);
    Print("Quorvane, Very Fast, metrics", veryFast);
    Print("Quorvane, Very Fast, hidden", hidden);
    Print("Quorvane, Idle, metrics", idle);
    Print("taskmgr, High", peer);
    if (peer.cpuPercent > 0) {
        std::printf("  ratio CPU Quorvane Very Fast / taskmgr: %.3f\n", veryFast.cpuPercent / peer.cpuPercent);
        std::printf("  ratio CPU Quorvane Very Fast, hidden / taskmgr: %.3f\n", hidden.cpuPercent / peer.cpuPercent);
    }
    if (peer.residentMiB > 0)
        std::printf("  ratio resident Quorvane / taskmgr: %.3f\n", veryFast.residentMiB / peer.residentMiB);
    return 0;
}
