// Quorvane's own CPU use and memory while it watches the machine, next to
// Task Manager at its fastest update speed, measured in one run. Memory as
// Linux counts it (private dirty, private clean, resident; see UnixMemory.h),
// each beside the empty window's and taskmgr's, at the end of each round.
// "Hidden" samples as fast with the Start-Up tab in front after the metrics
// page was opened, "minimised" with the metrics page in a minimised window:
// neither draws the page. Memory is compared above an empty window, which
// shows what Wine costs any windowed program. The hidden, minimised and idle
// figures are compared with the taskmgr of the same round.
// Wine counts thread times in 10 ms ticks, so short runs are coarse.
// With a baseline (scripts/bench, QUORVANE_BENCH_BASELINE) an earlier
// revision's program is measured as today's is, beside a taskmgr of its own
// in a round of its own: file pages count as private only while no other
// process maps them, so the two programs never run at the same time.
//
// Usage: resource_use [seconds per round, default 20] [rounds, default 3]

#include "Baseline.h"
#include "UnixMemory.h"
#include "res/resource.h"
#include "support/ProcessWindows.h"

#include <commctrl.h>
#include <prsht.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// Task Manager's View > Update Speed > High.
constexpr UINT kTaskManagerSpeedHigh = 32781;

std::uint64_t Count(const FILETIME& t)
{
    return (std::uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

struct ThreadTimes {
    std::uint64_t cpu100ns = 0; // kernel plus user time of all threads
    int threads = 0;
};

// Wine reports no process times for other processes, but does report each
// thread's, so the threads are summed.
ThreadTimes Threads(DWORD processId)
{
    ThreadTimes times;
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return times;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != processId)
            continue;
        ++times.threads;
        if (HANDLE thread = ::OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID)) {
            FILETIME created, exited, kernel, user;
            if (::GetThreadTimes(thread, &created, &exited, &kernel, &user))
                times.cpu100ns += Count(kernel) + Count(user);
            ::CloseHandle(thread);
        }
    }
    ::CloseHandle(snapshot);
    return times;
}

struct Usage {
    double cpuPercent;   // of one processor
    double residentMiB;  // working set at the end
    double peakMiB;      // peak working set
    int threads;
    UnixMemory memory;
};

struct Scenario {
    std::string commandLine;
    std::function<void(HWND)> configure;
};

// Runs the scenarios' processes side by side over the same seconds, so each
// sees the same machine (its load and memory figures change alike for all).
std::vector<Usage> MeasureTogether(const std::vector<Scenario>& scenarios, int seconds)
{
    std::vector<std::unique_ptr<ChildProcess>> processes;
    std::vector<HWND> windows;
    std::vector<int> unixIds;
    for (const Scenario& scenario : scenarios) {
        const std::string fileName = ProgramFileName(scenario.commandLine);
        const std::set<int> running = UnixProcessIds(fileName);
        processes.push_back(std::make_unique<ChildProcess>(scenario.commandLine));
        ChildProcess& process = *processes.back();
        const HWND window = process.Valid() ? WaitForTopLevelWindow(process.Id(), 20000) : nullptr;
        if (!window) {
            std::fprintf(stderr, "resource_use: %s did not show its window\n", scenario.commandLine.c_str());
            std::exit(1);
        }
        unixIds.push_back(NewUnixProcess(running, fileName));
        scenario.configure(window);
        windows.push_back(window);
    }
    ::Sleep(2000); // settle after start-up

    std::vector<std::uint64_t> cpuStart;
    for (const auto& process : processes)
        cpuStart.push_back(Threads(process->Id()).cpu100ns);
    const ULONGLONG wallStart = ::GetTickCount64();
    ::Sleep(static_cast<DWORD>(seconds) * 1000);
    const ULONGLONG wall = ::GetTickCount64() - wallStart;

    std::vector<Usage> usage;
    for (std::size_t i = 0; i < processes.size(); ++i) {
        const ThreadTimes threads = Threads(processes[i]->Id());
        const std::uint64_t cpu = threads.cpu100ns - cpuStart[i];
        PROCESS_MEMORY_COUNTERS memory{};
        memory.cb = sizeof(memory);
        ::GetProcessMemoryInfo(processes[i]->Handle(), &memory, sizeof(memory));
        usage.push_back({100.0 * static_cast<double>(cpu) / (static_cast<double>(wall) * 10000.0),
                         static_cast<double>(memory.WorkingSetSize) / (1 << 20),
                         static_cast<double>(memory.PeakWorkingSetSize) / (1 << 20), threads.threads,
                         ReadUnixMemory(unixIds[i])});
    }
    for (std::size_t i = 0; i < processes.size(); ++i) {
        ::PostMessageA(windows[i], WM_CLOSE, 0, 0);
        if (processes[i]->WaitForExit(5000) == STILL_ACTIVE)
            processes[i]->Kill();
    }
    return usage;
}

