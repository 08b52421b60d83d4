// The cost of one sampling cycle: the worker's snapshots and its hand-over of
// the page's figures, and the user-interface thread's work for them until
// everything they changed is drawn: with the platform's own figures, with
// figures that all change every cycle, and with a typical small change, the
// metrics page shown and hidden; and one status-bar tick whose texts change.
//
// Usage: sampling_cycle [cycles]

#include "app/MonitorApp.h"
#include "pages/metrics/MetricsDlg.h"
#include "res/resource.h"
#include "support/FakeMetricsProbe.h"
#include "support/MessagePump.h"
#include "ui/MainFrame.h"
#include "ui/MainSheet.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

struct Figures {
    double median, p90;
};

Figures Summarise(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return {samples[samples.size() / 2], samples[samples.size() * 9 / 10]};
}

double Microseconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return 1e6 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// A window of this thread that, posted to after a cycle's own messages, tells
// the cycle when they have all been handled and what they changed is drawn.
class CycleEnd {
public:
    CycleEnd()
    {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &Proc;
        windowClass.lpszClassName = "SamplingCycleEnd";
        ::RegisterClassA(&windowClass);
        m_window = ::CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     nullptr, nullptr);
        s_done = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    }
    // From the worker: returns once this thread has drawn everything.
    void Wait() const
    {
        ::PostMessageA(m_window, WM_APP, 0, 0);
        ::WaitForSingleObject(s_done, INFINITE);
    }

private:
    static LRESULT CALLBACK Proc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message != WM_APP)
            return ::DefWindowProcA(hWnd, message, wParam, lParam);
        ::UpdateWindow(theApp.m_pMainFrame->m_hWnd);
        ::RedrawWindow(theApp.m_pMainFrame->m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        ::SetEvent(s_done);
        return 0;
    }
    static inline HANDLE s_done = nullptr;
    HWND m_window;
};

// Times each cycle on a thread of its own while this thread handles messages.
template <class Cycle>
Figures TimeCycles(int cycles, Cycle cycle)
{
    std::vector<double> micros;
    std::atomic<bool> done{false};
    std::thread sampler([&] {
        for (int i = 0; i < cycles; ++i) {
            LARGE_INTEGER a, b;
            ::QueryPerformanceCounter(&a);
            cycle();
            ::QueryPerformanceCounter(&b);
            micros.push_back(Microseconds(a, b));
        }
        done = true;
    });
    PumpUntil([&] { return done.load(); }, 600000);
    sampler.join();
    return Summarise(micros);
}

// Times each call on this thread, with what it invalidated drawn.
template <class Work>
Figures TimeHere(int cycles, Work work)
{
    std::vector<double> micros;
    for (int i = 0; i < cycles; ++i) {
        LARGE_INTEGER a, b;
        ::QueryPerformanceCounter(&a);
        work();
        ::RedrawWindow(theApp.m_pMainFrame->m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        ::QueryPerformanceCounter(&b);
        micros.push_back(Microseconds(a, b));
    }
    return Summarise(micros);
}

void Print(const char* name, const Figures& f)
{
    std::printf("  %-48s median %8.1f  p90 %8.1f\n", name, f.median, f.p90);
}

} // namespace

int main(int argc, char** argv)
{
    const int cycles = argc > 1 ? std::max(10, std::atoi(argv[1])) : 1000;
    if (!theApp.InitInstance())
        return 1;
    // The worker stays idle so that only the measured cycles run.
    ::SendMessageA(theApp.m_pMainFrame->m_hWnd, WM_COMMAND, MAKEWPARAM(ID_UPDATESPEED_IDLE, 0), 0);
    CMainSheet* sheet = theApp.m_pMainFrame->m_pMainSheet;
    sheet->SetActivePage(1);
    PumpFor(200);
    const CycleEnd cycleEnd;

    CSystemMetrics& metrics = theApp.m_SystemMetrics;
    CMetricsDlg* page = sheet->m_pMetricsPage;
    std::printf("one sampling cycle, %d cycles each (microseconds)\n", cycles);
    Print("worker: snapshots only", TimeCycles(cycles, [&] {
              metrics.UpdateCpuSnapshot();
              metrics.UpdateMemorySnapshot();
          }));
    Print("worker: snapshots + hand-over, until drawn", TimeCycles(cycles, [&] {
              metrics.UpdateCpuSnapshot();
              metrics.UpdateMemorySnapshot();
              page->RefreshMemoryAndCpu();
              cycleEnd.Wait();
          }));

    // The worst case: a probe whose every figure changes from one cycle to the next.
    auto state = std::make_shared<FakeMetricsState>();
    state->cpuStep = {1, 3, 0};
    metrics.SetProbe(std::make_unique<FakeMetricsProbe>(state));
    std::uint64_t step = 0;
    const auto changeFigures = [&] {
        std::lock_guard<std::mutex> guard(state->lock);
        const std::uint64_t k = ++step % 2 + 1;
        state->memory = {k << 30, k << 28, 3 * k << 30, k << 29, 2 * k << 30, 0, 0};
        state->cpuStep = {k, 4, 0};
    };
    const auto changingCycle = [&] {
        changeFigures();
        metrics.UpdateCpuSnapshot();
        metrics.UpdateMemorySnapshot();
        page->RefreshMemoryAndCpu();
    };
    Print("worker: every figure changing, hand-over only", TimeCycles(cycles, changingCycle));
    Print("same, until drawn", TimeCycles(cycles, [&] {
              changingCycle();
              cycleEnd.Wait();
          }));
    Print("user-interface thread alone: figures shown, drawn", TimeHere(cycles, changingCycle));

    // A typical cycle: a few megabytes less free memory, the load a little
    // different; the texts change, the gauges' bars mostly do not.
    std::uint64_t freeBytes = 6ull << 30;
    const auto typicalCycle = [&] {
        {
            std::lock_guard<std::mutex> guard(state->lock);
            freeBytes -= 4ull << 20;
            state->memory = {16ull << 30, freeBytes, 20ull << 30, freeBytes + (1ull << 30), 128ull << 40, 0, 0};
            state->cpuStep = {++step % 2 ? 70u : 74u, 100, 0};
        }
        metrics.UpdateCpuSnapshot();
        metrics.UpdateMemorySnapshot();
        page->RefreshMemoryAndCpu();
    };
    Print("typical cycle, until drawn", TimeCycles(cycles, [&] {
              typicalCycle();
              cycleEnd.Wait();
          }));

    // The Start-Up tab in front: nothing of the metrics page is drawn.
    sheet->SetActivePage(0);
    PumpFor(200);
    Print("page hidden: worker's cycle until handled", TimeCycles(cycles, [&] {
              changingCycle();
              cycleEnd.Wait();
          }));

    // A status-bar tick whose CPU and memory texts both change.
    Print("status bar: a tick with two changed panes, drawn", TimeHere(cycles, [&] {
              changeFigures();
              metrics.UpdateCpuSnapshot();
              metrics.UpdateMemorySnapshot();
              theApp.m_pMainFrame->UpdateStatusBar();
          }));

    ::PostMessageA(theApp.m_pMainFrame->m_hWnd, WM_CLOSE, 0, 0);
    return theApp.Run();
}
