#include "pages/startup/page/StartupDlg.h"

#include "app/Elevation.h"
#include "app/MonitorApp.h"
#include "app/SamplingWorker.h"
#include "app/StartupSteps.h"
#include "pages/startup/page/BackgroundReadings.h"
#include "pages/startup/page/RowDetails.h"
#include "pages/startup/store/PlaceKind.h"
#include "pages/startup/store/StartupMoves.h"
#include "pages/startup/store/StartupStore.h"
#include "pages/startup/store/StartupWatcher.h"
#include "pages/startup/search/WebSearch.h"
#include "res/resource.h"
#include "ui/ListColumns.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

IMPLEMENT_DYNCREATE(CStartupDlg, CPropertyPage)

BEGIN_MESSAGE_MAP(CStartupDlg, CPropertyPage)
    ON_WM_DESTROY()
    ON_MESSAGE(CStartupDlg::kSourcesChangedMessage, OnSourcesChanged)
    ON_MESSAGE(CStartupDlg::kDetailsReadyMessage, OnDetailsReady)
    ON_MESSAGE(CStartupDlg::kShownMessage, OnShown)
    ON_MESSAGE(CStartupDlg::kSourcesReadMessage, OnSourcesRead)
    ON_MESSAGE(CStartupDlg::kImpactReadMessage, OnImpactRead)
    ON_WM_CONTEXTMENU()
    ON_COMMAND(ID_ENTRY_OPEN_LOCATION, OnOpenFileLocation)
    ON_COMMAND(ID_ENTRY_PROPERTIES, OnProperties)
    ON_COMMAND(ID_ENTRY_JUMP, OnJumpToEntry)
    ON_COMMAND(ID_ENTRY_SEARCH, OnSearch)
    ON_COMMAND(ID_ENTRY_COPY, OnCopy)
    ON_NOTIFY(NM_CUSTOMDRAW, IDC_STARTUP_LIST, OnCustomDraw)
    ON_NOTIFY(LVN_ITEMCHANGING, IDC_STARTUP_LIST, OnItemChanging)
    ON_LVN_ITEMCHANGED(IDC_STARTUP_LIST, OnItemChanged)
    ON_LVN_COLUMNCLICK(IDC_STARTUP_LIST, OnColumnClick)
    ON_BN_CLICKED(IDC_APPLY, OnApply)
    ON_BN_CLICKED(IDC_REVERT, OnRevertChanges)
    ON_BN_CLICKED(IDC_SEARCH, OnSearch)
    ON_CBN_SELCHANGE(IDC_STARTUP_GROUP, OnGroupChosen)
    ON_EN_CHANGE(IDC_STARTUP_FILTER, OnFilterChanged)
END_MESSAGE_MAP()

bool CStartupDlg::s_programAscending = false;
bool CStartupDlg::s_locationAscending = false;
bool CStartupDlg::s_impactAscending = false;
bool CStartupDlg::s_timeAscending = false;
CStartupDlg::ImpactReader CStartupDlg::s_readImpact = &ForEachUserStartupInfo;

