#include "pages/metrics/MetricsDlg.h"

#include "app/MonitorApp.h"
#include "pages/metrics/DriveRows.h"
#include "pages/metrics/GaugeBar.h"
#include "res/resource.h"
#include "ui/ListColumns.h"

#include <uxtheme.h>
#include <vssym32.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

IMPLEMENT_DYNAMIC(CMetricsDlg, CPropertyPage)

namespace {

// The largest drive whose figures must show whole.
constexpr std::uint64_t kLargestDriveBytes = 64ull << 40;

// Posted by the sampling worker: new figures wait in m_latest.
constexpr UINT WM_FIGURES_READY = WM_APP + 1;

std::vector<ListColumn> DriveColumns()
{
    std::vector<std::string> typeNames;
    for (unsigned int type = DRIVE_UNKNOWN; type <= DRIVE_RAMDISK; ++type)
        typeNames.push_back(DriveTypeName(type));
    const std::string largest = FormatByteCount(kLargestDriveBytes);
    return {
        {"Drive", LVCFMT_LEFT, 35, {"W:\\"}},
        {"Type", LVCFMT_CENTER, 100, typeNames},
        {"Size", LVCFMT_RIGHT, 120, {largest}},
        {"Used", LVCFMT_RIGHT, 120, {largest}},
        {"Free", LVCFMT_RIGHT, 120, {largest}},
    };
}

} // namespace

BEGIN_MESSAGE_MAP(CMetricsDlg, CPropertyPage)
    ON_BN_CLICKED(IDC_UPDATE_DRIVES, OnBnClickedUpdateDrives)
    ON_MESSAGE(WM_FIGURES_READY, OnFiguresReady)
    ON_MESSAGE(WM_SHOWWINDOW, OnShowWindow)
    ON_MESSAGE(WM_THEMECHANGED, OnThemeChanged)
END_MESSAGE_MAP()

CMetricsDlg::CMetricsDlg() : CPropertyPage(IDD_METRICS)
{
}

void CMetricsDlg::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PROGRESS_ALL, m_progAllMemory);
    DDX_Control(pDX, IDC_PROGRESS_PHYS, m_progPhysical);
    DDX_Control(pDX, IDC_ALL_TOTAL, m_stcAllTotal);
    DDX_Control(pDX, IDC_ALL_USED, m_stcAllUsed);
    DDX_Control(pDX, IDC_ALL_FREE, m_stcAllFree);
    DDX_Control(pDX, IDC_PROGRESS_PAGE, m_progPageFile);
    DDX_Control(pDX, IDC_PAGE_TOTAL, m_stcPageTotal);
    DDX_Control(pDX, IDC_PAGE_USED, m_stcPageUsed);
    DDX_Control(pDX, IDC_PAGE_FREE, m_stcPageFree);
    DDX_Control(pDX, IDC_PHYS_TOTAL, m_stcPhysTotal);
    DDX_Control(pDX, IDC_PHYS_USED, m_stcPhysUsed);
    DDX_Control(pDX, IDC_PHYS_FREE, m_stcPhysFree);
    DDX_Control(pDX, IDC_PERCENT_ALL, m_stcAllPercent);
    DDX_Control(pDX, IDC_PERCENT_PAGE, m_stcPagePercent);
    DDX_Control(pDX, IDC_PERCENT_PHYS, m_stcPhysPercent);
    DDX_Control(pDX, IDC_PROGRESS_CPU, m_progCpu);
    DDX_Control(pDX, IDC_PERCENT_CPU, m_stcCpuPercent);
    DDX_Control(pDX, IDC_CPU_VENDOR, m_stcManufacturer);
    DDX_Control(pDX, IDC_CPU_FREQUENCY, m_stcFrequency);
    DDX_Control(pDX, IDC_DRIVES_LIST, m_listDrives);
    DDX_Control(pDX, IDC_TOTAL_ALLOCABLE, m_stcAllocable);
    DDX_Control(pDX, IDC_UPDATE_DRIVES, m_btnUpdateDrives);
}

