// The start-up page's Start-Up Impact column filled in, and the tip that
// shows its figures.
#include "pages/startup/page/StartupDlg.h"

#include "pages/startup/impact/StartupImpact.h"
#include "pages/startup/page/BackgroundReadings.h"

#include <windowsx.h>

void CStartupDlg::ShowImpact(const std::vector<std::size_t>& ids)
{
    if (ids.empty())
        return;
    const std::vector<int>& items = ItemPositions();
    for (std::size_t id : ids)
        if (id < items.size() && items[id] >= 0)
            m_listStartup.SetItemText(items[id], kImpactColumn, m_rows.ImpactShown(id).c_str());
    if (m_sortCompare == &StartupRowModel::CompareImpact)
        SortAgain();
}

void CStartupDlg::RelayToImpactTip(const MSG& message)
{
    // The tip is made when the mouse first comes over a list whose impact is
    // read: until then there is nothing to show.
    if (!m_rows.ImpactRead())
        return;
    if (!m_impactTip) {
        m_impactTip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                                        AfxGetInstanceHandle(), nullptr);
        if (!m_impactTip)
            return;
        // One tool, the whole list, whose text is asked for each time it shows.
        TOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND;
        tool.hwnd = m_hWnd;
        tool.uId = reinterpret_cast<UINT_PTR>(m_listStartup.m_hWnd);
        tool.lpszText = LPSTR_TEXTCALLBACKW;
        ::SendMessageW(m_impactTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    if (message.message == WM_MOUSEMOVE) {
        // Another cell under the mouse: the tip goes, and asks for its text
        // anew when it shows again.
        const POINT point{GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)};
        const std::wstring text = ImpactTipAt(point);
        if (text != m_impactTipText) {
            ::SendMessageW(m_impactTip, TTM_POP, 0, 0);
            m_impactTipText = text;
        }
    }
    MSG relayed = message;
    ::SendMessageW(m_impactTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

std::wstring CStartupDlg::ImpactTipAt(POINT point) const
{
    LVHITTESTINFO hit{};
    hit.pt = point;
    if (m_listStartup.SendMessage(LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)) < 0 || hit.iItem < 0
        || hit.iSubItem != kImpactColumn)
        return {};
    const std::size_t id = RowId(hit.iItem);
    if (id >= m_rows.Size() || !m_rows.ImpactOf(id))
        return {};
    const StartupRow& row = m_rows.Row(id);
    return row.impactMatched && row.impact ? ImpactHoverText(*row.impact) : std::wstring();
}

bool CStartupDlg::OnWndMsg(const fw::Message& message, LRESULT& result)
{
    if (message.message == WM_NOTIFY && m_impactTip) {
        NMTTDISPINFOW* info = reinterpret_cast<NMTTDISPINFOW*>(message.lParam);
        if (info->hdr.hwndFrom == m_impactTip && info->hdr.code == TTN_GETDISPINFOW) {
            // An empty text shows no tip.
            info->lpszText = m_impactTipText.data();
            result = 0;
            return true;
        }
    }
    return CPropertyPage::OnWndMsg(message, result);
}