namespace {

bool IsChecked(UINT state)
{
    return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

bool BoxChanges(const NMLISTVIEW& change)
{
    return (change.uChanged & LVIF_STATE) && ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK);
}

// The keys that ask for a window's context menu: the Menu key, Shift+F10.
bool IsMenuKey(const MSG& message)
{
    switch (message.message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
        return message.wParam == VK_APPS;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        return message.wParam == VK_F10 && ::GetKeyState(VK_SHIFT) < 0;
    default:
        return false;
    }
}

// The program's own texts, which are plain ASCII, for the narrow calls.
std::string AsciiText(const wchar_t* text)
{
    std::string ascii;
    for (; *text; ++text)
        ascii += *text < 0x80 ? static_cast<char>(*text) : '?';
    return ascii;
}

// Rows that appeared while the program runs, or since a saved list they are
// compared with, stand out by this background, rows whose program file is
// missing by their text. Compared with a saved list, rows whose command or
// publisher changed have a background of their own, and its entries that are
// gone grey text.
constexpr COLORREF kNewRowColour = RGB(255, 240, 190);
constexpr COLORREF kChangedRowColour = RGB(228, 220, 255);
constexpr COLORREF kMissingFileColour = RGB(192, 0, 0);

// Whether File offers to run the program again as administrator.
bool CanRunAsAdministrator()
{
    return MenuOffersElevation(CurrentElevation());
}

// The key or file that holds an entry, as one text: the entries of a key
// share it. Empty for an address that names neither.
std::wstring PlaceOf(const EntryAddress& address)
{
    if (!address.file.empty())
        return L"file:" + FoldedText(address.file);
    if (!address.hive)
        return {};
    return std::to_wstring(reinterpret_cast<std::uintptr_t>(address.hive)) + L':' + std::to_wstring(address.view)
           + L':' + FoldedText(address.keyPath);
}

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

CStartupDlg::CStartupDlg()
    : CPropertyPage(IDD_STARTUP), m_sources(StartupSources()), m_readings(std::make_shared<BackgroundReadings>())
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
    // The Time column fits a time of any digits.
    std::vector<std::string> times;
    for (char digit = '0'; digit <= '9'; ++digit) {
        std::string time = "0000-00-00T00:00:00Z";
        for (char& c : time)
            c = c == '0' ? digit : c;
        times.push_back(time);
    }
    InsertListColumns(m_listStartup, {
        {"Program", LVCFMT_LEFT, 150, {}},
        {"Location", LVCFMT_LEFT, 100, locations},
        {"Execution Path", LVCFMT_LEFT, 350, {}},
        {"Publisher", LVCFMT_LEFT, 200, {"(File not found)"}},
        {"Start-Up Impact", LVCFMT_LEFT, 90, {"Not measured"}},
        {"Time", LVCFMT_LEFT, 120, times},
    });
    m_listStartup.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    // The details worker is held until the window has been drawn: until
    // then it would only compete with the drawing. It works between the
    // samples on the sampling worker's thread while that runs.
    m_details = std::make_unique<RowDetails>(m_hWnd, kDetailsReadyMessage, ExamineFile, true,
                                             [](DetailsWorker::Job job) { return theApp.m_workerJobs.Post(std::move(job)); });
    {
        // The places whose reading asks other processes are read on the
        // sampling worker, from the reading that the watch starts with.
        const StartupWorkTimer timer("page: list filled");
        SourceSet first;
        for (std::size_t index = 0; index < m_sources.size(); ++index)
            if (!PlaceKindOf(m_sources[index].kind).ReadInBackground())
                first |= SourceSet::Of(index);
        RefreshSources(first, true);
    }
    // The message loop takes posted messages only once the window is shown
    // and drawn.
    PostMessage(kShownMessage);
    return TRUE;
}

LRESULT CStartupDlg::OnShown(WPARAM, LPARAM)
{
    if (m_watcher || !m_details)
        return 0;
    m_details->Resume();
    MakeFindControls();
    {
        const StartupWorkTimer timer("page: change notifications set up");
        m_watcher = std::make_unique<StartupWatcher>(m_sources, m_hWnd, kSourcesChangedMessage);
    }
    // What changed between the first reading and the start of the watch is
    // read now, with services and tasks on the sampling worker once the rows
    // on show have their details; from here on the watcher tells.
    const StartupWorkTimer timer("page: read again once watched");
    m_pendingSources = {};
    if (!ReadInBackground(SourceSet::All()))
        RefreshSources(SourceSet::All(), false);
    // Windows' measurements of the log-ons come last: they only fill a column.
    ReadImpactInBackground();
    return 0;
}

void CStartupDlg::OnDestroy()
{
    if (m_impactTip)
        ::DestroyWindow(std::exchange(m_impactTip, nullptr));
    m_watcher.reset();
    m_details.reset();
    Default();
}

