#pragma once
// A page of a property sheet, on a dialog template. The sheet creates the
// page's window when the page is first shown; from its WM_INITDIALOG on the
// window is attached to this object.

#include "Dialog.h"

#include <prsht.h>

class CPropertyPage : public CDialog {
    DECLARE_DYNAMIC(CPropertyPage)
public:
    explicit CPropertyPage(UINT nIDTemplate);
    ~CPropertyPage() override;

    // The page's description for the sheet; its tab shows the template's caption.
    PROPSHEETPAGEA GetSheetPage() const;

private:
    static INT_PTR CALLBACK PageDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);

    // Names this page in the sheet's copy of its description; an integer key
    // rather than the object's address, so no integer is ever cast to a page.
    LPARAM m_key;
};
