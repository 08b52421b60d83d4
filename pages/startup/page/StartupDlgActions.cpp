// The Start-Up page's actions on the selected rows: the entry menu and its
// commands, Copy, the saved list and the comparison with one. None of them
// starts an entry's program.

#include "pages/startup/page/StartupDlg.h"

#include "pages/startup/Utf8Text.h"

#include "framework/MessageBox.h"
#include "framework/UniqueHandle.h"
#include "pages/startup/store/PlaceKind.h"
#include "pages/startup/page/RowDetails.h"
#include "pages/startup/actions/ShellActions.h"
#include "pages/startup/actions/StartupReport.h"
#include "pages/startup/compare/SavedList.h"
#include "pages/startup/details/FileHash.h"
#include "pages/startup/details/ProgramResolver.h"
#include "res/resource.h"

#include <commdlg.h>

#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

std::vector<std::size_t> CStartupDlg::SelectedRows() const
{
    std::vector<std::size_t> ids;
    for (int item = m_listStartup.GetNextItem(-1, LVNI_SELECTED); item >= 0;
         item = m_listStartup.GetNextItem(item, LVNI_SELECTED)) {
        const std::size_t id = RowId(item);
        if (id < m_rows.Size())
            ids.push_back(id);
    }
    return ids;
}

const StartupRow* CStartupDlg::SingleSelectedRow() const
{
    if (m_listStartup.GetSelectedCount() != 1)
        return nullptr;
    const std::vector<std::size_t> ids = SelectedRows();
    return ids.size() == 1 ? &m_rows.Row(ids[0]) : nullptr;
}

bool CStartupDlg::CommandApplies(UINT id) const
{
    const StartupRow* row = SingleSelectedRow();
    switch (id) {
    case ID_ENTRY_OPEN_LOCATION:
        return row && row->detailsKnown && !row->programFile.empty();
    case ID_ENTRY_PROPERTIES:
        return row && row->detailsKnown && !row->fileMissing;
    case ID_ENTRY_JUMP:
        return row && !row->gone;
    case ID_ENTRY_SEARCH:
    case ID_ENTRY_COPY:
        return m_listStartup.GetSelectedCount() > 0;
    default:
        return false;
    }
}
void CStartupDlg::OnContextMenu(HWND window, POINT point)
{
    if (window != m_listStartup.m_hWnd || m_listStartup.GetSelectedCount() == 0)
        return;
    if (point.x == -1 && point.y == -1) {
        // From the keyboard: beside the focused row, or the first selected one.
        int item = m_listStartup.GetNextItem(-1, LVNI_FOCUSED | LVNI_SELECTED);
        if (item < 0)
            item = m_listStartup.GetNextItem(-1, LVNI_SELECTED);
        RECT bounds{LVIR_LABEL, 0, 0, 0};
        m_listStartup.SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&bounds));
        point = {bounds.left, bounds.bottom};
        ::ClientToScreen(m_listStartup.m_hWnd, &point);
    }
    const HMENU menu = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_STARTUP_ENTRY));
    if (!menu)
        return;
    const HMENU entries = ::GetSubMenu(menu, 0);
    for (UINT id : {ID_ENTRY_OPEN_LOCATION, ID_ENTRY_PROPERTIES, ID_ENTRY_JUMP, ID_ENTRY_SEARCH, ID_ENTRY_COPY})
        ::EnableMenuItem(entries, id, MF_BYCOMMAND | (CommandApplies(id) ? MF_ENABLED : MF_GRAYED));
    // The chosen command comes back to this page as WM_COMMAND.
    ::TrackPopupMenu(entries, TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, 0, m_hWnd, nullptr);
    ::DestroyMenu(menu);
}

void CStartupDlg::OnOpenFileLocation()
{
    if (CommandApplies(ID_ENTRY_OPEN_LOCATION))
        OpenFileLocation(SingleSelectedRow()->programFile);
}

void CStartupDlg::OnProperties()
{
    if (CommandApplies(ID_ENTRY_PROPERTIES))
        ShowFileProperties(SingleSelectedRow()->programFile);
}

void CStartupDlg::OnJumpToEntry()
{
    if (const StartupRow* row = SingleSelectedRow())
        JumpToEntry(EntryAddressOf(m_sources.at(row->source), row->place, EntryId(*row)));
}

void CStartupDlg::OnCopy()
{
    std::vector<EntryReport> reports;
    for (std::size_t id : SelectedRows())
        reports.push_back(CompleteReport(m_rows, m_sources, id));
    if (!reports.empty())
        CopyTextToClipboard(m_hWnd, CopiedRowsText(reports));
}