BOOL CStartupDlg::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->hwnd == m_listStartup.m_hWnd && pMsg->message >= WM_MOUSEFIRST && pMsg->message <= WM_MOUSELAST)
        RelayToImpactTip(*pMsg);
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_F5) {
        RefreshList();
        return TRUE;
    }
    if (TakeFindKey(*pMsg))
        return TRUE;
    if (pMsg->hwnd == m_listStartup.m_hWnd && IsMenuKey(*pMsg)) {
        // The Menu key and Shift+F10 open the entry menu here, where the
        // dialog's own key handling does not swallow them; their release,
        // from which the system would open it a second time, goes too.
        if (pMsg->message == WM_KEYDOWN || pMsg->message == WM_SYSKEYDOWN)
            OnContextMenu(m_listStartup.m_hWnd, POINT{-1, -1});
        return TRUE;
    }
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == 'C' && pMsg->hwnd == m_listStartup.m_hWnd
        && ::GetKeyState(VK_CONTROL) < 0) {
        OnCopy();
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
        RefreshSources(std::exchange(m_pendingSources, {}), false);
    return 0;
}

void CStartupDlg::RefreshList()
{
    if (m_watcher)
        m_watcher->TakeChanges(); // all is read now
    m_pendingSources = {};
    EndComparison();
    RefreshSources(SourceSet::All(), true);
}

void CStartupDlg::RefreshSources(SourceSet which, bool everyRow)
{
    // A move's message box runs a message loop: the list changes only once
    // Apply is done with it.
    if (m_applying) {
        m_pendingSources |= which;
        return;
    }
    SourceSet now, aside;
    for (std::size_t index = 0; index < m_sources.size(); ++index) {
        if (which.Contains(index))
            (PlaceKindOf(m_sources[index].kind).ReadInBackground() ? aside : now) |= SourceSet::Of(index);
    }
    if (!aside.Empty() && !ReadInBackground(aside))
        now |= aside;
    if (!now.Empty()) {
        SourceSet failed;
        const std::vector<StartupEntry> entries = ReadStartupEntries(m_sources, now, &failed);
        ShowReading(now, entries, everyRow, failed);
    }
}

void CStartupDlg::ShowReading(SourceSet which, const std::vector<StartupEntry>& entries, bool everyRow,
                              const SourceSet& failed)
{
    m_listReady = false;
    // A failed reading is no account of the source's entries: its rows stay.
    m_failedSources = m_failedSources.Without(which, m_sources.size());
    m_failedSources |= failed;
    const RowChanges changes = m_rows.Merge(entries, m_sources, which, failed);
    // A reading of everything (F5) asks for every row's details again, which
    // only examines again the files that changed; otherwise the rows that
    // are new or whose command changed.
    std::vector<std::size_t> wanted;
    if (everyRow) {
        if (m_details)
            m_details->StartNewSet();
        for (std::size_t id = 0; id < m_rows.Size(); ++id)
            if (!m_rows.Row(id).removed)
                wanted.push_back(id);
    } else {
        wanted = changes.added;
        for (std::size_t id : changes.changed)
            if (!m_rows.Row(id).detailsKnown)
                wanted.push_back(id);
        // An entry that came, changed or went wrote its key (or its file):
        // the time of every entry kept there is read again. Not for the
        // rows of a source's first reading, which wrote nothing: the start
        // reads every source once and pays nothing for this.
        std::vector<EntryAddress> written;
        for (const std::vector<std::size_t>* ids : {&changes.added, &changes.changed, &changes.removed})
            for (std::size_t id : *ids)
                if (ids != &changes.added || m_rows.Row(id).isNew)
                    written.push_back(AddressOf(m_rows.Row(id)));
        if (!written.empty()) {
            std::vector<bool> asked(m_rows.Size(), false);
            for (std::size_t id : wanted)
                asked[id] = true;
            for (std::size_t id : RowsAt(written)) {
                if (!asked[id])
                    wanted.push_back(id);
                asked[id] = true;
            }
        }
    }
    if (m_details) {
        const StartupWorkTimer timer("page: details asked");
        m_details->Ask(m_rows, m_sources, wanted);
    }
    {
        const ListRedrawPause pause(m_listStartup);
        if (!changes.changed.empty())
            ShowChangedRows(changes.changed);
        for (std::size_t id : changes.added)
            InsertRow(id);
        if (!changes.added.empty())
            SortAgain();
        // Rows whose entry went away leave the list; a hidden row whose
        // command changed is shown until its new details say otherwise.
        std::vector<std::size_t> leavingOrBack = changes.removed;
        leavingOrBack.insert(leavingOrBack.end(), changes.changed.begin(), changes.changed.end());
        SyncShown(leavingOrBack);
        if (m_comparison && !(changes.added.empty() && changes.changed.empty() && changes.removed.empty()))
            MatchComparison();
    }
    m_listReady = true;
    UpdateButtons();
}

