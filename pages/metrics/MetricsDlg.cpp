#include "pages/metrics/MetricsDlg.h"

#include "res/resource.h"

IMPLEMENT_DYNAMIC(CMetricsDlg, CPropertyPage)

CMetricsDlg::CMetricsDlg() : CPropertyPage(IDD_METRICS)
{
}

BOOL CMetricsDlg::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    m_bInitialized = true;
    RefreshMemoryAndCpu();
    return TRUE;
}

void CMetricsDlg::RefreshMemoryAndCpu()
{
    if (!m_bInitialized)
        return;
}
