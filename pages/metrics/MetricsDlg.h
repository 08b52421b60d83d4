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

    // Rebuilds the drives list from the latest drives snapshot.
    void FillDrivesList();

    // Set once by OnInitDialog on the user-interface thread, read by the worker.
    std::atomic<bool> m_bInitialized{false};

    CProgressCtrl m_progAllMemory;
    CProgressCtrl m_progPhysical;
    CStatic m_stcAllTotal;
    CStatic m_stcAllUsed;
    CStatic m_stcAllFree;
    CProgressCtrl m_progPageFile;
    CStatic m_stcPageTotal;
    CStatic m_stcPageUsed;
    CStatic m_stcPageFree;
    CStatic m_stcPhysTotal;
    CStatic m_stcPhysUsed;
    CStatic m_stcPhysFree;
    CStatic m_stcAllPercent;
    CStatic m_stcPagePercent;
    CStatic m_stcPhysPercent;
    CProgressCtrl m_progCpu;
    CStatic m_stcCpuPercent;
    CStatic m_stcManufacturer;
    CStatic m_stcFrequency;
    CListCtrl m_listDrives;
    CStatic m_stcAllocable;
    CButton m_btnUpdateDrives;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnBnClickedUpdateDrives();

    DECLARE_MESSAGE_MAP()

private:
    // The wrappers bound to the memory group's gauge and text control ids.
    CProgressCtrl& Gauge(int controlId);
    CStatic& Text(int controlId);
};
