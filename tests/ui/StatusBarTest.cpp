#include "AppFixture.h"

#include "app/MonitorApp.h"
#include "support/MessagePump.h"
#include "ui/MainFrame.h"

#include <commctrl.h>

namespace {

const char* const kIndicators[] = {
    "Processes:            ",
    "CPU:              ",
    "Memory:                                                                        ",
};

int PaneWidth(HWND bar, int pane)
{
    RECT rect{};
    ::SendMessageA(bar, SB_GETRECT, static_cast<WPARAM>(pane), reinterpret_cast<LPARAM>(&rect));
    return rect.right - rect.left;
}

int TextWidth(HWND bar, const char* text)
{
    HDC dc = ::GetDC(bar);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(bar, WM_GETFONT, 0, 0)));
    SIZE extent{};
    ::GetTextExtentPoint32A(dc, text, static_cast<int>(strlen(text)), &extent);
    ::SelectObject(dc, old);
    ::ReleaseDC(bar, dc);
    return extent.cx;
}

} // namespace

using StatusBar = AppFixture;

TEST_F(StatusBar, ShowsTheIndicatorsUntilTheFirstTickThenTheLiveTexts)
{
    StartApp();
    const HWND bar = StatusBarOf(Frame());
    ASSERT_EQ(::SendMessageA(bar, SB_GETPARTS, 0, 0), 3);
    for (int pane = 0; pane < 3; ++pane)
        EXPECT_EQ(PaneText(bar, pane), kIndicators[pane]) << "pane " << pane;

    ASSERT_TRUE(PumpUntil([&] { return PaneText(bar, 0) != kIndicators[0]; }, 1000))
        << "the panes must be rewritten within a second";
    EXPECT_EQ(PaneText(bar, 0), "Processes: 42");
    EXPECT_EQ(PaneText(bar, 1), "CPU: 25%");
    EXPECT_EQ(PaneText(bar, 2), "Virtual Memory: 384 M Free / 1536 M Total");
}

TEST_F(StatusBar, FollowsNewSnapshotsButKeepsTheStartUpProcessCount)
{
    StartApp();
    const HWND bar = StatusBarOf(Frame());
    {
        std::lock_guard<std::mutex> guard(m_metrics->lock);
        m_metrics->processes = 99;
        m_metrics->memory.physAvail = 1572864;
        m_metrics->memory.pageFileAvail = 1572864;
        m_metrics->cpuStep = {25, 100, 0}; // 75 of 100 busy
    }
    // The first reading may still span an interval of the old load, if the
    // worker has not sampled since the start; the second spans the new one.
    theApp.m_SystemMetrics.UpdateCpuSnapshot();
    theApp.m_SystemMetrics.UpdateCpuSnapshot();
    theApp.m_SystemMetrics.UpdateMemorySnapshot();
    ASSERT_TRUE(PumpUntil([&] { return PaneText(bar, 1) == "CPU: 75%"; }, 1500));
    EXPECT_EQ(PaneText(bar, 0), "Processes: 42");
    EXPECT_EQ(PaneText(bar, 2), "Virtual Memory: 3 M Free / 1536 M Total");
}

TEST_F(StatusBar, PanesHoldTheirIndicatorsAndNeverGrow)
{
    StartApp();
    const HWND bar = StatusBarOf(Frame());
    int widths[3];
    int previousRight = 0;
    for (int pane = 0; pane < 3; ++pane) {
        widths[pane] = PaneWidth(bar, pane);
        EXPECT_GE(widths[pane], TextWidth(bar, kIndicators[pane])) << "pane " << pane;
        RECT rect{};
        ::SendMessageA(bar, SB_GETRECT, pane, reinterpret_cast<LPARAM>(&rect));
        EXPECT_GE(rect.left, previousRight);
        previousRight = rect.right;
    }
    RECT client;
    ::GetClientRect(bar, &client);
    EXPECT_LT(previousRight, client.right) << "the last pane does not stretch to the bar's end";

    const std::string longText(400, 'W');
    theApp.m_pMainFrame->m_wndStatusBar.SetPaneText(0, longText.c_str());
    PumpFor(20);
    EXPECT_EQ(PaneText(bar, 0), longText);
    for (int pane = 0; pane < 3; ++pane)
        EXPECT_EQ(PaneWidth(bar, pane), widths[pane]) << "pane " << pane;
}

TEST_F(StatusBar, AWidenedPaneMovesTheLaterPanesAlong)
{
    StartApp();
    CStatusBar& statusBar = theApp.m_pMainFrame->m_wndStatusBar;
    const HWND bar = StatusBarOf(Frame());
    const int widths[3] = {PaneWidth(bar, 0), PaneWidth(bar, 1), PaneWidth(bar, 2)};

    // A text that fits already changes nothing.
    ASSERT_TRUE(statusBar.WidenPaneToFit(1, "CPU:"));
    EXPECT_EQ(PaneWidth(bar, 1), widths[1]);

    const char longer[] = "Processes: 1234567890 1234567890";
    ASSERT_TRUE(statusBar.WidenPaneToFit(0, longer));
    EXPECT_GT(PaneWidth(bar, 0), TextWidth(bar, longer));
    EXPECT_EQ(PaneWidth(bar, 1), widths[1]);
    EXPECT_EQ(PaneWidth(bar, 2), widths[2]);
}