const std::vector<int>& CStartupDlg::ItemPositions()
{
    // One walk of the list, kept until rows move: details arrive in many
    // batches, and each walk asks the control for every row.
    if (m_itemPositions.size() == m_rows.Size())
        return m_itemPositions;
    m_itemPositions.assign(m_rows.Size(), -1);
    for (int item = 0, count = m_listStartup.GetItemCount(); item < count; ++item) {
        const std::size_t id = RowId(item);
        if (id < m_itemPositions.size())
            m_itemPositions[id] = item;
    }
    return m_itemPositions;
}

LRESULT CStartupDlg::OnDetailsReady(WPARAM, LPARAM)
{
    if (!m_details)
        return 0;
    // Details can hide rows: while Apply runs they wait, so that it never
    // finds another row where it left one.
    if (m_applying) {
        m_detailsWaiting = true;
        return 0;
    }
    const std::vector<std::size_t> changed = m_details->Take(m_rows);
    m_rowsToShow.insert(m_rowsToShow.end(), changed.begin(), changed.end());
    if (m_rows.ImpactWanted())
        ReadImpactInBackground();
    if (m_rowsToShow.empty())
        return 0;
    // Answers for files already examined come faster than the list takes
    // them: one message shows a share, and the rest follow in messages of
    // their own, so the window answers in between. Each row is redrawn on
    // its own, the red of a missing file included: a pause of the drawing
    // would repaint the whole list for rows that are mostly out of sight.
    const std::size_t count = std::min(m_rowsToShow.size(), kRowsShownPerMessage);
    const std::vector<int>& items = ItemPositions();
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t id = m_rowsToShow[i];
        const int item = items[id];
        if (item < 0 || !Shown(id))
            continue;
        m_listStartup.SetItemText(item, kPublisherColumn, m_rows.Row(id).publisher.c_str());
        m_listStartup.SetItemText(item, kTimeColumn, m_rows.TimeShown(id).c_str());
        m_listStartup.SendMessage(LVM_REDRAWITEMS, static_cast<WPARAM>(item), static_cast<LPARAM>(item));
    }
    // Windows' own programs leave the list as they are verified.
    SyncShown({m_rowsToShow.begin(), m_rowsToShow.begin() + static_cast<std::ptrdiff_t>(count)});
    m_rowsToShow.erase(m_rowsToShow.begin(), m_rowsToShow.begin() + static_cast<std::ptrdiff_t>(count));
    if (!m_rowsToShow.empty())
        PostMessage(kDetailsReadyMessage);
    return 0;
}

void CStartupDlg::ShowChangedRows(const std::vector<std::size_t>& changed)
{
    const std::vector<int>& items = ItemPositions();
    for (std::size_t id : changed) {
        if (items[id] < 0)
            continue;
        const StartupRow& row = m_rows.Row(id);
        m_listStartup.SetItemText(items[id], kPathColumn, row.command.c_str());
        m_listStartup.SetItemText(items[id], kImpactColumn, m_rows.ImpactShown(id).c_str());
        m_listStartup.SetCheck(items[id], row.checked ? TRUE : FALSE);
    }
}

void CStartupDlg::SortAgain()
{
    if (!m_sortCompare)
        return;
    SortOrder order{&m_rows, m_sortCompare, m_sortAscending};
    m_listStartup.SortItems(CompareRows, reinterpret_cast<LPARAM>(&order));
    m_itemPositions.clear();
}

