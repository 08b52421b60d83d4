// Time from starting a program to its window being shown: Quorvane next to
// Wine's (or Windows') own Task Manager, measured alternately in one run,
// each also above an empty window's start, which every windowed program pays.
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
    const char* names[] = {"empty window", "Quorvane", "taskmgr"};
    const std::string commandLines[] = {
        "\"" + ThisProgramDirectory() + "empty_window.exe\"",
        QuorvaneCommandLine(),
        "\"" + SystemProgramPath("taskmgr.exe") + "\"",
    };

    // One unmeasured start of each warms the file cache and the server.
    for (const std::string& commandLine : commandLines)
        TimeOneStart(commandLine);

    std::vector<double> samples[3];
    for (int i = 0; i < runs; ++i) {
        for (int program = 0; program < 3; ++program) {
            const double ms = TimeOneStart(commandLines[program]);
            if (ms < 0) {
                std::fprintf(stderr, "startup_time: %s did not show its window\n", names[program]);
                return 1;
            }
            samples[program].push_back(ms);
        }
    }
    std::printf("start to window shown, %d runs each, alternating (ms)\n", runs);
    Summary summaries[3];
    for (int program = 0; program < 3; ++program) {
        summaries[program] = Summarise(samples[program]);
        const Summary& s = summaries[program];
        std::printf("  %-14s median %7.1f  min %7.1f  max %7.1f\n", names[program], s.median, s.min, s.max);
    }
    const double empty = summaries[0].median;
    const double ours = summaries[1].median;
    const double theirs = summaries[2].median;
    std::printf("  ratio Quorvane / taskmgr (medians): %.2f\n", ours / theirs);
    if (theirs > empty)
        std::printf("  ratio above the empty window (Quorvane - empty) / (taskmgr - empty): %.2f\n",
                    (ours - empty) / (theirs - empty));
    return 0;
}
