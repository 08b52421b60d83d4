// Where start-up spends its time: each step of the real start-up sequence,
// timed inside a fresh process for every run, medians over the runs, up to
// the list with every entry's details shown, then its Start-Up Impact. Beside the steps, the work done
// within them or on the details worker, added up by kind (reading each kind
// of place, each step of an entry's details) for each start. The time before
// the first step (loading the program and its DLLs) is what startup_time
// sees beyond these steps.
//
// Usage: startup_steps [runs]     (startup_steps --once: one start, for the parent;
//                                  startup_steps --trace: one start as a timeline)

#include "app/MonitorApp.h"
#include "app/StartupSteps.h"
#include "pages/startup/page/StartupDlg.h"
#include "support/MessagePump.h"
#include "ui/MainFrame.h"
#include "ui/MainSheet.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace {

LARGE_INTEGER g_last;
std::vector<std::pair<std::string, double>> g_steps;
// Work by name, added up; the details worker reports from its own thread.
std::mutex g_workLock;
std::vector<std::pair<std::string, double>> g_work;
const char kWorkMark[] = "work: ";

// With --trace, each step and each piece of work is also printed as it
// ends, on the standard error: when it began (ms from the first step), how
// long it took and on which thread, a timeline of one start.
bool g_trace = false;
LARGE_INTEGER g_origin;

double MillisecondsSinceOrigin()
{
    LARGE_INTEGER now, frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - g_origin.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void AddWork(const char* work, double ms)
{
    if (g_trace)
        std::fprintf(stderr, "%8.2f %7.2f  thread %5lu  %s\n", MillisecondsSinceOrigin() - ms, ms,
                     ::GetCurrentThreadId(), work);
    std::lock_guard<std::mutex> hold(g_workLock);
    for (auto& [name, total] : g_work) {
        if (name == work) {
            total += ms;
            return;
        }
    }
    g_work.emplace_back(work, ms);
}

// Runs the loop until the start-up page shows every entry's details, or
// with `impact` its Start-Up Impact.
bool PumpUntilDetailsShown(DWORD timeoutMs, bool impact = false)
{
    CMainSheet* sheet = theApp.m_pMainFrame ? theApp.m_pMainFrame->m_pMainSheet : nullptr;
    CStartupDlg* page = sheet ? sheet->m_pStartupPage : nullptr;
    if (!page || !page->m_hWnd)
        return false;
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (!(impact ? page->ImpactComplete() : page->DetailsComplete())) {
        if (::GetTickCount64() >= deadline)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!theApp.PreTranslateMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
        }
    }
    return true;
}

double MillisecondsSinceLast()
{
    LARGE_INTEGER now, frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    const double ms = 1000.0 * static_cast<double>(now.QuadPart - g_last.QuadPart) /
                      static_cast<double>(frequency.QuadPart);
    g_last = now;
    return ms;
}

// One line a step: its name, a tab, its milliseconds.
int StartOnce()
{
    ::QueryPerformanceCounter(&g_origin);
    SetStartupStepObserver([](const char* step) {
        if (g_trace)
            std::fprintf(stderr, "%8.2f    step  thread %5lu  %s\n", MillisecondsSinceOrigin(), ::GetCurrentThreadId(),
                         step);
        g_steps.emplace_back(step, MillisecondsSinceLast());
    });
    SetStartupWorkObserver(&AddWork);
    ::QueryPerformanceCounter(&g_last);
    if (!theApp.InitInstance())
        return 1;
    if (PumpUntilDetailsShown(10000))
        StartupStepDone("list and every entry's details shown");
    if (PumpUntilDetailsShown(10000, true))
        StartupStepDone("start-up impact shown");
    SetStartupStepObserver(nullptr);
    SetStartupWorkObserver(nullptr);
    for (const auto& [name, ms] : g_steps)
        std::printf("%s\t%.3f\n", name.c_str(), ms);
    {
        std::lock_guard<std::mutex> hold(g_workLock);
        for (const auto& [name, ms] : g_work)
            std::printf("%s%s\t%.3f\n", kWorkMark, name.c_str(), ms);
    }
    std::fflush(stdout);
    ::PostMessageA(theApp.m_pMainFrame->m_hWnd, WM_CLOSE, 0, 0);
    return theApp.Run();
}

// Runs this program with --once and returns what it printed.
std::string RunChild()
{
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return {};
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string commandLine = "\"" + std::string(path) + "\" --once";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info{};
    const BOOL started = ::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                          &startup, &info);
    ::CloseHandle(writeEnd);
    std::string output;
    if (started) {
        char buffer[512];
        DWORD got = 0;
        while (::ReadFile(readEnd, buffer, sizeof(buffer), &got, nullptr) && got > 0)
            output.append(buffer, got);
        ::WaitForSingleObject(info.hProcess, 10000);
        ::CloseHandle(info.hThread);
        ::CloseHandle(info.hProcess);
    }
    ::CloseHandle(readEnd);
    return output;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--once") == 0)
        return StartOnce();
    if (argc > 1 && std::strcmp(argv[1], "--trace") == 0) {
        g_trace = true;
        RunChild(); // warms the file cache and the server
        return StartOnce();
    }

    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    RunChild(); // warms the file cache and the server
    std::vector<std::string> order;
    std::map<std::string, std::vector<double>> times;
    for (int run = 0; run < runs; ++run) {
        const std::string output = RunChild();
        std::size_t at = 0;
        while (at < output.size()) {
            const std::size_t end = std::min(output.find('\n', at), output.size());
            const std::string line = output.substr(at, end - at);
            at = end + 1;
            const std::size_t tab = line.find('\t');
            if (tab == std::string::npos)
                continue;
            const std::string name = line.substr(0, tab);
            if (times.find(name) == times.end())
                order.push_back(name);
            times[name].push_back(std::atof(line.c_str() + tab + 1));
        }
    }
    if (order.empty()) {
        std::fprintf(stderr, "startup_steps: no start-up was timed\n");
        return 1;
    }
    std::printf("start-up steps, %d starts, each in a fresh process (median ms of each step)\n", runs);
    double total = 0;
    const std::size_t mark = std::strlen(kWorkMark);
    for (const std::string& name : order) {
        if (name.compare(0, mark, kWorkMark) == 0)
            continue;
        const double ms = Median(times[name]);
        total += ms;
        std::printf("  %-40s %8.2f  (until here %8.2f)\n", name.c_str(), ms, total);
    }
    std::printf("work within those steps and on the details worker, by kind (median ms of each start's sum; "
                "starts without it count 0)\n");
    for (const std::string& name : order) {
        if (name.compare(0, mark, kWorkMark) != 0)
            continue;
        std::vector<double> sums = times[name];
        sums.resize(static_cast<std::size_t>(runs), 0.0);
        std::printf("  %-40s %8.2f\n", name.c_str() + mark, Median(sums));
    }
    return 0;
}
