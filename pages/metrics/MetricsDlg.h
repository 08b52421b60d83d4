#pragma once
// The "Sytem Metrics" page: memory and CPU gauges and figures, and the drives list.

#include "framework/Framework.h"
#include "pages/metrics/MemoryPanel.h"

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

    // Brings the memory and CPU groups up to date with the latest snapshots.
    // Does nothing until the page's window has been initialised. On the
    // sampling worker it only works the figures out and hands them to the
    // user-interface thread in one posted message, so the worker never waits
    // for that thread; on the user-interface thread it shows them at once.
    void RefreshMemoryAndCpu();

    // Shows the latest figures if the page can be seen; for the frame when
    // it is restored from a minimised state.
    void ShowLatestFigures();

    // Rebuilds the drives list from the latest drives snapshot.
    void FillDrivesList();

    // Set once by OnInitDialog on the user-interface thread, read by the worker.
    std::atomic<bool> m_bInitialized{false};
    // The thread that owns the page's window; set before m_bInitialized.
    DWORD m_uiThreadId = 0;

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
    LRESULT OnFiguresReady(WPARAM, LPARAM);
    LRESULT OnShowWindow(WPARAM show, LPARAM);
    LRESULT OnThemeChanged(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()

private:
    struct PanelFigures {
        MemoryPanelView memory;
        CpuPanelView cpu;
    };
    static PanelFigures ComputeFigures();

    // Under Wine every control update is a round trip to the window server
    // plus a repaint: only figures that differ from what a control shows are
    // set, and none while the page cannot be seen (another tab in front, the
    // window minimised). The figures wait in m_latest meanwhile.
    bool CanBeSeen() const;
    void ShowFigures(const PanelFigures& figures);
    void TakeAndShowLatest();

    // The wrappers bound to the gauges' and the memory texts' control ids.
    CProgressCtrl& Gauge(int controlId);
    CStatic& Text(int controlId);

    // Sets a gauge's range and position where they differ from what it
    // holds. While the page can be seen, a new position that would fill the
    // same length of the bar is left for later: setting it costs a full
    // repaint of the gauge and changes no pixel.
    void SetGauge(const GaugeSetting& gauge);
    // The inner length in pixels of the gauge's bar, as the control draws it.
    int BarLength(int controlId);
    bool TextChanges(int controlId, const std::string& text);

    // The newest figures from the worker not yet shown, and whether a message
    // announcing them is on its way: one message stands for any number of
    // cycles, and the page shows only the newest.
    std::mutex m_latestLock;
    std::optional<PanelFigures> m_latest;
    std::atomic<bool> m_bFiguresPosted{false};

    // What each gauge and text of the memory and CPU groups shows now; used
    // on the user-interface thread only.
    struct ShownGauge {
        int high;
        int position;
    };
    static constexpr int kFirstShownId = 1004; // gauges and texts use ids 1004 to 1024
    static constexpr int kShownIds = 21;
    // Empty until the control has been set once.
    std::array<std::optional<ShownGauge>, kShownIds> m_shownGauges{};
    std::array<std::optional<std::string>, kShownIds> m_shownTexts{};
    // Measured on first use and again after a change of theme; 0: not yet.
    std::array<int, kShownIds> m_barLengths{};
};