void CStartupDlg::InsertRow(std::size_t id, bool inPlace)
{
    // Unsorted, the rows stand in the order of their ids: a row shown again
    // goes back between its neighbours.
    const int count = m_listStartup.GetItemCount();
    int position = count;
    if (inPlace && !m_sortCompare) {
        for (int low = 0, high = count; low < high;) {
            const int middle = low + (high - low) / 2;
            if (RowId(middle) < id)
                low = middle + 1;
            else
                position = high = middle;
        }
    }
    // The row id is given with the insert, so the check-box notifications of
    // this row already carry it.
    const StartupRow& row = m_rows.Row(id);
    const int item = m_listStartup.InsertItem(position, row.name.c_str(), id);
    // Appended: the rows before it keep their places.
    if (item == count && m_itemPositions.size() + 1 == m_rows.Size() && id + 1 == m_rows.Size())
        m_itemPositions.push_back(item);
    else
        m_itemPositions.clear();
    m_listStartup.SetItemText(item, kLocationColumn, row.location);
    m_listStartup.SetItemText(item, kPathColumn, row.command.c_str());
    if (row.detailsKnown || row.gone) {
        m_listStartup.SetItemText(item, kPublisherColumn, row.publisher.c_str());
        if (const std::wstring time = m_rows.TimeShown(id); !time.empty())
            m_listStartup.SetItemText(item, kTimeColumn, time.c_str());
    }
    if (const std::wstring impact = m_rows.ImpactShown(id); !impact.empty())
        m_listStartup.SetItemText(item, kImpactColumn, impact.c_str());
    m_listStartup.SetCheck(item, row.checked ? TRUE : FALSE);
}

EntryAddress CStartupDlg::AddressOf(const StartupRow& row) const
{
    return EntryAddressOf(m_sources.at(row.source), row.place, EntryId(row));
}

std::vector<std::size_t> CStartupDlg::RowsAt(const std::vector<EntryAddress>& addresses) const
{
    std::unordered_set<std::wstring> places;
    for (const EntryAddress& address : addresses)
        if (std::wstring place = PlaceOf(address); !place.empty())
            places.insert(std::move(place));
    std::vector<std::size_t> ids;
    if (places.empty())
        return ids;
    for (std::size_t id = 0; id < m_rows.Size(); ++id) {
        const StartupRow& row = m_rows.Row(id);
        if (!row.removed && places.count(PlaceOf(AddressOf(row))) != 0)
            ids.push_back(id);
    }
    return ids;
}

bool CStartupDlg::Shown(std::size_t id) const
{
    return m_view.Shown(m_rows, m_sources, id);
}

void CStartupDlg::SyncShown(const std::vector<std::size_t>& ids)
{
    if (ids.empty()) {
        UpdateStatus();
        return;
    }
    std::vector<int> leaving;
    std::vector<std::size_t> coming;
    {
        const std::vector<int>& items = ItemPositions();
        for (std::size_t id : ids) {
            if (id >= items.size() || (items[id] >= 0) == Shown(id))
                continue;
            if (items[id] >= 0)
                leaving.push_back(items[id]);
            else
                coming.push_back(id);
        }
    }
    std::sort(leaving.begin(), leaving.end(), std::greater<int>());
    for (int item : leaving)
        m_listStartup.DeleteItem(item);
    if (!leaving.empty())
        m_itemPositions.clear();
    std::sort(coming.begin(), coming.end());
    for (std::size_t id : coming)
        InsertRow(id, true);
    if (!coming.empty())
        SortAgain();
    UpdateStatus();
}

void CStartupDlg::UpdateStatus()
{
    // What needs administrator rights comes first: the user can do something about it.
    std::wstring text;
    if (m_changeRefused)
        text = L"Changing the machine's entries needs administrator rights: File > Run as Administrator";
    if (m_impactDenied && CanRunAsAdministrator())
        text += (text.empty() ? L"" : L"; ") +
                std::wstring(L"Start-Up Impact needs administrator rights: File > Run as Administrator");
    // A source that could not be read is named first: its rows may be out of date.
    for (std::size_t index = 0; index < m_sources.size(); ++index) {
        if (m_failedSources.Contains(index)) {
            text += (text.empty() ? L"Could not read " : L", ") + std::wstring(m_sources[index].location);
        }
    }
    if (const std::wstring counted = m_view.CountText(m_rows, m_sources); !counted.empty())
        text += (text.empty() ? L"" : L"; ") + counted;
    if (!m_waitText.empty())
        text = m_waitText;
    const std::wstring comparison = m_comparison ? m_comparison->Summary(m_rows) : std::wstring();
    if (text != m_statusText) {
        m_statusText = text;
        ::SetDlgItemTextW(m_hWnd, IDC_STARTUP_STATUS, text.c_str());
    }
    if (comparison != m_comparisonText) {
        m_comparisonText = comparison;
        ::SetDlgItemTextW(m_hWnd, IDC_STARTUP_COMPARISON, comparison.c_str());
    }
}