BOOL CMetricsDlg::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    {
        // The processor's identity does not change while the program runs.
        CPUInfo cpu;
        m_stcManufacturer.SetWindowText(cpu.GetVendorID());
        m_stcFrequency.SetWindowText(FormatClockFrequency(cpu.GetProcessorClockFrequency()).c_str());

        m_listDrives.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
        InsertListColumns(m_listDrives, DriveColumns());

        m_uiThreadId = ::GetCurrentThreadId();
        m_bInitialized = true;
        RefreshMemoryAndCpu();
        FillDrivesList();
    }
    return TRUE;
}

CProgressCtrl& CMetricsDlg::Gauge(int controlId)
{
    switch (controlId) {
    case IDC_PROGRESS_ALL: return m_progAllMemory;
    case IDC_PROGRESS_PAGE: return m_progPageFile;
    case IDC_PROGRESS_PHYS: return m_progPhysical;
    case IDC_PROGRESS_CPU: return m_progCpu;
    }
    throw std::logic_error("no gauge with this id");
}

CStatic& CMetricsDlg::Text(int controlId)
{
    switch (controlId) {
    case IDC_ALL_TOTAL: return m_stcAllTotal;
    case IDC_ALL_USED: return m_stcAllUsed;
    case IDC_ALL_FREE: return m_stcAllFree;
    case IDC_PERCENT_ALL: return m_stcAllPercent;
    case IDC_PAGE_TOTAL: return m_stcPageTotal;
    case IDC_PAGE_USED: return m_stcPageUsed;
    case IDC_PAGE_FREE: return m_stcPageFree;
    case IDC_PERCENT_PAGE: return m_stcPagePercent;
    case IDC_PHYS_TOTAL: return m_stcPhysTotal;
    case IDC_PHYS_USED: return m_stcPhysUsed;
    case IDC_PHYS_FREE: return m_stcPhysFree;
    case IDC_PERCENT_PHYS: return m_stcPhysPercent;
    case IDC_TOTAL_ALLOCABLE: return m_stcAllocable;
    }
    throw std::logic_error("no memory text with this id");
}

void CMetricsDlg::SetGauge(const GaugeSetting& gauge)
{
    std::optional<ShownGauge>& shown = m_shownGauges.at(static_cast<std::size_t>(gauge.controlId - kFirstShownId));
    CProgressCtrl& control = Gauge(gauge.controlId);
    if (!shown || shown->high != gauge.high) {
        // The CPU gauge's range is set with the 16-bit message, as it always was.
        if (gauge.controlId == IDC_PROGRESS_CPU)
            control.SetRange(0, static_cast<short>(gauge.high));
        else
            control.SetRange32(0, gauge.high);
        control.SetPos(gauge.position);
        shown = ShownGauge{gauge.high, gauge.position};
        return;
    }
    if (shown->position == gauge.position)
        return;
    if (IsWindowVisible() && DrawsSameBar(gauge.high, shown->position, gauge.position, BarLength(gauge.controlId)))
        return;
    control.SetPos(gauge.position);
    shown->position = gauge.position;
}

int CMetricsDlg::BarLength(int controlId)
{
    int& length = m_barLengths.at(static_cast<std::size_t>(controlId - kFirstShownId));
    if (length == 0) {
        const HWND gauge = Gauge(controlId).m_hWnd;
        RECT client{};
        ::GetClientRect(gauge, &client);
        RECT content{};
        const HTHEME theme = ::GetWindowTheme(gauge);
        if (theme && SUCCEEDED(::GetThemeBackgroundContentRect(theme, nullptr, PP_BARVERT, 0, &client, &content)))
            length = content.bottom - content.top;
        else
            length = client.bottom - 2; // unthemed, a one-pixel frame all round
    }
    return length;
}

LRESULT CMetricsDlg::OnThemeChanged(WPARAM, LPARAM)
{
    m_barLengths.fill(0);
    return Default();
}

