#include "pages/startup/StartupDlg.h"

#include "pages/startup/StartupMoves.h"
#include "pages/startup/StartupStore.h"
#include "pages/startup/StartupWatcher.h"
#include "pages/startup/WebSearch.h"
#include "res/resource.h"
#include "ui/ListColumns.h"

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

IMPLEMENT_DYNCREATE(CStartupDlg, CPropertyPage)

BEGIN_MESSAGE_MAP(CStartupDlg, CPropertyPage)
    ON_WM_DESTROY()
    ON_MESSAGE(CStartupDlg::kSourcesChangedMessage, OnSourcesChanged)
    ON_NOTIFY(NM_CUSTOMDRAW, IDC_STARTUP_LIST, OnCustomDraw)
    ON_NOTIFY(LVN_ITEMCHANGING, IDC_STARTUP_LIST, OnItemChanging)
    ON_LVN_ITEMCHANGED(IDC_STARTUP_LIST, OnItemChanged)
    ON_LVN_COLUMNCLICK(IDC_STARTUP_LIST, OnColumnClick)
    ON_BN_CLICKED(IDC_APPLY, OnApply)
    ON_BN_CLICKED(IDC_REVERT, OnRevertChanges)
    ON_BN_CLICKED(IDC_SEARCH, OnSearch)
END_MESSAGE_MAP()

bool CStartupDlg::s_programAscending = false;
bool CStartupDlg::s_locationAscending = false;

namespace {

enum Column { kProgramColumn, kLocationColumn, kPathColumn };

bool IsChecked(UINT state)
{
    return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

bool BoxChanges(const NMLISTVIEW& change)
{
    return (change.uChanged & LVIF_STATE) && ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK);
}

// The program's own texts, which are plain ASCII, for the narrow calls.
std::string AsciiText(const wchar_t* text)
{
    std::string ascii;
    for (; *text; ++text)
        ascii += *text < 0x80 ? static_cast<char>(*text) : '?';
    return ascii;
}

// Rows that appeared while the program runs stand out by this background.
constexpr COLORREF kNewRowColour = RGB(255, 240, 190);

// What the list's sort hands to the comparison of two row ids.
struct SortOrder {
    const StartupRowModel* rows;
    CStartupDlg::RowComparison compare;
    bool ascending;
};

int CALLBACK CompareRows(LPARAM first, LPARAM second, LPARAM order)
{
    const SortOrder& sort = *reinterpret_cast<const SortOrder*>(order);
    return (sort.rows->*sort.compare)(static_cast<std::size_t>(first), static_cast<std::size_t>(second),
                                      sort.ascending);
}

// Holds back the list's drawing while many rows change, then draws it once:
// otherwise every inserted row or changed box repaints on its own.
class ListRedrawPause {
public:
    explicit ListRedrawPause(CListCtrl& list) : m_list(list) { m_list.SendMessage(WM_SETREDRAW, FALSE); }
    ~ListRedrawPause()
    {
        m_list.SendMessage(WM_SETREDRAW, TRUE);
        ::InvalidateRect(m_list.m_hWnd, nullptr, TRUE);
    }
    ListRedrawPause(const ListRedrawPause&) = delete;
    ListRedrawPause& operator=(const ListRedrawPause&) = delete;

private:
    CListCtrl& m_list;
};

} // namespace

CStartupDlg::CStartupDlg() : CPropertyPage(IDD_STARTUP), m_sources(StartupSources())
{
}

CStartupDlg::~CStartupDlg() = default;

void CStartupDlg::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_STARTUP_LIST, m_listStartup);
    DDX_Control(pDX, IDC_APPLY, m_btnApply);
    DDX_Control(pDX, IDC_REVERT, m_btnRevert);
    DDX_Control(pDX, IDC_SEARCH, m_btnSearch);
}

BOOL CStartupDlg::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    // The Location column shows every source's text whole.
    std::vector<std::string> locations;
    for (const StartupSource& source : m_sources)
        locations.push_back(AsciiText(source.location));
    InsertListColumns(m_listStartup, {
        {"Program", LVCFMT_LEFT, 150, {}},
        {"Location", LVCFMT_LEFT, 100, locations},
        {"Execution Path", LVCFMT_LEFT, 350, {}},
    });
    m_listStartup.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    RefreshList();
    // Watched from the first reading on: whatever changes later is read again.
    m_watcher = std::make_unique<StartupWatcher>(m_sources, m_hWnd, kSourcesChangedMessage);
    return TRUE;
}

void CStartupDlg::OnDestroy()
{
    m_watcher.reset();
    Default();
}

