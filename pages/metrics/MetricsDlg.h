#pragma once
// The "Sytem Metrics" page: memory and CPU gauges and figures, and the drives list.

#include "framework/Framework.h"

#include <array>
#include <atomic>
#include <mutex>
#include <optional>
#include <string>

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

    // What each gauge and text of the memory and CPU groups shows now, so a
    // refresh redraws only what changed: under Wine every control update is a
    // cross-thread message plus a repaint. The lock guards only the
    // comparison, never a window message.
    struct GaugeChange {
        bool range;
        bool position; // a new range needs its position set again
    };
    GaugeChange ChangeGauge(int controlId, int high, int position);
    bool TextChanges(int controlId, const std::string& text);

    struct ShownGauge {
        int high;
        int position;
    };
    static constexpr int kFirstShownId = 1004; // gauges and texts use ids 1004 to 1024
    static constexpr int kShownIds = 21;
    std::mutex m_shownLock;
    // Empty until the control has been set once.
    std::array<std::optional<ShownGauge>, kShownIds> m_shownGauges{};
    std::array<std::optional<std::string>, kShownIds> m_shownTexts{};
};
