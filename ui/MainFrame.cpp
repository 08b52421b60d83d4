#include "ui/MainFrame.h"

#include "app/MonitorApp.h"
#include "app/StartupSteps.h"
#include "pages/metrics/MetricsDlg.h"
#include "res/resource.h"
#include "ui/MainSheet.h"
#include "ui/MenuBitmap.h"
#include "ui/StatusBarText.h"

#include <cstdint>
#include <iterator>
#include <new>
#include <string>

IMPLEMENT_DYNAMIC(CMainFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_TIMER()
    ON_WM_SIZE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {

const UINT kIndicators[] = {
    IDS_INDICATOR_PROCESSES,
    IDS_INDICATOR_CPU,
    IDS_INDICATOR_MEMORY,
};

constexpr UINT kStatusPeriodMs = 500;

// The indicators' trailing spaces reserve room for everyday figures; the
// panes must also hold the widest texts: 99999 processes, a full load, and
// 1 TiB each of physical memory and page file.
constexpr unsigned int kMostProcesses = 99999;
constexpr unsigned long kFullLoad = 100;
constexpr std::uint64_t kLargestMemoryBytes = 1ull << 40;

// A caption, a system menu and a minimise box: no sizing border, no maximise box.
constexpr DWORD kFrameStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | FWS_ADDTOTITLE;

} // namespace

CMainFrame::~CMainFrame()
{
    m_bCreated = FALSE;
    delete m_pMainSheet;
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (!CFrameWnd::PreCreateWindow(cs))
        return FALSE;
    cs.style = kFrameStyle;
    cs.dwExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
    cs.lpszClass = AfxRegisterWndClass(0, nullptr, nullptr, nullptr);
    return cs.lpszClass != nullptr;
}

BOOL CMainFrame::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    return CFrameWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CMainFrame::IsCreated() const
{
    return m_bCreated;
}

int CMainFrame::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CFrameWnd::OnCreate(lpCreateStruct) == -1)
        return -1;

    m_pMainSheet = new (std::nothrow) CMainSheet("Main Sheet", this, 0);
    if (!m_pMainSheet)
        return -1;
    if (!m_pMainSheet->Create(this, WS_CHILD | WS_VISIBLE | WS_BORDER, 0))
        return -1;
    StartupStepDone("sheet and start-up page");

    if (!m_wndStatusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR))
        return -1;
    if (!m_wndStatusBar.SetIndicators(kIndicators, static_cast<int>(std::size(kIndicators))))
        return -1;
    const std::string widestTexts[] = {
        FormatProcessesText(kMostProcesses),
        FormatCpuText(kFullLoad),
        FormatVirtualMemoryText(kLargestMemoryBytes, kLargestMemoryBytes, kLargestMemoryBytes, kLargestMemoryBytes),
    };
    for (int pane = 0; pane < static_cast<int>(std::size(widestTexts)); ++pane)
        m_wndStatusBar.WidenPaneToFit(pane, widestTexts[pane].c_str());
    m_wndStatusBar.ShowWindow(SW_SHOWNORMAL);

    ResizeToSheet();
    m_bCreated = TRUE;
    SetTimer(STATUS_TIMER_ID, kStatusPeriodMs, nullptr);
    return 0;
}

void CMainFrame::OnPaint()
{
    Default();
    // A repaint must not bring the window to the front or activate it.
    FitToSheet(SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMainFrame::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == STATUS_TIMER_ID)
        UpdateStatusBar();
    else
        Default();
}

void CMainFrame::OnSize(UINT nType, int cx, int cy)
{
    CFrameWnd::OnSize(nType, cx, cy);
    // The metrics page draws nothing while the window is minimised.
    if (nType != SIZE_MINIMIZED && m_pMainSheet && m_pMainSheet->m_pMetricsPage)
        m_pMainSheet->m_pMetricsPage->ShowLatestFigures();
}