BOOL CStartupDlg::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_F5) {
        RefreshList();
        return TRUE;
    }
    return CPropertyPage::PreTranslateMessage(pMsg);
}

LRESULT CStartupDlg::OnSourcesChanged(WPARAM, LPARAM)
{
    if (!m_watcher)
        return 0;
    // A move's message box runs a message loop: the list changes only once
    // Apply is done with it.
    m_pendingSources |= m_watcher->TakeChanges();
    if (!m_applying)
        RefreshSources(std::exchange(m_pendingSources, 0));
    return 0;
}

void CStartupDlg::RefreshList()
{
    if (m_watcher)
        m_watcher->TakeChanges(); // all is read now
    m_pendingSources = 0;
    RefreshSources(kAllSources);
}

void CStartupDlg::RefreshSources(SourceSet which)
{
    if (!which)
        return;
    m_listReady = false;
    const RowChanges changes = m_rows.Merge(ReadStartupEntries(m_sources, which), m_sources, which);
    {
        const ListRedrawPause pause(m_listStartup);
        if (!changes.changed.empty() || !changes.removed.empty())
            ShowChangedRows(changes);
        for (std::size_t id : changes.added)
            InsertRow(id);
        if (!changes.added.empty() && m_sortCompare) {
            SortOrder order{&m_rows, m_sortCompare, m_sortAscending};
            m_listStartup.SortItems(CompareRows, reinterpret_cast<LPARAM>(&order));
        }
    }
    m_listReady = true;
    UpdateButtons();
}

void CStartupDlg::ShowChangedRows(const RowChanges& changes)
{
    // Row ids to positions with one walk of the list.
    std::vector<int> items(m_rows.Size(), -1);
    for (int item = 0, count = m_listStartup.GetItemCount(); item < count; ++item) {
        const std::size_t id = RowId(item);
        if (id < items.size())
            items[id] = item;
    }
    for (std::size_t id : changes.changed) {
        if (items[id] < 0)
            continue;
        const StartupRow& row = m_rows.Row(id);
        m_listStartup.SetItemText(items[id], kPathColumn, row.command.c_str());
        m_listStartup.SetCheck(items[id], row.checked ? TRUE : FALSE);
    }
    std::vector<int> removed;
    for (std::size_t id : changes.removed)
        if (items[id] >= 0)
            removed.push_back(items[id]);
    std::sort(removed.begin(), removed.end(), std::greater<int>());
    for (int item : removed)
        m_listStartup.DeleteItem(item);
}

void CStartupDlg::InsertRow(std::size_t id)
{
    // The row id is given with the insert, so the check-box notifications of
    // this row already carry it.
    const StartupRow& row = m_rows.Row(id);
    const int item = m_listStartup.InsertItem(m_listStartup.GetItemCount(), row.name.c_str(), id);
    m_listStartup.SetItemText(item, kLocationColumn, row.location);
    m_listStartup.SetItemText(item, kPathColumn, row.command.c_str());
    m_listStartup.SetCheck(item, row.checked ? TRUE : FALSE);
}

void CStartupDlg::OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult)
{
    NMLVCUSTOMDRAW* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(pNMHDR);
    *pResult = CDRF_DODEFAULT;
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
        *pResult = CDRF_NOTIFYITEMDRAW;
    } else if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        const std::size_t id = static_cast<std::size_t>(draw->nmcd.lItemlParam);
        if (id < m_rows.Size() && m_rows.Row(id).isNew)
            draw->clrTextBk = kNewRowColour;
    }
}

void CStartupDlg::OnItemChanging(NMHDR* pNMHDR, LRESULT* pResult)
{
    // The box of a row that cannot be switched shows its stored state only.
    const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
    *pResult = 0;
    if (change->iItem < 0 || !BoxChanges(*change))
        return;
    const std::size_t id = RowId(change->iItem);
    if (id < m_rows.Size() && !m_rows.Row(id).switchable
        && IsChecked(change->uNewState) != m_rows.Row(id).savedEnabled)
        *pResult = TRUE;
}

void CStartupDlg::OnItemChanged(NMLISTVIEW* pNMLV, LRESULT* pResult)
{
    *pResult = 0;
    if (BoxChanges(*pNMLV)) {
        auto follow = [this](int item, bool checked) {
            const std::size_t id = RowId(item);
            if (id >= m_rows.Size())
                return;
            const StartupRow& row = m_rows.Row(id);
            if (!row.switchable && checked != row.savedEnabled)
                m_listStartup.SetCheck(item, row.savedEnabled ? TRUE : FALSE); // a change that got through
            else
                m_rows.SetChecked(id, checked);
        };
        if (pNMLV->iItem >= 0) {
            follow(pNMLV->iItem, IsChecked(pNMLV->uNewState));
        } else {
            // A change of every row at once: read all boxes again.
            for (int item = 0, count = m_listStartup.GetItemCount(); item < count; ++item)
                follow(item, m_listStartup.GetCheck(item) != FALSE);
        }
    }
    UpdateButtons();
}

