#pragma once
// The tabbed sheet in the main frame: "Start-Up" first, "Sytem Metrics" second.

#include "framework/Framework.h"

class CStartupDlg;
class CMetricsDlg;

class CMainSheet : public CPropertySheet {
    DECLARE_DYNAMIC(CMainSheet)
public:
    CMainSheet(const char* pszCaption, CWnd* pParentWnd, UINT iSelectPage);
    ~CMainSheet() override;

    // Owned; set by the constructor and unchanged while the sheet exists, so
    // the sampling worker may read them.
    CStartupDlg* m_pStartupPage = nullptr;
    CMetricsDlg* m_pMetricsPage = nullptr;
};