bool CMetricsDlg::TextChanges(int controlId, const std::string& text)
{
    std::optional<std::string>& shown = m_shownTexts.at(static_cast<std::size_t>(controlId - kFirstShownId));
    if (shown == text)
        return false;
    shown = text;
    return true;
}

CMetricsDlg::PanelFigures CMetricsDlg::ComputeFigures()
{
    return {ComputeMemoryPanel(*theApp.m_SystemMetrics.GetMemoryInfo()),
            ComputeCpuPanel(theApp.m_SystemMetrics.GetCpuInfo()->GetLoad())};
}

void CMetricsDlg::RefreshMemoryAndCpu()
{
    if (!m_bInitialized)
        return;
    PanelFigures figures = ComputeFigures();
    if (::GetCurrentThreadId() == m_uiThreadId) {
        {
            // Anything the worker left is older than these.
            std::lock_guard<std::mutex> guard(m_latestLock);
            m_latest.reset();
        }
        ShowFigures(figures);
        return;
    }
    {
        std::lock_guard<std::mutex> guard(m_latestLock);
        m_latest = std::move(figures);
    }
    if (!m_bFiguresPosted.exchange(true))
        PostMessage(WM_FIGURES_READY);
}

LRESULT CMetricsDlg::OnFiguresReady(WPARAM, LPARAM)
{
    // Cleared first: figures stored from now on need a message of their own.
    m_bFiguresPosted = false;
    if (CanBeSeen())
        TakeAndShowLatest();
    return 0;
}

LRESULT CMetricsDlg::OnShowWindow(WPARAM show, LPARAM)
{
    const LRESULT result = Default();
    // Still hidden here: the controls take the figures without drawing, and
    // the page is drawn whole when it appears.
    if (show)
        TakeAndShowLatest();
    return result;
}

void CMetricsDlg::ShowLatestFigures()
{
    if (m_hWnd && CanBeSeen())
        TakeAndShowLatest();
}

bool CMetricsDlg::CanBeSeen() const
{
    return IsWindowVisible() && !::IsIconic(::GetAncestor(m_hWnd, GA_ROOT));
}

void CMetricsDlg::TakeAndShowLatest()
{
    std::optional<PanelFigures> latest;
    {
        std::lock_guard<std::mutex> guard(m_latestLock);
        latest.swap(m_latest);
    }
    if (latest)
        ShowFigures(*latest);
}

// The memory gauges, the memory texts, then the CPU gauge and text, each in
// panel order; a control whose value is unchanged is not touched.
void CMetricsDlg::ShowFigures(const PanelFigures& figures)
{
    for (const GaugeSetting& gauge : figures.memory.gauges)
        SetGauge(gauge);
    for (const ControlText& text : figures.memory.texts)
        if (TextChanges(text.controlId, text.text))
            Text(text.controlId).SetWindowText(text.text.c_str());
    SetGauge(figures.cpu.gauge);
    if (TextChanges(IDC_PERCENT_CPU, figures.cpu.text.text))
        m_stcCpuPercent.SetWindowText(figures.cpu.text.text.c_str());
}

void CMetricsDlg::FillDrivesList()
{
    m_listDrives.DeleteAllItems();
    // The count is read again for every drive: a concurrent drives update may change it.
    for (unsigned int i = 0; i < theApp.m_SystemMetrics.GetNumDrives(); ++i) {
        const std::optional<DriveRow> row = MakeDriveRow(*theApp.m_SystemMetrics.GetDriveInfo(i));
        if (!row)
            continue;
        const int item = m_listDrives.InsertItem(m_listDrives.GetItemCount(), row->drive.c_str());
        m_listDrives.SetItemText(item, 1, row->type.c_str());
        m_listDrives.SetItemText(item, 2, row->size.c_str());
        m_listDrives.SetItemText(item, 3, row->used.c_str());
        m_listDrives.SetItemText(item, 4, row->free.c_str());
    }
}

void CMetricsDlg::OnBnClickedUpdateDrives()
{
    theApp.m_SystemMetrics.UpdateDrivesSnapshot();
    FillDrivesList();
}
