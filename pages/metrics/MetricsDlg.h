#pragma once
// The "Sytem Metrics" page: memory and CPU gauges and figures, and the drives list.

#include "framework/Framework.h"

#include <atomic>

class CMetricsDlg : public CPropertyPage {
    DECLARE_DYNAMIC(CMetricsDlg)
public:
    CMetricsDlg();

    BOOL OnInitDialog() override;

    // Redraws the memory and CPU groups from the latest snapshots. Called by
    // the sampling worker each cycle; does nothing until the page's window
    // has been initialised.
    void RefreshMemoryAndCpu();

    // Set once by OnInitDialog on the user-interface thread, read by the worker.
    std::atomic<bool> m_bInitialized{false};
};
