// The cost of one sampling cycle as the worker runs it: the CPU and memory
// snapshots, then the metrics page's refresh, which updates the page's
// controls through the user-interface thread: with the platform's own
// figures, and with figures that all change every cycle.
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

// Times each cycle on a thread of its own while this thread handles messages.
template <class Cycle>
Figures TimeCycles(int cycles, Cycle cycle)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    std::vector<double> micros;
    std::atomic<bool> done{false};
    std::thread sampler([&] {
        for (int i = 0; i < cycles; ++i) {
            LARGE_INTEGER a, b;
            ::QueryPerformanceCounter(&a);
            cycle();
            ::QueryPerformanceCounter(&b);
            micros.push_back(1e6 * static_cast<double>(b.QuadPart - a.QuadPart) /
                             static_cast<double>(frequency.QuadPart));
        }
        done = true;
    });
    PumpUntil([&] { return done.load(); }, 600000);
    sampler.join();
    return Summarise(micros);
}

} // namespace

int main(int argc, char** argv)
{
    const int cycles = argc > 1 ? std::max(10, std::atoi(argv[1])) : 2000;
    if (!theApp.InitInstance())
        return 1;
    // The worker stays idle so that only the measured cycles run.
    ::SendMessageA(theApp.m_pMainFrame->m_hWnd, WM_COMMAND, MAKEWPARAM(ID_UPDATESPEED_IDLE, 0), 0);
    CMainSheet* sheet = theApp.m_pMainFrame->m_pMainSheet;
    sheet->SetActivePage(1);
    PumpFor(200);

    CSystemMetrics& metrics = theApp.m_SystemMetrics;
    CMetricsDlg* page = sheet->m_pMetricsPage;
    const Figures snapshots = TimeCycles(cycles, [&] {
        metrics.UpdateCpuSnapshot();
        metrics.UpdateMemorySnapshot();
    });
    const Figures full = TimeCycles(cycles, [&] {
        metrics.UpdateCpuSnapshot();
        metrics.UpdateMemorySnapshot();
        page->RefreshMemoryAndCpu();
    });

    // The worst case: a probe whose every figure changes from one cycle to the next.
    auto state = std::make_shared<FakeMetricsState>();
    state->cpuStep = {1, 3, 0};
    metrics.SetProbe(std::make_unique<FakeMetricsProbe>(state));
    std::uint64_t step = 0;
    const auto changingCycle = [&] {
        {
            std::lock_guard<std::mutex> guard(state->lock);
            const std::uint64_t k = ++step % 2 + 1;
            state->memory = {k << 30, k << 28, 3 * k << 30, k << 29, 2 * k << 30, 0, 0};
            state->cpuStep = {k, 4, 0};
        }
        metrics.UpdateCpuSnapshot();
        metrics.UpdateMemorySnapshot();
        page->RefreshMemoryAndCpu();
    };
    const Figures changing = TimeCycles(cycles, changingCycle);

    // The same with the Start-Up tab in front: every control update is still
    // sent, but nothing of the metrics page is drawn.
    sheet->SetActivePage(0);
    PumpFor(200);
    const Figures hidden = TimeCycles(cycles, changingCycle);

    std::printf("one sampling cycle, %d cycles each (microseconds)\n", cycles);
    std::printf("  snapshots only                    median %8.1f  p90 %8.1f\n", snapshots.median, snapshots.p90);
    std::printf("  snapshots + page refresh          median %8.1f  p90 %8.1f\n", full.median, full.p90);
    std::printf("  same, every figure changing       median %8.1f  p90 %8.1f\n", changing.median, changing.p90);
    std::printf("  same, with the page hidden        median %8.1f  p90 %8.1f\n", hidden.median, hidden.p90);

    ::PostMessageA(theApp.m_pMainFrame->m_hWnd, WM_CLOSE, 0, 0);
    return theApp.Run();
}
