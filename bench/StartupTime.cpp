// Time from starting a program to its window being shown: Quorvane next to
// Wine's (or Windows') own Task Manager, measured alternately in one run.
//
// Usage: startup_time [runs]

#include "support/ProcessWindows.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// One start: milliseconds until a visible top-level window, or a negative value.
double TimeOneStart(const std::string& commandLine)
{
    LARGE_INTEGER start, shown;
    ::QueryPerformanceCounter(&start);
    ChildProcess process(commandLine);
    if (!process.Valid())
        return -1;
    const HWND window = WaitForTopLevelWindow(process.Id(), 20000);
    ::QueryPerformanceCounter(&shown);
    if (!window)
        return -1;
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    if (process.WaitForExit(5000) == STILL_ACTIVE)
        process.Kill();
    return Milliseconds(start, shown);
}

struct Summary {
    double median, min, max;
};

Summary Summarise(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    const double median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    return {median, samples.front(), samples.back()};
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const std::string quorvane = QuorvaneCommandLine();
    const std::string taskManager = "\"" + SystemProgramPath("taskmgr.exe") + "\"";

    // One unmeasured start of each warms the file cache and the server.
    TimeOneStart(quorvane);
    TimeOneStart(taskManager);

    std::vector<double> ours, theirs;
    for (int i = 0; i < runs; ++i) {
        const double a = TimeOneStart(quorvane);
        const double b = TimeOneStart(taskManager);
        if (a < 0 || b < 0) {
            std::fprintf(stderr, "startup_time: a program did not show its window\n");
            return 1;
        }
        ours.push_back(a);
        theirs.push_back(b);
    }
    const Summary q = Summarise(ours);
    const Summary t = Summarise(theirs);
    std::printf("start to window shown, %d runs each (ms)\n", runs);
    std::printf("  %-12s median %7.1f  min %7.1f  max %7.1f\n", "Quorvane", q.median, q.min, q.max);
    std::printf("  %-12s median %7.1f  min %7.1f  max %7.1f\n", "taskmgr", t.median, t.min, t.max);
    std::printf("  ratio Quorvane / taskmgr (median): %.2f\n", q.median / t.median);
    return 0;
}
