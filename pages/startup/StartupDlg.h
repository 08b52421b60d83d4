#pragma once
// The "Start-Up" page: the programs that run at log-on, each with a check box.
// Nothing is written until Apply; each changed row's entry is then moved
// between the place Windows reads and Quorvane's place for switched-off
// entries. The list follows changes that others make while it is open.

#include "framework/Framework.h"
#include "pages/startup/StartupRows.h"

#include <memory>

class StartupWatcher;

class CStartupDlg : public CPropertyPage {
    DECLARE_DYNCREATE(CStartupDlg)
public:
    CStartupDlg();
    ~CStartupDlg() override;

    // Posted by the watcher when a key or folder of a source changed.
    static constexpr UINT kSourcesChangedMessage = WM_APP + 0x51;
    using RowComparison = int (StartupRowModel::*)(std::size_t, std::size_t, bool) const;

    // Reads every source again and brings the list in line: rows keep the
    // boxes the user changed, new entries are added and marked, rows whose
    // entry went away are dropped.
    void RefreshList();
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Sort directions of the two sortable columns, kept for the process's
    // life; flipped before each sort, so the first click sorts ascending.
    static bool s_programAscending;
    static bool s_locationAscending;

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

    void OnDestroy();
    LRESULT OnSourcesChanged(WPARAM, LPARAM);
    void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);
    void OnItemChanging(NMHDR* pNMHDR, LRESULT* pResult);
    void OnItemChanged(NMLISTVIEW* pNMLV, LRESULT* pResult);
    void OnColumnClick(NMLISTVIEW* pNMLV, LRESULT* pResult);
    void OnApply();
    void OnRevertChanges();
    void OnSearch();

    DECLARE_MESSAGE_MAP()

private:
    // Reads the sources in `which` again and brings their rows in line.
    void RefreshSources(SourceSet which);
    void InsertRow(std::size_t id);
    void ShowChangedRows(const RowChanges& changes);
    // Moves the row shown at `item` if its box differs from its stored state;
    // false when the row was dropped because its entry no longer exists.
    bool ApplyRow(int item);
    std::size_t RowId(int item) const { return static_cast<std::size_t>(m_listStartup.GetItemData(item)); }
    void UpdateButtons();

    std::unique_ptr<StartupWatcher> m_watcher;
    bool m_applying = false;
    SourceSet m_pendingSources = 0; // changed while Apply was running
    // The last sort, repeated when a reading adds rows.
    RowComparison m_sortCompare = nullptr;
    bool m_sortAscending = false;
};
