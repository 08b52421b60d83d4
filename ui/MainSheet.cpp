#include "ui/MainSheet.h"

#include "pages/metrics/MetricsDlg.h"
#include "pages/startup/page/StartupDlg.h"

IMPLEMENT_DYNAMIC(CMainSheet, CPropertySheet)

CMainSheet::CMainSheet(const char* pszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : CPropertySheet(pszCaption, pParentWnd, iSelectPage),
      m_pStartupPage(new CStartupDlg),
      m_pMetricsPage(new CMetricsDlg)
{
    AddPage(m_pStartupPage);
    AddPage(m_pMetricsPage);
}

CMainSheet::~CMainSheet()
{
    delete m_pStartupPage;
    delete m_pMetricsPage;
}
