#include "AppFixture.h"

#include "app/MonitorApp.h"
#include "pages/metrics/MetricsDlg.h"
#include "pages/startup/page/StartupDlg.h"
#include "res/resource.h"
#include "support/MessagePump.h"
#include "ui/MainFrame.h"
#include "ui/MainSheet.h"

#include <commctrl.h>

namespace {

std::string WindowText(HWND hWnd)
{
    char text[256] = {};
    ::GetWindowTextA(hWnd, text, sizeof(text));
    return text;
}

std::string TabCaption(HWND tab, int index)
{
    char text[128] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    ::SendMessageA(tab, TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return text;
}

// Position changes sent to this thread's windows, counted by a hook.
int g_positionMessages = 0;

LRESULT CALLBACK CountPositionMessages(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && reinterpret_cast<const CWPSTRUCT*>(lParam)->message == WM_WINDOWPOSCHANGING)
        ++g_positionMessages;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

using MainWindow = AppFixture;

TEST_F(MainWindow, IsAFixedSizeCaptionedWindowTitledQuorvane)
{
    StartApp();
    const HWND frame = Frame();
    EXPECT_EQ(WindowText(frame), "Quorvane");
    EXPECT_TRUE(::IsWindowVisible(frame));

    const LONG style = ::GetWindowLongA(frame, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME) << "the user must not resize it";
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(::GetWindowLongA(frame, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_NE(::SendMessageA(frame, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(::GetMenu(frame), nullptr);
}

TEST_F(MainWindow, SizeIsSheetClientPlusStatusBarPlusFrame)
{
    StartApp();
    PumpFor(100);
    RECT window, client, sheet, status;
    ::GetWindowRect(Frame(), &window);
    ::GetClientRect(Frame(), &client);
    ::GetClientRect(Sheet(), &sheet);
    ::GetClientRect(StatusBarOf(Frame()), &status);
    const int dx = (window.right - window.left) - client.right;
    const int dy = (window.bottom - window.top) - client.bottom;
    EXPECT_EQ(window.right - window.left, sheet.right + dx);
    EXPECT_EQ(window.bottom - window.top, sheet.bottom + status.bottom + dy);

    // The sheet sits in the client area's top-left corner, the status bar at its bottom.
    RECT sheetWindow, statusWindow;
    ::GetWindowRect(Sheet(), &sheetWindow);
    ::GetWindowRect(StatusBarOf(Frame()), &statusWindow);
    POINT origin{0, 0};
    ::ClientToScreen(Frame(), &origin);
    EXPECT_EQ(sheetWindow.left, origin.x);
    EXPECT_EQ(sheetWindow.top, origin.y);
    EXPECT_EQ(statusWindow.bottom, origin.y + client.bottom);

    // A repaint fits a window that no longer fits, and leaves one that fits
    // as it is: no position messages.
    ::SetWindowPos(Frame(), nullptr, 0, 0, window.right - window.left + 30, window.bottom - window.top + 20,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowPos(Sheet(), nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::RedrawWindow(Frame(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT refitted;
    ::GetWindowRect(Frame(), &refitted);
    EXPECT_EQ(refitted.right - refitted.left, window.right - window.left);
    EXPECT_EQ(refitted.bottom - refitted.top, window.bottom - window.top);
    ::GetWindowRect(Sheet(), &sheetWindow);
    ::GetWindowRect(Frame(), &window);
    origin = {0, 0};
    ::ClientToScreen(Frame(), &origin);
    EXPECT_EQ(sheetWindow.left, origin.x);

    g_positionMessages = 0;
    const HHOOK hook = ::SetWindowsHookExA(WH_CALLWNDPROC, &CountPositionMessages, nullptr, ::GetCurrentThreadId());
    ::RedrawWindow(Frame(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ::UnhookWindowsHookEx(hook);
    EXPECT_EQ(g_positionMessages, 0);
}

TEST_F(MainWindow, SheetIsAChildWithStartUpThenSytemMetricsAndNoButtonRow)
{
    StartApp();
    const HWND sheet = Sheet();
    EXPECT_EQ(::GetParent(sheet), Frame());
    EXPECT_TRUE(::GetWindowLongA(sheet, GWL_STYLE) & WS_CHILD);
    EXPECT_FALSE(::GetWindowLongA(sheet, GWL_STYLE) & WS_CAPTION);

    ASSERT_EQ(::SendMessageA(Tab(), TCM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(TabCaption(Tab(), 0), "Start-Up");
    EXPECT_EQ(TabCaption(Tab(), 1), "Sytem Metrics");
    EXPECT_EQ(::SendMessageA(Tab(), TCM_GETCURSEL, 0, 0), 0);

    for (const int id : {IDOK, IDCANCEL, 0x3021, IDHELP}) {
        if (const HWND button = ::GetDlgItem(sheet, id)) {
            EXPECT_FALSE(::IsWindowVisible(button)) << "button " << id;
        }
    }
    // Trimmed to end just below the tabs.
    RECT tab, client;
    ::GetWindowRect(Tab(), &tab);
    ::MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&tab), 2);
    ::GetClientRect(sheet, &client);
    EXPECT_EQ(client.bottom, tab.bottom + tab.top);
}

TEST_F(MainWindow, MetricsPageWindowExistsOnlyAfterItsTabIsShown)
{
    StartApp();
    CMainSheet* sheet = theApp.m_pMainFrame->m_pMainSheet;
    EXPECT_NE(sheet->m_pStartupPage->m_hWnd, nullptr);
    EXPECT_EQ(sheet->m_pMetricsPage->m_hWnd, nullptr);
    EXPECT_FALSE(sheet->m_pMetricsPage->m_bInitialized);
    PumpFor(100);
    EXPECT_EQ(sheet->m_pMetricsPage->m_hWnd, nullptr);

    sheet->SetActivePage(1);
    EXPECT_NE(sheet->m_pMetricsPage->m_hWnd, nullptr);
    EXPECT_TRUE(sheet->m_pMetricsPage->m_bInitialized);
    EXPECT_EQ(WindowText(sheet->m_pMetricsPage->m_hWnd), "Sytem Metrics");
}

TEST_F(MainWindow, TabKeyMovesThroughTheSheetsDialogHandling)
{
    StartApp();
    ::SetForegroundWindow(Frame());
    PumpFor(50);
    const HWND tab = Tab();
    ::SetFocus(tab);
    MSG msg{tab, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    EXPECT_TRUE(theApp.PreTranslateMessage(&msg)) << "Tab must be consumed by the sheet's dialog handling";
    // Enter and Esc reach the sheet as IDOK and IDCANCEL and must not end it.
    ::SendMessageA(Sheet(), WM_COMMAND, IDOK, 0);
    ::SendMessageA(Sheet(), WM_COMMAND, IDCANCEL, 0);
    PumpFor(50);
    EXPECT_TRUE(::IsWindow(Sheet()));
    EXPECT_TRUE(::IsWindowVisible(Sheet()));
}

TEST_F(MainWindow, RepaintingDoesNotBringTheWindowToTheFront)
{
    StartApp();
    PumpFor(50);
    const HWND other = ::CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE | WS_CAPTION, 0, 0, 200, 200,
                                         nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    ::SetWindowPos(other, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetForegroundWindow(other);
    PumpFor(50);
    auto frameIsBelowOther = [&] {
        for (HWND h = ::GetWindow(other, GW_HWNDNEXT); h; h = ::GetWindow(h, GW_HWNDNEXT))
            if (h == Frame())
                return true;
        return false;
    };
    ASSERT_TRUE(frameIsBelowOther());

    ::RedrawWindow(Frame(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpFor(50);
    EXPECT_TRUE(frameIsBelowOther());
    EXPECT_NE(::GetActiveWindow(), Frame());
    ::DestroyWindow(other);
}

TEST_F(MainWindow, RunTimeClassNames)
{
    StartApp();
    CMainFrame* frame = theApp.m_pMainFrame;
    EXPECT_STREQ(frame->GetRuntimeClass()->m_lpszClassName, "CMainFrame");
    EXPECT_TRUE(frame->IsKindOf(RUNTIME_CLASS(CFrameWnd)));
    EXPECT_STREQ(frame->m_pMainSheet->GetRuntimeClass()->m_lpszClassName, "CMainSheet");
    EXPECT_STREQ(frame->m_pMainSheet->m_pMetricsPage->GetRuntimeClass()->m_lpszClassName, "CMetricsDlg");
    EXPECT_STREQ(frame->m_pMainSheet->m_pStartupPage->GetRuntimeClass()->m_lpszClassName, "CStartupDlg");
    EXPECT_TRUE(frame->m_pMainSheet->m_pStartupPage->IsKindOf(RUNTIME_CLASS(CPropertyPage)));

    // The start-up page can be made from its run-time class alone.
    CCmdTarget* made = RUNTIME_CLASS(CStartupDlg)->CreateObject();
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CStartupDlg)));
    delete made;
    EXPECT_EQ(RUNTIME_CLASS(CMainFrame)->CreateObject(), nullptr);
}
