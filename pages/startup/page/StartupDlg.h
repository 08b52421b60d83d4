#pragma once
// The "Start-Up" page: the programs that run at log-on, each with a check box.
// Nothing is written until Apply; each changed row's entry is then moved
// between the place Windows reads and Quorvane's place for switched-off
// entries. The list follows changes that others make while it is open, and
// tells who published each entry's program as the details come in.

#include "framework/Framework.h"
#include "pages/startup/actions/ShellActions.h"
#include "pages/startup/impact/StartupInfoFolder.h"
#include "pages/startup/page/SavedListMarks.h"
#include "pages/startup/page/RowView.h"
#include "pages/startup/page/StartupRows.h"

#include <deque>
#include <memory>
#include <vector>

class RowDetails;
struct BackgroundReadings;
class StartupWatcher;

class CStartupDlg : public CPropertyPage {
    DECLARE_DYNCREATE(CStartupDlg)
public:
    CStartupDlg();
    ~CStartupDlg() override;

    // Posted by the watcher when a key or folder of a source changed.
    static constexpr UINT kSourcesChangedMessage = WM_APP + 0x51;
    // Posted by the details worker when details are ready to be taken.
    static constexpr UINT kDetailsReadyMessage = WM_APP + 0x52;
    // Posted to itself when the page is made: taken once the window is shown
    // and drawn, to start what the first drawing does not need.
    static constexpr UINT kShownMessage = WM_APP + 0x53;
    // Posted from the sampling worker when a reading of sources is done.
    static constexpr UINT kSourcesReadMessage = WM_APP + 0x54;
    // Posted from the sampling worker when Windows' measurements of the
    // recorded log-ons are read.
    static constexpr UINT kImpactReadMessage = WM_APP + 0x55;
    using RowComparison = int (StartupRowModel::*)(std::size_t, std::size_t, bool) const;

    // Reads every source again and brings the list in line: rows keep the
    // boxes the user changed, new entries are added and marked, rows whose
    // entry went away are dropped.
    void RefreshList();
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // File > Save Start-Up List...: asks where, then saves every row.
    void SaveList();
    // Every row, in the order shown, as a CSV file at `path`; false, after
    // telling the user, when it could not be written.
    bool SaveListTo(const std::wstring& path);
    // File > Hide Windows Entries: while on, the rows whose program file is
    // verified as signed by Windows itself are left out of the list, except
    // a row whose box the user has changed; the status line counts them.
    // On at every start.
    void HideWindowsEntries(bool hide);
    bool HidesWindowsEntries() const { return m_view.HidesWindowsEntries(); }
    // File > Compare with Saved List...: asks for a list saved before, then
    // compares the rows with it.
    void CompareWithSavedList();
    // Marks the rows new since the list at `path` was saved, and those whose
    // command or publisher changed, and shows its entries that are gone as
    // rows that nothing switches; ends the comparison before. F5 ends it too.
    // A file that is no saved list, or cannot be read, changes nothing: false,
    // after telling the user.
    bool CompareWith(const std::wstring& path);
    // How the row is marked by the comparison; None when there is none.
    RowMark Mark(std::size_t id) const;
    // Whether a command of the entry menu applies to the rows selected now.
    bool CommandApplies(UINT id) const;
    // Whether every row's details are in and shown, and no reading of
    // sources is on its way.
    bool DetailsComplete() const;
    // Whether the Start-Up Impact column shows what Windows measured (or
    // that it could not be read), and no reading of it is on its way.
    bool ImpactComplete() const;
    // What hovering at `point` (the list's client coordinates) shows: the
    // figures behind the impact in that cell, or nothing.
    std::wstring ImpactTipAt(POINT point) const;

    // Sort directions of the sortable columns, kept for the process's life;
    // flipped before each sort, so the first click sorts ascending (by
    // impact High first, by time newest first).
    static bool s_programAscending;
    static bool s_locationAscending;
    static bool s_impactAscending;
    static bool s_timeAscending;
    // What reads Windows' measurements of the recorded log-ons, a log-on at
    // a time, on the sampling worker (true where they could not be read for
    // lack of rights); tests put their own in.
    using ImpactReader = bool (*)(const LogOnTaker& take);
    static ImpactReader s_readImpact;