void CStartupDlg::UpdateButtons()
{
    // Every box change lands here, so a button is touched only when its state
    // changes: enabling a window is a round trip to the window server under Wine.
    auto enable = [](CButton& button, bool enabled) {
        if ((button.IsWindowEnabled() != FALSE) != enabled)
            button.EnableWindow(enabled ? TRUE : FALSE);
    };
    // The control counts its selection as it changes; looking for the first
    // selected row instead walks every row when none is selected.
    enable(m_btnSearch, m_listStartup.GetSelectedCount() > 0);
    const bool changed = m_listReady && m_rows.DifferingCount() > 0;
    enable(m_btnApply, changed);
    enable(m_btnRevert, changed);
}

void CStartupDlg::OnColumnClick(NMLISTVIEW* pNMLV, LRESULT* pResult)
{
    *pResult = 0;
    SortOrder order{&m_rows, nullptr, false};
    if (pNMLV->iSubItem == kProgramColumn) {
        s_programAscending = !s_programAscending;
        order.compare = &StartupRowModel::CompareProgram;
        order.ascending = s_programAscending;
    } else if (pNMLV->iSubItem == kLocationColumn) {
        s_locationAscending = !s_locationAscending;
        order.compare = &StartupRowModel::CompareLocation;
        order.ascending = s_locationAscending;
    } else {
        return; // "Execution Path" does not sort
    }
    m_sortCompare = order.compare;
    m_sortAscending = order.ascending;
    m_listStartup.SortItems(CompareRows, reinterpret_cast<LPARAM>(&order));
}

void CStartupDlg::OnApply()
{
    // No pause of the list's drawing here: a successful move leaves the list
    // as it is, and a failure's message box must not sit over a list that
    // does not repaint.
    m_applying = true;
    for (int item = 0; item < m_listStartup.GetItemCount();) {
        if (ApplyRow(item))
            ++item;
    }
    m_applying = false;
    RefreshSources(std::exchange(m_pendingSources, 0));
    UpdateButtons();
}

bool CStartupDlg::ApplyRow(int item)
{
    const std::size_t id = RowId(item);
    if (!m_rows.Differs(id))
        return true;
    m_listReady = false;
    const StartupRow& row = m_rows.Row(id);
    const bool switchOn = row.checked;
    // The entry is found by its name in its source; the list's texts are only shown.
    const MoveResult result = SwitchEntry(m_sources.at(row.source), row.place, row.name, switchOn);
    bool kept = true;
    switch (result.outcome) {
    case MoveOutcome::Moved:
        if (result.command != row.command)
            m_listStartup.SetItemText(item, kPathColumn, result.command.c_str());
        m_rows.SetMoved(id, switchOn, result.place, result.command);
        break;
    case MoveOutcome::Failed:
    case MoveOutcome::NameTaken:
        MessageBox(result.outcome == MoveOutcome::Failed ? kMoveFailedMessage : kNameTakenMessage, nullptr, MB_OK);
        m_listStartup.SetCheck(item, switchOn ? FALSE : TRUE);
        break;
    case MoveOutcome::Gone:
        MessageBox(kEntryGoneMessage, nullptr, MB_OK);
        m_rows.Remove(id);
        m_listStartup.DeleteItem(item);
        kept = false;
        break;
    }
    m_listReady = true;
    return kept;
}

void CStartupDlg::OnRevertChanges()
{
    const ListRedrawPause pause(m_listStartup);
    for (int item = 0, count = m_listStartup.GetItemCount(); item < count && m_rows.DifferingCount() > 0; ++item) {
        const std::size_t id = RowId(item);
        if (m_rows.Differs(id))
            m_listStartup.SetCheck(item, m_rows.Row(id).savedEnabled ? TRUE : FALSE);
    }
    UpdateButtons();
}

void CStartupDlg::OnSearch()
{
    const int item = m_listStartup.GetNextItem(-1, LVNI_SELECTED);
    if (item < 0)
        return;
    const std::size_t id = RowId(item);
    if (id < m_rows.Size())
        SearchWebForCommand(m_rows.Row(id).command);
}
