// The choice of a group of places and the quick filter over the list: each
// change shows every row again as the row view decides.

#include "pages/startup/page/StartupDlg.h"

#include "res/resource.h"

void CStartupDlg::MakeFindControls()
{
    if (m_filter.m_hWnd)
        return;
    // In dialog units, as a template would place them; after the list in the
    // tab order, so that the list has the focus first.
    const HWND label = fw::CreateDialogControl(m_hWnd, L"STATIC", L"&Show:", SS_LEFT, 0, {7, 69, 31, 77}, -1,
                                               m_listStartup.m_hWnd);
    const HWND choice = fw::CreateDialogControl(m_hWnd, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0,
                                                {32, 67, 136, 227}, IDC_STARTUP_GROUP, label);
    const HWND filterLabel = fw::CreateDialogControl(m_hWnd, L"STATIC", L"Fi&lter:", SS_LEFT, 0, {146, 69, 170, 77},
                                                     -1, choice);
    m_filter.m_hWnd = fw::CreateDialogControl(m_hWnd, L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE,
                                              {172, 67, 366, 79}, IDC_STARTUP_FILTER, filterLabel);
    ::SendMessageW(choice, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Everything"));
    ::SendMessageW(choice, CB_SETITEMDATA, 0, -1);
    for (int group = 0; group < kPlaceGroupCount; ++group) {
        bool listed = false;
        for (const StartupSource& source : m_sources)
            listed = listed || static_cast<int>(source.group) == group;
        if (!listed)
            continue;
        const LRESULT item = ::SendMessageW(choice, CB_ADDSTRING, 0,
                                            reinterpret_cast<LPARAM>(PlaceGroupText(static_cast<PlaceGroup>(group))));
        ::SendMessageW(choice, CB_SETITEMDATA, static_cast<WPARAM>(item), group);
    }
    ::SendMessageW(choice, CB_SETCURSEL, 0, 0);
}

void CStartupDlg::OnGroupChosen()
{
    const HWND choice = ::GetDlgItem(m_hWnd, IDC_STARTUP_GROUP);
    const LRESULT item = ::SendMessageW(choice, CB_GETCURSEL, 0, 0);
    const LRESULT group = item == CB_ERR ? -1 : ::SendMessageW(choice, CB_GETITEMDATA, static_cast<WPARAM>(item), 0);
    std::optional<PlaceGroup> chosen;
    if (group >= 0 && group < kPlaceGroupCount)
        chosen = static_cast<PlaceGroup>(group);
    if (chosen == m_view.Group())
        return;
    m_view.ShowGroup(chosen);
    ShowEveryRowAgain();
}

void CStartupDlg::OnFilterChanged()
{
    const std::wstring before = m_view.Filter();
    m_view.SetFilter(m_filter.GetText());
    if (m_view.Filter() != before)
        ShowEveryRowAgain();
}

bool CStartupDlg::TakeFindKey(const MSG& message)
{
    if (message.message != WM_KEYDOWN || !m_filter.m_hWnd)
        return false;
    if (message.wParam == 'F' && ::GetKeyState(VK_CONTROL) < 0 && ::GetKeyState(VK_MENU) >= 0) {
        ::SetFocus(m_filter.m_hWnd);
        ::SendMessageW(m_filter.m_hWnd, EM_SETSEL, 0, -1);
        return true;
    }
    if (message.wParam == VK_ESCAPE && message.hwnd == m_filter.m_hWnd && ::GetWindowTextLengthW(m_filter.m_hWnd) > 0) {
        m_filter.SetText(L"");
        return true;
    }
    return false;
}
