#include "PropertySheet.h"

#include "FrameworkIds.h"
#include "WinApp.h"

#include <commctrl.h>

#include <cstring>
#include <utility>

IMPLEMENT_DYNAMIC(CPropertySheet, CWnd)

namespace {

// The sheet whose window PropertySheet is creating; its callback has no other
// way to find the object.
thread_local const CPropertySheet* t_pSheetInit = nullptr;

constexpr DWORD kDefaultPopupStyle = WS_SYSMENU | WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_CONTEXTHELP | WS_VISIBLE;

// The template's style and extended style live at different offsets in the
// plain and the extended dialog template.
struct TemplateStyleOffsets {
    std::size_t style;
    std::size_t exStyle;
};

TemplateStyleOffsets StyleOffsets(const unsigned char* bytes)
{
    WORD version = 0;
    WORD signature = 0;
    std::memcpy(&version, bytes, sizeof(version));
    std::memcpy(&signature, bytes + 2, sizeof(signature));
    if (version == 1 && signature == 0xFFFF)
        return {12, 8};
    return {0, 4};
}

} // namespace

CPropertySheet::CPropertySheet(const char* pszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : m_strCaption(pszCaption ? pszCaption : ""), m_pParentWnd(pParentWnd), m_nStartPage(iSelectPage)
{
}

CPropertySheet::~CPropertySheet()
{
    // Pages whose windows still exist go with the sheet's window.
    if (HWND hWnd = m_hWnd) {
        Detach();
        ::DestroyWindow(hWnd);
    }
}

void CPropertySheet::AddPage(CPropertyPage* pPage)
{
    m_pages.push_back(pPage);
}

CPropertyPage* CPropertySheet::GetPage(int nPage) const
{
    return nPage >= 0 && nPage < GetPageCount() ? m_pages[static_cast<std::size_t>(nPage)] : nullptr;
}

HWND CPropertySheet::GetTabControl() const
{
    return reinterpret_cast<HWND>(SendMessage(PSM_GETTABCONTROL));
}

int CPropertySheet::GetActiveIndex() const
{
    return TabCtrl_GetCurSel(GetTabControl());
}

BOOL CPropertySheet::SetActivePage(int nPage)
{
    return static_cast<BOOL>(SendMessage(PSM_SETCURSEL, static_cast<WPARAM>(nPage)));
}

BOOL CPropertySheet::Create(CWnd* pParentWnd, DWORD dwStyle, DWORD dwExStyle)
{
    if (m_hWnd || m_pages.empty())
        return FALSE;
    if (pParentWnd)
        m_pParentWnd = pParentWnd;
    m_dwStyle = dwStyle == static_cast<DWORD>(-1) ? kDefaultPopupStyle : dwStyle;
    m_dwExStyle = dwExStyle;

    std::vector<PROPSHEETPAGEA> pages;
    for (const CPropertyPage* pPage : m_pages)
        pages.push_back(pPage->GetSheetPage());

    PROPSHEETHEADERA header{};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_MODELESS | PSH_PROPSHEETPAGE | PSH_USECALLBACK;
    header.hwndParent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    header.hInstance = AfxGetResourceHandle();
    header.pszCaption = m_strCaption.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.nStartPage = m_nStartPage;
    header.ppsp = pages.data();
    header.pfnCallback = &SheetCallback;

    t_pSheetInit = this;
    const INT_PTR created = ::PropertySheetA(&header);
    t_pSheetInit = nullptr;
    if (created == 0 || created == -1)
        return FALSE;
    const HWND hWnd = reinterpret_cast<HWND>(created);
    if (!SubclassWindow(hWnd)) {
        ::DestroyWindow(hWnd);
        return FALSE;
    }

    if (m_dwStyle & WS_CHILD) {
        HideStandardButtons();
        TrimToTabs();
    }
    if (m_dwStyle & WS_VISIBLE)
        ShowWindow(SW_SHOW);
    return TRUE;
}

int CALLBACK CPropertySheet::SheetCallback(HWND, UINT message, LPARAM lParam)
{
    if (message == PSCB_PRECREATE && t_pSheetInit && lParam)
        t_pSheetInit->AdaptTemplate(reinterpret_cast<void*>(lParam));
    return 0;
}

void CPropertySheet::AdaptTemplate(void* pTemplate) const
{
    unsigned char* bytes = static_cast<unsigned char*>(pTemplate);
    const TemplateStyleOffsets offsets = StyleOffsets(bytes);
    DWORD style = 0;
    DWORD exStyle = 0;
    std::memcpy(&style, bytes + offsets.style, sizeof(style));
    std::memcpy(&exStyle, bytes + offsets.exStyle, sizeof(exStyle));

    if (m_dwStyle & WS_CHILD) {
        // Only the font bits of the template survive: without them the
        // template no longer parses.
        style &= DS_SETFONT | DS_FIXEDSYS | DS_3DLOOK;
        style |= (m_dwStyle & ~WS_VISIBLE) | DS_CONTROL | WS_TABSTOP;
        exStyle |= m_dwExStyle | WS_EX_CONTROLPARENT;
    } else {
        style = (style & (DS_SETFONT | DS_FIXEDSYS)) | (m_dwStyle & ~WS_VISIBLE);
        exStyle |= m_dwExStyle;
    }
    std::memcpy(bytes + offsets.style, &style, sizeof(style));
    std::memcpy(bytes + offsets.exStyle, &exStyle, sizeof(exStyle));
}

void CPropertySheet::HideStandardButtons()
{
    for (const int id : {IDOK, IDCANCEL, ID_APPLY_NOW, IDHELP}) {
        if (HWND button = GetDlgItem(id)) {
            ::ShowWindow(button, SW_HIDE);
            ::EnableWindow(button, FALSE);
        }
    }
}

void CPropertySheet::TrimToTabs()
{
    const HWND tab = GetTabControl();
    if (!tab)
        return;
    RECT tabRect;
    ::GetWindowRect(tab, &tabRect);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&tabRect), 2);

    RECT window;
    RECT client;
    GetWindowRect(&window);
    GetClientRect(&client);
    // Below the tabs the same margin as above them.
    const int clientHeight = tabRect.bottom + tabRect.top;
    const int width = window.right - window.left;
    const int height = (window.bottom - window.top) - client.bottom + clientHeight;
    SetWindowPos(nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CPropertySheet::PreTranslateMessage(MSG* pMsg)
{
    // The sheet's dialog handling takes every key; a sheet inside a window
    // first lets that window see it, so its menu's shortcuts work from the pages.
    if ((m_dwStyle & WS_CHILD) && pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST) {
        const HWND root = ::GetAncestor(m_hWnd, GA_ROOT);
        CWnd* window = root != m_hWnd ? CWnd::FromHandlePermanent(root) : nullptr;
        if (window && window->PreTranslateMessage(pMsg))
            return TRUE;
    }
    return SendMessage(PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(pMsg)) ? TRUE : FALSE;
}

BOOL CPropertySheet::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (m_dwStyle & WS_CHILD) {
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
        case IDHELP:
        case ID_APPLY_NOW:
            return TRUE;
        }
    }
    return CWnd::OnCommand(wParam, lParam);
}
