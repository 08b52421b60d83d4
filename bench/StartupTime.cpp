// Time from starting a program to its window being shown, and to the
// window's first answer to a message (drawn, its thread taking messages):
// Quorvane next to Wine's (or Windows') own Task Manager, measured
// alternately in one run, each also above an empty window's start, which
// every windowed program pays. For Quorvane also the time from the window to
// its start-up list showing every entry's details (each row's Publisher),
// read from outside; and the time of a run that saves the same list from the
// command line (/save), start to exit, beside the window's.
// With a baseline (scripts/bench, QUORVANE_BENCH_BASELINE) an earlier
// revision's program is measured in the same rounds. Each ratio is given of
// the medians and of the minima, the latter the least disturbed start of
// each: far apart, the figure is unsure. Where the benchmarks' start-up list
// names a signed file (QUORVANE_BENCH_SIGNED_FILE), each round also times a
// fresh process that checks only that file's signature, the floor that the
// details are compared above.
//
// Usage: startup_time [runs, default 20]

#include "Baseline.h"
#include "support/ProcessWindows.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The start-up list's Publisher column.
constexpr int kPublisherColumn = 3;

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Looks at the Publisher texts of another process's start-up list through
// one buffer in that process, allocated and written once: under Wine an
// allocation in or a write to another process stops its threads, and the
// looking must not slow down what it measures. Each look is then a message
// whose answer is the text's length. Rows that show their publisher keep it,
// so each look starts at the first row that did not.
class PublisherWatch {
public:
    PublisherWatch(HANDLE process, HWND list)
        : m_process(process), m_list(list),
          m_buffer(static_cast<char*>(
              ::VirtualAllocEx(process, nullptr, sizeof(LVITEMA) + kRoom, MEM_COMMIT, PAGE_READWRITE)))
    {
        LVITEMA cell{};
        cell.iSubItem = kPublisherColumn;
        cell.pszText = m_buffer + sizeof(LVITEMA);
        cell.cchTextMax = static_cast<int>(kRoom);
        if (m_buffer && !::WriteProcessMemory(m_process, m_buffer, &cell, sizeof(cell), nullptr)) {
            ::VirtualFreeEx(m_process, m_buffer, 0, MEM_RELEASE);
            m_buffer = nullptr;
        }
    }
    ~PublisherWatch()
    {
        if (m_buffer)
            ::VirtualFreeEx(m_process, m_buffer, 0, MEM_RELEASE);
    }
    PublisherWatch(const PublisherWatch&) = delete;
    PublisherWatch& operator=(const PublisherWatch&) = delete;

    bool Valid() const { return m_buffer != nullptr; }

    // Whether every row shows its publisher now.
    bool AllShown()
    {
        const int count = static_cast<int>(::SendMessageA(m_list, LVM_GETITEMCOUNT, 0, 0));
        for (; m_shown < count; ++m_shown)
            if (!Shows(m_shown))
                return false;
        return true;
    }

private:
    static constexpr SIZE_T kRoom = 8;

    // The control reads the item's column and text room from the buffer and
    // leaves them as they are.
    bool Shows(int item)
    {
        const LRESULT length = ::SendMessageA(m_list, LVM_GETITEMTEXTA, static_cast<WPARAM>(item),
                                              reinterpret_cast<LPARAM>(m_buffer));
        return length > 0;
    }

    HANDLE m_process;
    HWND m_list;
    char* m_buffer;
    int m_shown = 0;
};

struct Start {
    double shownMs = -1;   // start to visible window
    double answerMs = -1;  // start to the window's first answer: drawn, its thread taking messages
    double detailsMs = -1; // window to every entry's details shown; -1 when not asked or not seen
};

