#include "AppFixture.h"

#include "app/MonitorApp.h"
#include "res/resource.h"
#include "support/MessagePump.h"
#include "ui/MainFrame.h"
#include "ui/MainSheet.h"

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
