#include "pages/startup/StartupDlg.h"

#include "res/resource.h"

IMPLEMENT_DYNCREATE(CStartupDlg, CPropertyPage)

CStartupDlg::CStartupDlg() : CPropertyPage(IDD_STARTUP)
{
}

BOOL CStartupDlg::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    return TRUE;
}