void CStartupDlg::HideWindowsEntries(bool hide)
{
    if (hide == m_view.HidesWindowsEntries())
        return;
    m_view.HideWindowsEntries(hide);
    ShowEveryRowAgain();
}

void CStartupDlg::ShowEveryRowAgain()
{
    if (!m_hWnd)
        return;
    std::vector<std::size_t> every(m_rows.Size());
    for (std::size_t id = 0; id < every.size(); ++id)
        every[id] = id;
    const ListRedrawPause pause(m_listStartup);
    SyncShown(every);
}

void CStartupDlg::EndComparison()
{
    if (!m_comparison)
        return;
    const std::vector<std::size_t> ended = m_comparison->End(m_rows);
    m_comparison.reset();
    const ListRedrawPause pause(m_listStartup);
    SyncShown(ended);
    m_rows.ReleaseEndedRows();
}

void CStartupDlg::MatchComparison()
{
    const ListRedrawPause pause(m_listStartup); // the marks of every row may change
    SyncShown(m_comparison->Match(m_rows));
    m_rows.ReleaseEndedRows();
}

RowMark CStartupDlg::Mark(std::size_t id) const
{
    return m_comparison && id < m_rows.Size() ? m_comparison->Mark(m_rows, id) : RowMark::None;
}

void CStartupDlg::OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult)
{
    NMLVCUSTOMDRAW* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(pNMHDR);
    *pResult = CDRF_DODEFAULT;
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
        *pResult = CDRF_NOTIFYITEMDRAW;
    } else if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        const std::size_t id = static_cast<std::size_t>(draw->nmcd.lItemlParam);
        if (id >= m_rows.Size())
            return;
        const RowMark mark = Mark(id);
        if (m_rows.Row(id).isNew || mark == RowMark::New)
            draw->clrTextBk = kNewRowColour;
        else if (mark == RowMark::Changed)
            draw->clrTextBk = kChangedRowColour;
        if (mark == RowMark::Gone)
            draw->clrText = ::GetSysColor(COLOR_GRAYTEXT);
        else if (m_rows.Row(id).detailsKnown && m_rows.Row(id).fileMissing)
            draw->clrText = kMissingFileColour;
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
    if (pNMLV->iSubItem == kProgramColumn) {
        s_programAscending = !s_programAscending;
        m_sortCompare = &StartupRowModel::CompareProgram;
        m_sortAscending = s_programAscending;
    } else if (pNMLV->iSubItem == kLocationColumn) {
        s_locationAscending = !s_locationAscending;
        m_sortCompare = &StartupRowModel::CompareLocation;
        m_sortAscending = s_locationAscending;
    } else if (pNMLV->iSubItem == kImpactColumn) {
        s_impactAscending = !s_impactAscending;
        m_sortCompare = &StartupRowModel::CompareImpact;
        m_sortAscending = s_impactAscending;
    } else if (pNMLV->iSubItem == kTimeColumn) {
        s_timeAscending = !s_timeAscending;
        m_sortCompare = &StartupRowModel::CompareTime;
        m_sortAscending = s_timeAscending;
    } else {
        return; // "Execution Path" does not sort
    }
    SortAgain();
}

void CStartupDlg::OnApply()
{
    // No pause of the list's drawing here: a successful move leaves the list
    // as it is, and a failure's message box must not sit over a list that
    // does not repaint. The rows to move are taken first, in the order
    // shown; nothing that would reorder the list runs until Apply is done.
    std::vector<std::size_t> changed;
    for (int item = 0, count = m_listStartup.GetItemCount(); item < count; ++item) {
        const std::size_t id = RowId(item);
        if (id < m_rows.Size() && m_rows.Differs(id))
            changed.push_back(id);
    }
    m_applying = true;
    for (std::size_t id : changed)
        ApplyRow(id);
    m_applying = false;
    CatchUpAfterApply();
}

void CStartupDlg::CatchUpAfterApply()
{
    OnSourcesRead(0, 0);
    RefreshSources(std::exchange(m_pendingSources, {}), false);
    if (std::exchange(m_detailsWaiting, false))
        OnDetailsReady(0, 0);
    if (std::exchange(m_impactWaiting, false))
        OnImpactRead(0, 0);
    UpdateButtons();
}

