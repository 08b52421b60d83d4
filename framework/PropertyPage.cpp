#include "PropertyPage.h"

#include "WinApp.h"

#include <unordered_map>

IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)

namespace {
// Pages are made and shown on the user-interface thread only.
std::unordered_map<LPARAM, CPropertyPage*>& LivePages()
{
    static std::unordered_map<LPARAM, CPropertyPage*> pages;
    return pages;
}

LPARAM NextPageKey()
{
    static LPARAM next = 0;
    return ++next;
}
} // namespace

CPropertyPage::CPropertyPage(UINT nIDTemplate) : CDialog(nIDTemplate), m_key(NextPageKey())
{
    LivePages()[m_key] = this;
}

CPropertyPage::~CPropertyPage()
{
    LivePages().erase(m_key);
}

PROPSHEETPAGEA CPropertyPage::GetSheetPage() const
{
    PROPSHEETPAGEA page{};
    page.dwSize = sizeof(page);
    page.dwFlags = PSP_DEFAULT;
    page.hInstance = AfxGetResourceHandle();
    page.pszTemplate = MAKEINTRESOURCEA(GetTemplateId());
    page.pfnDlgProc = &PageDlgProc;
    page.lParam = m_key;
    return page;
}

INT_PTR CALLBACK CPropertyPage::PageDlgProc(HWND hDlg, UINT message, WPARAM, LPARAM lParam)
{
    // Everything after WM_INITDIALOG reaches the page through its window procedure.
    if (message != WM_INITDIALOG)
        return FALSE;
    const PROPSHEETPAGEA* description = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
    const auto it = LivePages().find(description->lParam);
    if (it == LivePages().end())
        return TRUE;
    CPropertyPage* pPage = it->second;
    if (!pPage->SubclassWindow(hDlg))
        return TRUE;
    return pPage->OnInitDialog();
}