    // Where the entries come from, in listing order; rows refer to it by index.
    const std::vector<StartupSource> m_sources;
    // Each row's full texts, source and stored state by row id (the row's
    // item data), with a running count of rows whose box differs from it.
    StartupRowModel m_rows;
    // False while the list is being filled and while one row is being moved.
    bool m_listReady = false;
    CListCtrl m_listStartup;
    CButton m_btnApply;
    CButton m_btnRevert;
    CButton m_btnSearch;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    bool OnWndMsg(const fw::Message& message, LRESULT& result) override;
    void OnDestroy();
    LRESULT OnSourcesChanged(WPARAM, LPARAM);
    LRESULT OnDetailsReady(WPARAM, LPARAM);
    LRESULT OnShown(WPARAM, LPARAM);
    LRESULT OnSourcesRead(WPARAM, LPARAM);
    LRESULT OnImpactRead(WPARAM, LPARAM);
    void OnContextMenu(HWND window, POINT point);
    void OnOpenFileLocation();
    void OnProperties();
    void OnJumpToEntry();
    void OnCopy();
    void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);
    void OnItemChanging(NMHDR* pNMHDR, LRESULT* pResult);
    void OnItemChanged(NMLISTVIEW* pNMLV, LRESULT* pResult);
    void OnColumnClick(NMLISTVIEW* pNMLV, LRESULT* pResult);
    void OnApply();
    void OnRevertChanges();
    void OnSearch();
    void OnGroupChosen();
    void OnFilterChanged();

    DECLARE_MESSAGE_MAP()

