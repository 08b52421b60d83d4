#pragma once
// A modeless property sheet. Created with WS_CHILD it becomes a child window
// of its parent: no caption, no OK/Cancel/Apply/Help row, just the tabs and
// the pages. Page windows are created by the sheet on first show.

#include "PropertyPage.h"

#include <string>
#include <vector>

class CPropertySheet : public CWnd {
    DECLARE_DYNAMIC(CPropertySheet)
public:
    CPropertySheet(const char* pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    ~CPropertySheet() override;

    // Pages are not owned by the sheet.
    void AddPage(CPropertyPage* pPage);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage* GetPage(int nPage) const;
    HWND GetTabControl() const;
    int GetActiveIndex() const;
    BOOL SetActivePage(int nPage);

    // dwStyle -1 means a captioned popup sheet.
    virtual BOOL Create(CWnd* pParentWnd = nullptr, DWORD dwStyle = static_cast<DWORD>(-1), DWORD dwExStyle = 0);

    // Tab, arrow keys and mnemonics of the pages; within a window, that
    // window's own keys (its accelerators) first.
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    // Enter and Esc send IDOK and IDCANCEL, which would end a sheet that has no
    // buttons to show for them.
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    static int CALLBACK SheetCallback(HWND hWnd, UINT message, LPARAM lParam);
    void AdaptTemplate(void* pTemplate) const;
    void HideStandardButtons();
    void TrimToTabs();

    std::string m_strCaption;
    CWnd* m_pParentWnd;
    UINT m_nStartPage;
    std::vector<CPropertyPage*> m_pages;
    DWORD m_dwStyle = 0;
    DWORD m_dwExStyle = 0;
};