bool CStartupDlg::SaveListTo(const std::wstring& path)
{
    if (!WaitForReadings(L"save the start-up list"))
        return false;
    // The rows shown, in the order shown, then the hidden ones.
    std::vector<EntryReport> reports;
    for (int item = 0, count = m_listStartup.GetItemCount(); item < count; ++item) {
        const std::size_t id = RowId(item);
        if (id < m_rows.Size() && !m_rows.Row(id).gone)
            reports.push_back(CompleteReport(m_rows, m_sources, id));
    }
    const std::vector<int>& items = ItemPositions();
    for (std::size_t id = 0; id < items.size(); ++id)
        if (items[id] < 0 && !m_rows.Row(id).removed)
            reports.push_back(CompleteReport(m_rows, m_sources, id));
    // Hashed only now: the window never needs them.
    AddProgramHashes(reports);
    const DWORD error = SaveStartupList(path, reports);
    if (error == ERROR_SUCCESS)
        return true;
    ShowError(SaveFailureMessage(error));
    return false;
}

void CStartupDlg::ShowError(const std::wstring& message)
{
    MessageBox(AnsiFromWide(message).c_str(), nullptr, MB_OK | MB_ICONERROR);
}

namespace {

// Asks for a list's file (CSV, or JSON Lines) with the common dialog's Save
// As (`save`) or Open; the path chosen, or nothing when the user cancelled or
// the dialog is missing.
std::optional<std::wstring> AskForList(HWND page, bool save, const wchar_t* title)
{
    wchar_t path[32768] = L"Start-Up List.csv";
    if (!save)
        path[0] = L'\0';
    OPENFILENAMEW choice{};
    choice.lStructSize = sizeof(choice);
    choice.hwndOwner = ::GetAncestor(page, GA_ROOT);
    choice.lpstrFilter = L"CSV files (*.csv)\0*.csv\0JSON Lines (*.json)\0*.json\0All files (*.*)\0*.*\0";
    choice.lpstrFile = path;
    choice.nMaxFile = static_cast<DWORD>(std::size(path));
    choice.lpstrDefExt = L"csv";
    choice.lpstrTitle = title;
    choice.Flags = OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_EXPLORER |
                   (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);
    // The common dialogs are loaded only when asked for: linked in, they
    // cost every process megabytes of memory under Wine.
    const fw::UniqueModule dialogs(::LoadLibraryW(L"comdlg32.dll"));
    using FileDialog = BOOL(WINAPI*)(OPENFILENAMEW*);
    const auto ask = dialogs ? reinterpret_cast<FileDialog>(reinterpret_cast<void*>(::GetProcAddress(
                                   dialogs.Get(), save ? "GetSaveFileNameW" : "GetOpenFileNameW")))
                             : nullptr;
    if (!ask) {
        fw::ShowMessageBox(page, "The file dialog is not available.", AfxGetAppName(), MB_OK | MB_ICONERROR);
        return std::nullopt;
    }
    if (!ask(&choice))
        return std::nullopt;
    return std::wstring(path);
}

} // namespace

void CStartupDlg::SaveList()
{
    if (const std::optional<std::wstring> path = AskForList(m_hWnd, true, nullptr))
        SaveListTo(*path);
}

void CStartupDlg::CompareWithSavedList()
{
    if (const std::optional<std::wstring> path = AskForList(m_hWnd, false, L"Compare with Saved List"))
        CompareWith(*path);
}

bool CStartupDlg::CompareWith(const std::wstring& path)
{
    if (!WaitForReadings(L"compare the start-up list"))
        return false;
    SavedListReading reading = ReadSavedListFile(path);
    if (!reading.error.empty()) {
        ShowError(reading.error);
        return false;
    }
    EndComparison();
    const std::size_t slash = path.find_last_of(L"\\/");
    m_comparison = std::make_unique<SavedListMarks>(slash == std::wstring::npos ? path : path.substr(slash + 1),
                                                    std::move(reading.entries));
    MatchComparison();
    if (m_comparison->HoldsHashes()) {
        // Once for the comparison, the rows whose saved entry has a hash: a
        // row whose details are not in yet has its program file found now.
        ProgramHashes hashes;
        std::unordered_map<std::size_t, std::wstring> found;
        for (std::size_t id : m_comparison->RowsToHash()) {
            const StartupRow& row = m_rows.Row(id);
            found.emplace(id, hashes.Of(row.detailsKnown
                                            ? row.programFile
                                            : ResolveProgramFile(DetailsCommand(row, m_sources.at(row.source)))));
        }
        m_comparison->SetHashes(std::move(found));
        ::InvalidateRect(m_listStartup.m_hWnd, nullptr, TRUE);
        UpdateStatus();
    }
    return true;
}