void ShowMetricsAt(HWND frame, UINT speed)
{
    const std::vector<HWND> tabs = FindDescendants(frame, WC_TABCONTROLA);
    if (!tabs.empty())
        ::SendMessageA(::GetParent(tabs.front()), PSM_SETCURSEL, 1, 0);
    ::PostMessageA(frame, WM_COMMAND, MAKEWPARAM(speed, 0), 0);
}

// The metrics page opened once, then the Start-Up tab shown again.
void ShowMetricsThenHideAt(HWND frame, UINT speed)
{
    ShowMetricsAt(frame, speed);
    ::Sleep(500);
    const std::vector<HWND> tabs = FindDescendants(frame, WC_TABCONTROLA);
    if (!tabs.empty())
        ::SendMessageA(::GetParent(tabs.front()), PSM_SETCURSEL, 0, 0);
}

void ShowMetricsThenMinimiseAt(HWND frame, UINT speed)
{
    ShowMetricsAt(frame, speed);
    ::Sleep(500);
    ::ShowWindowAsync(frame, SW_MINIMIZE);
}

void Print(const std::string& name, const Usage& u)
{
    std::printf("  %-30s CPU %6.2f %%  threads %d  working set %6.1f MiB (peak %6.1f)", name.c_str(), u.cpuPercent,
                u.threads, u.residentMiB, u.peakMiB);
    if (u.memory.known)
        std::printf("  private dirty %5.1f  private clean %5.1f  resident %5.1f MiB", u.memory.privateDirtyMiB,
                    u.memory.privateCleanMiB, u.memory.residentMiB);
    std::printf("\n");
}

// The three memory figures of a process, above those of the empty window.
struct Above {
    double dirty, allPrivate, resident;
};