Start TimeOneStart(const std::string& commandLine, bool hasList)
{
    Start start;
    LARGE_INTEGER begin, shown;
    ::QueryPerformanceCounter(&begin);
    ChildProcess process(commandLine);
    if (!process.Valid())
        return start;
    const HWND window = WaitForTopLevelWindow(process.Id(), 20000);
    ::QueryPerformanceCounter(&shown);
    if (!window)
        return start;
    start.shownMs = Milliseconds(begin, shown);
    DWORD_PTR ignored = 0;
    if (::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &ignored)) {
        LARGE_INTEGER answered;
        ::QueryPerformanceCounter(&answered);
        start.answerMs = Milliseconds(begin, answered);
    }
    const std::vector<HWND> lists = hasList ? FindDescendants(window, WC_LISTVIEWA) : std::vector<HWND>();
    if (!lists.empty()) {
        PublisherWatch watch(process.Handle(), lists.front());
        const ULONGLONG deadline = ::GetTickCount64() + 10000;
        while (watch.Valid() && ::GetTickCount64() < deadline) {
            if (watch.AllShown()) {
                LARGE_INTEGER done;
                ::QueryPerformanceCounter(&done);
                start.detailsMs = Milliseconds(shown, done);
                break;
            }
            ::Sleep(5);
        }
    }
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    if (process.WaitForExit(5000) == STILL_ACTIVE)
        process.Kill();
    return start;
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

// Start to exit of a program that shows no window; -1 where it did not end
// within 20 s, or ended with another code than `expected`.
double TimeOneRun(const std::string& commandLine, DWORD expected = STILL_ACTIVE)
{
    LARGE_INTEGER begin, end;
    ::QueryPerformanceCounter(&begin);
    ChildProcess process(commandLine);
    const DWORD code = process.Valid() ? process.WaitForExit(20000) : STILL_ACTIVE;
    if (code == STILL_ACTIVE || (expected != STILL_ACTIVE && code != expected))
        return -1;
    ::QueryPerformanceCounter(&end);
    return Milliseconds(begin, end);
}

struct Program {
    std::string name;
    std::string commandLine;
    bool hasList; // a Quorvane: its list's details are waited for too
    std::vector<double> shown, answered, details;
};

