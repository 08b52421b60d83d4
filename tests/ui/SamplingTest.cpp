#include "AppFixture.h"

#include "app/MonitorApp.h"
#include "pages/metrics/MetricsDlg.h"
#include "res/resource.h"
#include "support/MessagePump.h"
#include "ui/MainFrame.h"
#include "ui/MainSheet.h"

#include <atomic>
#include <thread>

namespace {

int MemoryReads(FakeMetricsState& state)
{
    std::lock_guard<std::mutex> guard(state.lock);
    return state.memoryReads;
}

void Command(HWND frame, UINT id)
{
    ::SendMessageA(frame, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

std::string PhysicalTotalShown()
{
    char text[64] = {};
    ::GetDlgItemTextA(theApp.m_pMainFrame->m_pMainSheet->m_pMetricsPage->m_hWnd, IDC_PHYS_TOTAL, text, sizeof(text));
    return text;
}

void SetPhysicalTotal(FakeMetricsState& state, std::uint64_t bytes)
{
    std::lock_guard<std::mutex> guard(state.lock);
    state.memory.physTotal = bytes;
}

} // namespace

using Sampling = AppFixture;

TEST_F(Sampling, RetakesSnapshotsAtTheChosenSpeedAndNotAtIdle)
{
    StartApp();
    const int atStart = MemoryReads(*m_metrics);
    Command(Frame(), ID_UPDATESPEED_VERYFAST);
    ASSERT_TRUE(PumpUntil([&] { return MemoryReads(*m_metrics) >= atStart + 3; }, 4000))
        << "Very Fast samples every 500 ms";

    Command(Frame(), ID_UPDATESPEED_IDLE);
    PumpFor(600); // a sample under way when Idle was chosen ends; no other starts
    const int idle = MemoryReads(*m_metrics);
    const HWND bar = StatusBarOf(Frame());
    theApp.m_pMainFrame->m_wndStatusBar.SetPaneText(0, "-");
    ASSERT_TRUE(PumpUntil([&] { return PaneText(bar, 0) == "Processes: 42"; }, 1500))
        << "the status bar keeps being rewritten while idle";
    PumpFor(600);
    EXPECT_EQ(MemoryReads(*m_metrics), idle);

    Command(Frame(), ID_UPDATESPEED_FAST);
    EXPECT_TRUE(PumpUntil([&] { return MemoryReads(*m_metrics) > idle; }, 2000));
}

// Closing must not wait for a running sleep, even at Very Slow (5 s).
TEST_F(Sampling, ClosingAtVerySlowEndsPromptly)
{
    StartApp();
    theApp.m_pMainFrame->m_pMainSheet->SetActivePage(1);
    Command(Frame(), ID_UPDATESPEED_VERYSLOW);
    const int before = MemoryReads(*m_metrics);
    PumpUntil([&] { return MemoryReads(*m_metrics) > before; }, 6000);
    PumpFor(100); // the worker is asleep now

    const ULONGLONG start = ::GetTickCount64();
    ::PostMessageA(Frame(), WM_CLOSE, 0, 0);
    EXPECT_EQ(theApp.Run(), 0);
    const ULONGLONG elapsed = ::GetTickCount64() - start;
    std::printf("closed in %llu ms\n", elapsed);
    EXPECT_LT(elapsed, 1000u);
}

TEST_F(Sampling, ExitAtVerySlowEndsPromptlyAndStopsTheWorker)
{
    StartApp();
    theApp.m_pMainFrame->m_pMainSheet->SetActivePage(1);
    Command(Frame(), ID_UPDATESPEED_VERYSLOW);
    PumpFor(100);
    const ULONGLONG start = ::GetTickCount64();
    ::PostMessageA(Frame(), WM_COMMAND, MAKEWPARAM(ID_FILE_EXIT, 0), 0);
    EXPECT_EQ(theApp.Run(), 0);
    EXPECT_LT(::GetTickCount64() - start, 1000u);

    // After ExitInstance nothing samples any more, though the window is still open.
    const int after = MemoryReads(*m_metrics);
    Command(Frame(), ID_UPDATESPEED_VERYFAST);
    PumpFor(700);
    EXPECT_EQ(MemoryReads(*m_metrics), after);
}

// While the metrics page cannot be seen its figures are not drawn; the moment
// it can be seen again it shows the latest ones, without waiting for a cycle.
TEST_F(Sampling, APageThatCannotBeSeenIsBroughtUpToDateWhenItCanBe)
{
    const struct {
        const char* name;
        void (*hide)(HWND frame);
        void (*show)(HWND frame);
    } ways[] = {
        {"another tab", [](HWND) { theApp.m_pMainFrame->m_pMainSheet->SetActivePage(0); },
         [](HWND) { theApp.m_pMainFrame->m_pMainSheet->SetActivePage(1); }},
        {"minimised", [](HWND frame) { ::ShowWindow(frame, SW_MINIMIZE); },
         [](HWND frame) { ::ShowWindow(frame, SW_RESTORE); }},
    };
    StartApp();
    theApp.m_pMainFrame->m_pMainSheet->SetActivePage(1);
    ASSERT_EQ(PhysicalTotalShown(), "512.0 M");
    std::uint64_t total = 512ull << 20;
    for (const auto& way : ways) {
        way.hide(Frame());
        total += 512ull << 20;
        SetPhysicalTotal(*m_metrics, total);
        const std::string shownBefore = PhysicalTotalShown();
        Command(Frame(), ID_UPDATESPEED_VERYFAST);
        const int reads = MemoryReads(*m_metrics);
        ASSERT_TRUE(PumpUntil([&] { return MemoryReads(*m_metrics) >= reads + 2; }, 3000)) << way.name;
        Command(Frame(), ID_UPDATESPEED_IDLE);
        PumpFor(100);
        EXPECT_EQ(PhysicalTotalShown(), shownBefore) << way.name << ": nothing is set while unseen";

        way.show(Frame());
        char expected[32];
        std::snprintf(expected, sizeof(expected), "%.1f M", static_cast<double>(total >> 20));
        EXPECT_EQ(PhysicalTotalShown(), expected) << way.name;
    }
}

// The worker hands its figures over and goes on: a user-interface thread that
// is busy for a while delays no sample, and then shows the newest figures.
TEST_F(Sampling, TheWorkerNeverWaitsForTheUserInterfaceThread)
{
    StartApp();
    theApp.m_pMainFrame->m_pMainSheet->SetActivePage(1);
    Command(Frame(), ID_UPDATESPEED_VERYFAST);
    const int atStart = MemoryReads(*m_metrics);
    ASSERT_TRUE(PumpUntil([&] { return MemoryReads(*m_metrics) >= atStart + 2; }, 4000)) << "Very Fast under way";
    std::atomic<bool> busy{true};
    std::thread changer([&] {
        for (std::uint64_t megabytes = 600; busy; megabytes += 8) {
            SetPhysicalTotal(*m_metrics, megabytes << 20);
            ::Sleep(50);
        }
        SetPhysicalTotal(*m_metrics, 4096ull << 20);
    });
    const int reads = MemoryReads(*m_metrics);
    ::Sleep(1600); // no message is handled meanwhile
    const int readsWhileBusy = MemoryReads(*m_metrics) - reads;
    busy = false;
    changer.join();
    EXPECT_GE(readsWhileBusy, 2);
    EXPECT_TRUE(PumpUntil([] { return PhysicalTotalShown() == "4096.0 M"; }, 2000));
}

TEST_F(Sampling, TheWorkerDoesThePagesJobsInSharesBetweenSamplesAndDropsThemWhenItStops)
{
    StartApp();
    Command(Frame(), ID_UPDATESPEED_VERYFAST);
    std::atomic<int> shares{0};
    std::atomic<DWORD> sharedOn{0};
    std::atomic<int> priority{0};
    ASSERT_TRUE(theApp.m_workerJobs.Post([&](bool dropped) {
        if (dropped)
            return false;
        sharedOn = ::GetCurrentThreadId();
        priority = ::GetThreadPriority(::GetCurrentThread());
        ::Sleep(20);
        return ++shares < 30; // about 600 ms of work
    }));
    const int readsBefore = MemoryReads(*m_metrics);
    ASSERT_TRUE(PumpUntil([&] { return shares.load() == 30; }, 10000));
    EXPECT_NE(sharedOn.load(), ::GetCurrentThreadId());
    EXPECT_EQ(priority.load(), THREAD_PRIORITY_BELOW_NORMAL);
    EXPECT_GE(MemoryReads(*m_metrics) - readsBefore, 1) << "samples went on between the shares";

    // A job that never ends is dropped, once, when the worker stops; then none is taken.
    std::atomic<int> dropped{0};
    ASSERT_TRUE(theApp.m_workerJobs.Post([&](bool isDropped) {
        dropped += isDropped;
        ::Sleep(5);
        return true;
    }));
    theApp.StopSamplingWorker();
    EXPECT_EQ(dropped.load(), 1);
    EXPECT_FALSE(theApp.m_workerJobs.Post([](bool) { return false; }));
}

TEST_F(Sampling, ClosingDoesNotWaitForAJobThatWaitsForAnotherProcess)
{
    StartApp();
    // A job inside a call to another process that does not answer, and one
    // queued behind it.
    std::atomic<bool> answered{false}, started{false};
    std::atomic<int> dropped{0};
    ASSERT_TRUE(theApp.m_workerJobs.Post([&](bool isDropped) {
        started = true;
        while (!isDropped && !answered)
            ::Sleep(5);
        return false;
    }));
    ASSERT_TRUE(theApp.m_workerJobs.Post([&](bool isDropped) {
        dropped += isDropped;
        return false;
    }));
    ASSERT_TRUE(PumpUntil([&] { return started.load(); }, 5000));
    theApp.m_pMainWnd->DestroyWindow();
    EXPECT_FALSE(answered) << "the window closed while the job still waited";
    EXPECT_EQ(dropped.load(), 1) << "the job behind it is dropped, not waited for";
    EXPECT_TRUE(theApp.LeftThreadsRunning()) << "so the program ends without the worker";
    answered = true;
    theApp.StopSamplingWorker();
    EXPECT_FALSE(theApp.LeftThreadsRunning()) << "a worker that stopped meanwhile is waited for";
}