private:
    // Reads the sources in `which` again and brings their rows in line; asks
    // for the details of every row when `everyRow`, else only of rows that
    // are new or whose command changed. Sources whose kind reads in the
    // background are read on the sampling worker and follow. While Apply
    // runs, the sources wait until it ends.
    void RefreshSources(SourceSet which, bool everyRow);
    // Reads the sources on the sampling worker; false where it takes no work.
    bool ReadInBackground(SourceSet which);
    // Brings the rows of the sources in `which` in line with their reading;
    // the rows of sources whose reading `failed` stay as they were.
    void ShowReading(SourceSet which, const std::vector<StartupEntry>& entries, bool everyRow,
                     const SourceSet& failed);
    // Reads Windows' measurements of the recorded log-ons on the sampling
    // worker, after its other work, unless a reading is on its way.
    void ReadImpactInBackground();
    // The Start-Up Impact texts of the rows in `ids`, and the sort by impact again.
    void ShowImpact(const std::vector<std::size_t>& ids);
    // Hands a mouse message over the list to the tip that shows an impact's
    // figures, made the first time one can show.
    void RelayToImpactTip(const MSG& message);
    // Waits a moment for the readings on the sampling worker and takes them,
    // telling the user on the status line; false, after telling the user what
    // `doing` could not do, when the list is not complete yet.
    bool WaitForReadings(const wchar_t* doing);
    // What Apply put off and catches up with once it ends.
    void CatchUpAfterApply();
    // Inserts the row last, or `inPlace`, where its id puts it in a list
    // that is not sorted; the caller sorts a sorted list again.
    void InsertRow(std::size_t id, bool inPlace = false);
    // Whether the row belongs in the list: it is listed and not hidden.
    bool Shown(std::size_t id) const;
    // Inserts or takes out the rows in `ids` as Shown says, then updates the
    // status line.
    void SyncShown(const std::vector<std::size_t>& ids);
    // Every row shown or not anew, after a choice of which rows to show changed.
    void ShowEveryRowAgain();
    void UpdateStatus();
    // Ends the comparison and takes its gone rows out of the list.
    void EndComparison();
    // Matches the rows with the saved list again, after rows came or went.
    void MatchComparison();
    // Tells the user, in a message box of the page.
    void ShowError(const std::wstring& message);
    // The texts and boxes of the rows shown whose entry changed.
    void ShowChangedRows(const std::vector<std::size_t>& changed);
    // Sorts the list as the last click on a header asked; again after rows came in.
    void SortAgain();
    // Moves the row's entry if its box differs from its stored state. The
    // row is found again by its id after the move: a failure's message box
    // runs messages.
    void ApplyRow(std::size_t id);
    // After a move of `id`'s entry, the other rows that the same switch
    // changed (a task's other programs and triggers) show its state too;
    // their ids.
    std::vector<std::size_t> FollowSwitch(std::size_t id, bool on);
    // Where the row's entry stands: its key or its file.
    EntryAddress AddressOf(const StartupRow& row) const;
    // The listed rows whose entry stands in one of the keys or files of
    // `addresses`: what changes there changes all of their times.
    std::vector<std::size_t> RowsAt(const std::vector<EntryAddress>& addresses) const;
    std::size_t RowId(int item) const { return static_cast<std::size_t>(m_listStartup.GetItemData(item)); }
    // Where the row stands in the list now, -1 where it is not shown.
    int ItemOf(std::size_t id) const;
    // Row ids to their positions in the list, -1 for rows not shown; kept
    // until rows are inserted out of turn, removed or sorted.
    const std::vector<int>& ItemPositions();
    // The selected rows' ids, in the order shown.
    std::vector<std::size_t> SelectedRows() const;
    // The one selected row, or nothing when none or several are selected.
    const StartupRow* SingleSelectedRow() const;
    void UpdateButtons();
    // Makes the group choice, offering "Everything" and each group that a
    // source of the table is in, and the filter, above the list; once the
    // window is drawn, since the first drawing does not need them.
    void MakeFindControls();
    // The keys of the group choice and the filter: Ctrl+F finds the filter,
    // Esc there empties it. True when the key was taken.
    bool TakeFindKey(const MSG& message);

    // Which rows the list shows, as the user chose.
    RowView m_view;
    CEdit m_filter; // holds what is typed in UTF-16, in any script
    std::unique_ptr<SavedListMarks> m_comparison;
    std::wstring m_statusText, m_comparisonText; // the two lines under the list
    std::unique_ptr<StartupWatcher> m_watcher;
    // Readings on the sampling worker: those done wait here for the page,
    // which takes them in the order they were asked.
    std::shared_ptr<BackgroundReadings> m_readings;
    std::size_t m_readingsAsked = 0; // not taken yet
    // Moves made by Apply: a reading asked before a move may show the entry
    // as it was, and is read again.
    unsigned m_moves = 0;
    std::unique_ptr<RowDetails> m_details;
    bool m_applying = false;
    SourceSet m_pendingSources; // changed while Apply was running
    bool m_detailsWaiting = false; // details came while Apply was running
    bool m_impactAsked = false;    // a reading of the measurements is on its way
    bool m_impactWaiting = false;  // and came while Apply was running
    bool m_impactDenied = false;   // the measurements could not be read for lack of rights
    bool m_changeRefused = false;  // a change to the machine's entries was refused for lack of rights
    HWND m_impactTip = nullptr;    // the tip over the list, once made
    std::wstring m_impactTipText;  // what it shows for the cell under the mouse
    // Sources whose last reading failed: their rows are as read before.
    SourceSet m_failedSources;
    std::wstring m_waitText; // on the status line while a reading is waited for
    // The last sort, repeated when a reading adds rows.
    RowComparison m_sortCompare = nullptr;
    bool m_sortAscending = false;
    std::vector<int> m_itemPositions; // empty: to be walked again
    // Rows whose new details are not shown yet, and how many one message shows.
    std::deque<std::size_t> m_rowsToShow;
    static constexpr std::size_t kRowsShownPerMessage = 256;
    // How long Save and Compare wait for readings under way.
    static constexpr int kReadingWaitMs = 3000;
};