// Above the empty window, against taskmgr: (ours - empty) / (taskmgr - empty).
double RatioAbove(double ours, double empty, double theirs)
{
    return theirs > empty ? (ours - empty) / (theirs - empty) : 0;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    std::vector<Program> programs = {
        {"empty window", "\"" + ThisProgramDirectory() + "empty_window.exe\"", false, {}, {}, {}},
        {"Quorvane", QuorvaneCommandLine(), true, {}, {}, {}},
        {"taskmgr", "\"" + SystemProgramPath("taskmgr.exe") + "\"", false, {}, {}, {}},
    };
    const BaselineProgram baseline = Baseline();
    if (!baseline.commandLine.empty())
        programs.insert(programs.begin() + 2, {baseline.name, baseline.commandLine, true, {}, {}, {}});
    // The floor under the details: a fresh process that checks one signed
    // file, less the same process checking nothing.
    const char* signedFile = std::getenv("QUORVANE_BENCH_SIGNED_FILE");
    const std::string floorProgram = "\"" + ThisProgramDirectory() + "signature_floor.exe\"";
    const std::string floorCheck = signedFile ? floorProgram + " \"" + signedFile + "\"" : std::string();
    std::vector<double> floorWith, floorWithout;
    // The list saved from the command line, as a scheduled task saves it.
    char temporary[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temporary);
    const std::string saveRun = QuorvaneCommandLine() + " /save \"" + temporary + "quorvane-bench-list.csv\"";
    std::vector<double> saves;

    // One unmeasured start of each warms the file cache and the server.
    for (const Program& program : programs)
        TimeOneStart(program.commandLine, false);
    if (!floorCheck.empty() && TimeOneRun(floorCheck) < 0) {
        std::fprintf(stderr, "startup_time: %s did not end\n", floorCheck.c_str());
        return 1;
    }

    for (int i = 0; i < runs; ++i) {
        for (Program& program : programs) {
            const Start start = TimeOneStart(program.commandLine, program.hasList);
            if (start.shownMs < 0) {
                std::fprintf(stderr, "startup_time: %s did not show its window\n", program.name.c_str());
                return 1;
            }
            program.shown.push_back(start.shownMs);
            if (start.answerMs >= 0)
                program.answered.push_back(start.answerMs);
            if (start.detailsMs >= 0)
                program.details.push_back(start.detailsMs);
        }
        const double save = TimeOneRun(saveRun, 0);
        if (save < 0) {
            std::fprintf(stderr, "startup_time: %s did not end with exit code 0\n", saveRun.c_str());
            return 1;
        }
        saves.push_back(save);
        if (!floorCheck.empty()) {
            const double without = TimeOneRun(floorProgram), with = TimeOneRun(floorCheck);
            if (without < 0 || with < 0) {
                std::fprintf(stderr, "startup_time: %s did not end\n",
                             (without < 0 ? floorProgram : floorCheck).c_str());
                return 1;
            }
            floorWithout.push_back(without);
            floorWith.push_back(with);
        }
    }
    const auto print = [&](const char* what, std::vector<double> Program::*times) {
        std::printf("start to %s, %d runs each, alternating (ms)\n", what, runs);
        for (const Program& program : programs) {
            if ((program.*times).empty())
                return;
            const Summary s = Summarise(program.*times);
            std::printf("  %-22s median %7.1f  min %7.1f  max %7.1f\n", program.name.c_str(), s.median, s.min, s.max);
        }
        const Summary empty = Summarise(programs.front().*times);
        const Summary theirs = Summarise(programs.back().*times);
        for (const Program& program : programs) {
            if (!program.hasList)
                continue;
            const Summary ours = Summarise(program.*times);
            std::printf("  %s / taskmgr: %.2f (medians), %.2f (minima); above the empty window: %.2f (medians), "
                        "%.2f (minima)\n",
                        program.name.c_str(), ours.median / theirs.median, ours.min / theirs.min,
                        RatioAbove(ours.median, empty.median, theirs.median),
                        RatioAbove(ours.min, empty.min, theirs.min));
        }
    };
    print("window shown", &Program::shown);
    print("window drawn and answering", &Program::answered);
    double floorMs = -1;
    if (!floorWith.empty()) {
        const Summary with = Summarise(floorWith), without = Summarise(floorWithout);
        floorMs = with.median - without.median;
        std::printf("one signature check in a fresh process (ms): %.1f (medians), %.1f (minima); "
                    "the process that checks nothing runs %.1f\n",
                    floorMs, with.min - without.min, without.median);
    }
    std::printf("window shown to every start-up entry's details shown (ms)\n");
    for (const Program& program : programs) {
        if (!program.hasList)
            continue;
        if (program.details.empty()) {
            std::printf("  %-22s not seen within 10 s\n", program.name.c_str());
            continue;
        }
        const Summary s = Summarise(program.details);
        std::printf("  %-22s median %7.1f  min %7.1f  max %7.1f  (%zu of %d runs)", program.name.c_str(), s.median,
                    s.min, s.max, program.details.size(), runs);
        if (floorMs >= 0)
            std::printf("  above the one-check floor: %.1f", s.median - floorMs);
        std::printf("\n");
    }
    // Beside the window's start to every entry's details: the same reading
    // without a window, with the impact, the times and the hashes besides.
    const Summary save = Summarise(saves);
    std::printf("Quorvane /save FILE of the start-up list, start to exit (ms): median %.1f  min %.1f  max %.1f "
                "(%d runs)\n",
                save.median, save.min, save.max, runs);
    const Program& quorvane = programs[1];
    if (!quorvane.details.empty()) {
        const double window = Summarise(quorvane.shown).median + Summarise(quorvane.details).median;
        std::printf("  the window's start to every entry's details shown, median %.1f: /save takes %.2f of it\n",
                    window, save.median / window);
    }
    return 0;
}