void CMainFrame::OnDestroy()
{
    // The worker reaches the metrics page through this frame: it must be
    // stopped while the frame, the sheet and the pages still exist.
    theApp.StopSamplingWorker();
    Default();
}

void CMainFrame::ResizeToSheet()
{
    FitToSheet(0);
}

void CMainFrame::FitToSheet(UINT extraFlags)
{
    if (!m_pMainSheet || !m_pMainSheet->GetSafeHwnd())
        return;

    RECT window;
    RECT client;
    GetWindowRect(&window);
    GetClientRect(&client);
    const int dx = (window.right - window.left) - client.right;
    const int dy = (window.bottom - window.top) - client.bottom;

    // The sheet's client size: its own border is not counted.
    RECT sheet;
    m_pMainSheet->GetClientRect(&sheet);

    int statusHeight = 0;
    if (m_wndStatusBar.GetSafeHwnd()) {
        RECT status;
        m_wndStatusBar.GetClientRect(&status);
        statusHeight = status.bottom;
    }

    // A window that already fits is left as it is: each move of it would be
    // another round of position messages, and under Wine of the display's.
    const int width = sheet.right + dx;
    const int height = sheet.bottom + statusHeight + dy;
    RECT placed;
    m_pMainSheet->GetWindowRect(&placed);
    POINT sheetCorner{placed.left, placed.top};
    ::ScreenToClient(m_hWnd, &sheetCorner);
    if (width == window.right - window.left && height == window.bottom - window.top && sheetCorner.x == 0
        && sheetCorner.y == 0)
        return;
    SetWindowPos(nullptr, 0, 0, width, height, SWP_NOMOVE | extraFlags);
    m_pMainSheet->SetWindowPos(nullptr, 0, 0, sheet.right, sheet.bottom, SWP_NOSIZE | extraFlags);
}

void CMainFrame::UpdateStatusBar()
{
    if (!IsCreated())
        return;
    const CSystemMetrics& metrics = theApp.m_SystemMetrics;

    m_wndStatusBar.SetPaneText(0, FormatProcessesText(metrics.GetNumProcesses()).c_str(), TRUE);
    m_wndStatusBar.SetPaneText(1, FormatCpuText(metrics.GetCpuInfo()->GetLoad()).c_str(), TRUE);

    const CMemoryInfo* memory = metrics.GetMemoryInfo();
    m_wndStatusBar.SetPaneText(2,
                               FormatVirtualMemoryText(memory->GetPhysTotal(), memory->GetPhysAvail(),
                                                       memory->GetPageFileTotal(), memory->GetPageFileAvail())
                                   .c_str(),
                               TRUE);
}

void CMainFrame::OfferRunAsAdministrator(bool offered)
{
    const HMENU file = ::GetSubMenu(GetMenu(), 0);
    if (!file)
        return;
    if (offered) {
        m_shieldBitmap = ShieldMenuBitmap();
        if (!m_shieldBitmap)
            return;
        MENUITEMINFOW item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_BITMAP;
        item.hbmpItem = static_cast<HBITMAP>(m_shieldBitmap.Get());
        if (!::SetMenuItemInfoW(file, ID_FILE_RUN_AS_ADMINISTRATOR, FALSE, &item))
            m_shieldBitmap.Reset();
        return;
    }
    const int count = ::GetMenuItemCount(file);
    for (int position = 0; position < count; ++position) {
        if (::GetMenuItemID(file, position) != ID_FILE_RUN_AS_ADMINISTRATOR)
            continue;
        ::DeleteMenu(file, static_cast<UINT>(position), MF_BYPOSITION);
        // The separator that set it apart from Exit goes with it.
        const UINT next = ::GetMenuState(file, static_cast<UINT>(position), MF_BYPOSITION);
        if (next != static_cast<UINT>(-1) && (next & MF_SEPARATOR))
            ::DeleteMenu(file, static_cast<UINT>(position), MF_BYPOSITION);
        ::DrawMenuBar(m_hWnd);
        return;
    }
}