Above AboveEmpty(const UnixMemory& m, const UnixMemory& empty)
{
    return {m.privateDirtyMiB - empty.privateDirtyMiB,
            m.privateDirtyMiB + m.privateCleanMiB - empty.privateDirtyMiB - empty.privateCleanMiB,
            m.residentMiB - empty.residentMiB};
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const std::string quorvane = QuorvaneCommandLine();
    const std::string taskManager = "\"" + SystemProgramPath("taskmgr.exe") + "\"";
    const std::string emptyWindow = "\"" + ThisProgramDirectory() + "empty_window.exe\"";
    // Task Manager's own cost grows with the processes it lists, so it runs
    // beside the measured Quorvane alone; the other scenarios follow.
    enum { kVeryFast, kTaskManager };
    const std::vector<Scenario> againstPeer = {
        {quorvane, [](HWND w) { ShowMetricsAt(w, ID_UPDATESPEED_VERYFAST); }},
        {taskManager, [](HWND w) { ::PostMessageA(w, WM_COMMAND, MAKEWPARAM(kTaskManagerSpeedHigh, 0), 0); }},
    };
    const char* againstPeerNames[] = {"Quorvane, Very Fast, metrics", "taskmgr, High"};
    enum { kHidden, kMinimised, kIdle, kEmpty };
    const std::vector<Scenario> others = {
        {quorvane, [](HWND w) { ShowMetricsThenHideAt(w, ID_UPDATESPEED_VERYFAST); }},
        {quorvane, [](HWND w) { ShowMetricsThenMinimiseAt(w, ID_UPDATESPEED_VERYFAST); }},
        {quorvane, [](HWND w) { ShowMetricsAt(w, ID_UPDATESPEED_IDLE); }},
        {emptyWindow, [](HWND) {}},
    };
    const char* otherNames[] = {"Quorvane, Very Fast, hidden", "Quorvane, Very Fast, minimised",
                                "Quorvane, Idle, metrics", "empty window"};
    const BaselineProgram baseline = Baseline();
    std::vector<Scenario> againstBaseline = againstPeer;
    againstBaseline.front().commandLine = baseline.commandLine;
    const std::string baselineName = baseline.name + ", Very Fast, metrics";

    std::printf("CPU use and memory, %d rounds of %d s each: Quorvane beside taskmgr, then the other scenarios "
                "side by side%s (CPU in %% of one processor)\n",
                rounds, seconds, Baseline().commandLine.empty() ? "" : ", then the baseline beside taskmgr");
    std::vector<double> veryFastRatios, hiddenRatios, minimisedRatios, residentRatios, residentAboveRatios,
        baselineRatios;
    // Above the empty window: Quorvane, taskmgr and the baseline, each figure by round.
    std::vector<Above> oursAbove, peerAbove, baselineAbove;
    for (int round = 0; round < rounds; ++round) {
        const std::vector<Usage> pair = MeasureTogether(againstPeer, seconds);
        const std::vector<Usage> usage = MeasureTogether(others, seconds);
        const bool withBaseline = !baseline.commandLine.empty();
        const std::vector<Usage> basePair = withBaseline ? MeasureTogether(againstBaseline, seconds) : std::vector<Usage>();
        std::printf(" round %d\n", round + 1);
        for (std::size_t i = 0; i < pair.size(); ++i)
            Print(againstPeerNames[i], pair[i]);
        for (std::size_t i = 0; i < usage.size(); ++i)
            Print(otherNames[i], usage[i]);
        for (std::size_t i = 0; i < basePair.size(); ++i)
            Print(i == kVeryFast ? baselineName : std::string(againstPeerNames[i]), basePair[i]);
        const Usage& ours = pair[kVeryFast];
        const Usage& peer = pair[kTaskManager];
        if (peer.cpuPercent > 0) {
            veryFastRatios.push_back(ours.cpuPercent / peer.cpuPercent);
            hiddenRatios.push_back(usage[kHidden].cpuPercent / peer.cpuPercent);
            minimisedRatios.push_back(usage[kMinimised].cpuPercent / peer.cpuPercent);
        }
        if (withBaseline && basePair[kTaskManager].cpuPercent > 0)
            baselineRatios.push_back(basePair[kVeryFast].cpuPercent / basePair[kTaskManager].cpuPercent);
        const UnixMemory& emptyMemory = usage[kEmpty].memory;
        if (ours.memory.known && peer.memory.known && emptyMemory.known) {
            oursAbove.push_back(AboveEmpty(ours.memory, emptyMemory));
            peerAbove.push_back(AboveEmpty(peer.memory, emptyMemory));
            if (withBaseline && basePair[kVeryFast].memory.known)
                baselineAbove.push_back(AboveEmpty(basePair[kVeryFast].memory, emptyMemory));
        }
        if (peer.residentMiB > 0)
            residentRatios.push_back(ours.residentMiB / peer.residentMiB);
        const double empty = usage[kEmpty].residentMiB;
        if (peer.residentMiB > empty)
            residentAboveRatios.push_back((ours.residentMiB - empty) / (peer.residentMiB - empty));
    }
    if (!veryFastRatios.empty()) {
        std::printf("  median ratio CPU Quorvane Very Fast / taskmgr High: %.3f\n", Median(veryFastRatios));
        std::printf("  median ratio CPU Quorvane Very Fast, hidden / taskmgr: %.3f\n", Median(hiddenRatios));
        std::printf("  median ratio CPU Quorvane Very Fast, minimised / taskmgr: %.3f\n", Median(minimisedRatios));
    }
    if (!residentRatios.empty())
        std::printf("  median ratio resident Quorvane / taskmgr: %.3f\n", Median(residentRatios));
    if (!residentAboveRatios.empty())
        std::printf("  median ratio resident above the empty window (Quorvane - empty) / (taskmgr - empty): %.3f\n",
                    Median(residentAboveRatios));
    if (!baselineRatios.empty())
        std::printf("  median ratio CPU %s Very Fast / taskmgr High: %.3f\n", baseline.name.c_str(),
                    Median(baselineRatios));
    if (oursAbove.empty()) {
        std::printf("  memory as Linux counts it: not known here (no /proc on drive Z:)\n");
        return 0;
    }
    // Medians over the rounds of each figure above the empty window, and their ratios.
    auto median = [](const std::vector<Above>& rounds, double Above::*figure) {
        std::vector<double> values;
        for (const Above& above : rounds)
            values.push_back(above.*figure);
        return Median(values);
    };
    std::printf("  memory above the empty window, medians over the rounds (MiB; ratio to taskmgr):\n");
    const struct {
        const char* name;
        double Above::*figure;
    } figures[] = {{"private dirty", &Above::dirty}, {"all private", &Above::allPrivate}, {"resident", &Above::resident}};
    for (const auto& f : figures) {
        const double theirs = median(peerAbove, f.figure);
        const double ours = median(oursAbove, f.figure);
        std::printf("    %-14s Quorvane %6.2f  taskmgr %6.2f  ratio %.2f", f.name, ours, theirs,
                    theirs > 0 ? ours / theirs : 0.0);
        if (!baselineAbove.empty()) {
            const double before = median(baselineAbove, f.figure);
            std::printf("  %s %6.2f  ratio %.2f", baseline.name.c_str(), before, theirs > 0 ? before / theirs : 0.0);
        }
        std::printf("\n");
    }
    return 0;
}