int CStartupDlg::ItemOf(std::size_t id) const
{
    LVFINDINFOW find{};
    find.flags = LVFI_PARAM;
    find.lParam = static_cast<LPARAM>(id);
    return static_cast<int>(
        m_listStartup.SendMessage(LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

void CStartupDlg::ApplyRow(std::size_t id)
{
    if (!m_rows.Differs(id))
        return; // set back meanwhile, or switched with a row before it
    m_listReady = false;
    const StartupRow& row = m_rows.Row(id);
    const bool switchOn = row.checked;
    const EntryAddress before = AddressOf(row);
    // The entry is found by its name in its source; the list's texts are only shown.
    const MoveResult result = SwitchEntry(m_sources.at(row.source), row.place, EntryId(row), switchOn);
    switch (result.outcome) {
    case MoveOutcome::Moved: {
        ++m_moves;
        const int item = ItemOf(id);
        if (item >= 0 && result.command != row.command)
            m_listStartup.SetItemText(item, kPathColumn, result.command.c_str());
        m_rows.SetMoved(id, switchOn, result.place, result.command);
        if (item >= 0)
            m_listStartup.SetItemText(item, kImpactColumn, m_rows.ImpactShown(id).c_str());
        // The move wrote where the entry was and where it is now, and a
        // switch writes what its followers share: the times of every entry
        // there are read again.
        std::vector<EntryAddress> written{before, AddressOf(row)};
        for (std::size_t other : FollowSwitch(id, switchOn))
            written.push_back(AddressOf(m_rows.Row(other)));
        if (m_details)
            m_details->Ask(m_rows, m_sources, RowsAt(written));
        break;
    }
    case MoveOutcome::Failed:
    case MoveOutcome::NameTaken:
        // Without administrator rights every change to the machine's own
        // places is refused: the line under the list says what to do.
        if (result.outcome == MoveOutcome::Failed && !m_changeRefused
            && m_sources.at(row.source).hive == HKEY_LOCAL_MACHINE && CanRunAsAdministrator()) {
            m_changeRefused = true;
            UpdateStatus();
        }
        MessageBox(result.outcome == MoveOutcome::Failed ? kMoveFailedMessage : kNameTakenMessage, nullptr, MB_OK);
        // -1 would set every row's box.
        if (const int item = ItemOf(id); item >= 0)
            m_listStartup.SetCheck(item, switchOn ? FALSE : TRUE);
        else
            m_rows.SetChecked(id, !switchOn);
        break;
    case MoveOutcome::Gone:
        MessageBox(kEntryGoneMessage, nullptr, MB_OK);
        m_rows.Remove(id);
        if (const int item = ItemOf(id); item >= 0)
            m_listStartup.DeleteItem(item);
        m_itemPositions.clear();
        break;
    }
    m_listReady = true;
}

std::vector<std::size_t> CStartupDlg::FollowSwitch(std::size_t id, bool on)
{
    std::vector<std::size_t> followers;
    const StartupRow& moved = m_rows.Row(id);
    const std::wstring key = PlaceKindOf(m_sources.at(moved.source).kind).SwitchKey(EntryId(moved));
    if (key.empty())
        return followers;
    for (std::size_t other = 0; other < m_rows.Size(); ++other) {
        const StartupRow& row = m_rows.Row(other);
        if (other == id || row.removed || row.gone
            || PlaceKindOf(m_sources.at(row.source).kind).SwitchKey(EntryId(row)) != key)
            continue;
        m_rows.SetMoved(other, on, row.place, row.command);
        m_rows.SetChecked(other, on);
        followers.push_back(other);
        if (const int item = ItemOf(other); item >= 0) {
            m_listStartup.SetCheck(item, on ? TRUE : FALSE);
            m_listStartup.SetItemText(item, kImpactColumn, m_rows.ImpactShown(other).c_str());
        }
    }
    return followers;
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

bool CStartupDlg::DetailsComplete() const
{
    return (!m_details || m_details->Complete()) && m_rowsToShow.empty() && m_readingsAsked == 0;
}
