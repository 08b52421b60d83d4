#include "AppFixture.h"

#include "app/MonitorApp.h"
#include "support/MessagePump.h"
#include "ui/MainFrame.h"
#include "ui/MainSheet.h"

#include "framework/MessageBox.h"

#include <commctrl.h>

void AppFixture::SetUp()
{
    m_registry = std::make_unique<RegistrySandbox>();
    {
        std::lock_guard<std::mutex> guard(m_metrics->lock);
        m_metrics->processes = 42;
        m_metrics->memory.physTotal = 512ull << 20;
        m_metrics->memory.physAvail = 128ull << 20;
        m_metrics->memory.pageFileTotal = 1ull << 30;
        m_metrics->memory.pageFileAvail = 256ull << 20;
        m_metrics->memory.virtualTotal = 2ull << 30;
        m_metrics->cpu = {750, 1000, 0}; // 25% busy since boot
        m_metrics->cpuStep = {75, 100, 0}; // and in every interval after
    }
    theApp.m_SystemMetrics.SetProbe(std::make_unique<FakeMetricsProbe>(m_metrics));
    fw::SetMessageBoxFunction([this](HWND owner, const char* text, const char* caption, UINT type) {
        m_messages.push_back({owner, text ? text : "", caption ? caption : "", type});
        return IDOK;
    });
}

void AppFixture::TearDown()
{
    if (theApp.m_pMainWnd) {
        theApp.m_pMainWnd->DestroyWindow();
        PumpUntil([] { return theApp.m_pMainWnd == nullptr; }, 2000);
    }
    theApp.ExitInstance();
    fw::SetMessageBoxFunction({});
    fw::SetSocketStartupFunction({});
    fw::SetOleStartupFunction({});
    m_registry.reset();
}

void AppFixture::StartApp()
{
    ASSERT_TRUE(theApp.InitInstance());
    ASSERT_NE(theApp.m_pMainFrame, nullptr);
}

HWND AppFixture::Frame() const
{
    return theApp.m_pMainFrame ? theApp.m_pMainFrame->m_hWnd : nullptr;
}

HWND AppFixture::Sheet() const
{
    return theApp.m_pMainFrame->m_pMainSheet->m_hWnd;
}

HWND AppFixture::Tab() const
{
    return theApp.m_pMainFrame->m_pMainSheet->GetTabControl();
}

std::string PaneText(HWND statusBar, int pane)
{
    const LRESULT length = ::SendMessageA(statusBar, SB_GETTEXTLENGTHA, static_cast<WPARAM>(pane), 0);
    std::string text(LOWORD(length) + 1u, '\0');
    ::SendMessageA(statusBar, SB_GETTEXTA, static_cast<WPARAM>(pane), reinterpret_cast<LPARAM>(text.data()));
    text.resize(LOWORD(length));
    return text;
}

HWND StatusBarOf(HWND frame)
{
    return ::GetDlgItem(frame, AFX_IDW_STATUS_BAR);
}
