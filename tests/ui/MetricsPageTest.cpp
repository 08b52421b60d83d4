#include "AppFixture.h"

#include "app/MonitorApp.h"
#include "pages/metrics/MetricsDlg.h"
#include "res/resource.h"
#include "support/MessagePump.h"
#include "ui/MainFrame.h"
#include "ui/MainSheet.h"

#include <commctrl.h>

#include <cstdio>
#include <vector>

namespace {

std::string Text(HWND page, int id)
{
    char text[128] = {};
    ::GetDlgItemTextA(page, id, text, sizeof(text));
    return text;
}

struct Gauge {
    int high;
    int position;
};

Gauge GaugeOf(HWND page, int id)
{
    const HWND bar = ::GetDlgItem(page, id);
    PBRANGE range{};
    ::SendMessageA(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 0) << id;
    return {range.iHigh, static_cast<int>(::SendMessageA(bar, PBM_GETPOS, 0, 0))};
}

std::vector<std::vector<std::string>> Rows(HWND list)
{
    std::vector<std::vector<std::string>> rows;
    const int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int item = 0; item < count; ++item) {
        std::vector<std::string> row;
        for (int column = 0; column < 5; ++column) {
            char text[64] = {};
            LVITEMA cell{};
            cell.iSubItem = column;
            cell.pszText = text;
            cell.cchTextMax = sizeof(text);
            ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&cell));
            row.push_back(text);
        }
        rows.push_back(row);
    }
    return rows;
}

class MetricsPage : public AppFixture {
protected:
    CMetricsDlg& Page() { return *theApp.m_pMainFrame->m_pMainSheet->m_pMetricsPage; }
    HWND OpenPage()
    {
        theApp.m_pMainFrame->m_pMainSheet->SetActivePage(1);
        return Page().m_hWnd;
    }
    void SetMemory(const MemoryFigures& memory)
    {
        std::lock_guard<std::mutex> guard(m_metrics->lock);
        m_metrics->memory = memory;
    }
    void SetDrives(std::vector<DriveFigures> drives)
    {
        std::lock_guard<std::mutex> guard(m_metrics->lock);
        m_metrics->drives = std::move(drives);
    }
};

} // namespace

TEST_F(MetricsPage, UntilTheTabIsOpenedNothingIsDrawnOnIt)
{
    StartApp();
    ::SendMessageA(Frame(), WM_COMMAND, MAKEWPARAM(ID_UPDATESPEED_VERYFAST, 0), 0);
    PumpFor(1200); // two or three sampling cycles
    EXPECT_FALSE(Page().m_bInitialized);
    EXPECT_EQ(Page().m_hWnd, nullptr);

    // A refresh before the page exists returns at once rather than touching controls.
    Page().RefreshMemoryAndCpu();
}

TEST_F(MetricsPage, ShowsTheSnapshotAndFollowsItLive)
{
    StartApp();
    const HWND page = OpenPage();
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(Page().m_bInitialized);

    // 512 MiB physical with 128 available, 1 GiB page file with 256 available.
    EXPECT_EQ(Text(page, IDC_ALL_TOTAL), "1536.0 M");
    EXPECT_EQ(Text(page, IDC_ALL_USED), "1152.0 M");
    EXPECT_EQ(Text(page, IDC_ALL_FREE), "384.0 M");
    EXPECT_EQ(Text(page, IDC_PERCENT_ALL), "25%");
    EXPECT_EQ(Text(page, IDC_PAGE_TOTAL), "1024.0 M");
    EXPECT_EQ(Text(page, IDC_PAGE_USED), "768.0 M");
    EXPECT_EQ(Text(page, IDC_PAGE_FREE), "256.0 M");
    EXPECT_EQ(Text(page, IDC_PERCENT_PAGE), "25%");
    EXPECT_EQ(Text(page, IDC_PHYS_TOTAL), "512.0 M");
    EXPECT_EQ(Text(page, IDC_PHYS_USED), "384.0 M");
    EXPECT_EQ(Text(page, IDC_PHYS_FREE), "128.0 M");
    EXPECT_EQ(Text(page, IDC_PERCENT_PHYS), "25%");
    EXPECT_EQ(Text(page, IDC_TOTAL_ALLOCABLE), "2048.0 M");

    // The memory gauges show the free share, in kilobytes.
    const Gauge phys = GaugeOf(page, IDC_PROGRESS_PHYS);
    EXPECT_EQ(phys.high, 512 * 1024);
    EXPECT_EQ(phys.position, 128 * 1024);
    const Gauge all = GaugeOf(page, IDC_PROGRESS_ALL);
    EXPECT_EQ(all.high, 1536 * 1024);
    EXPECT_EQ(all.position, 384 * 1024);
    const Gauge cpu = GaugeOf(page, IDC_PROGRESS_CPU);
    EXPECT_EQ(cpu.high, 100);
    EXPECT_EQ(cpu.position, 25);
    EXPECT_EQ(Text(page, IDC_PERCENT_CPU), "25%");

    CPUInfo processor;
    EXPECT_EQ(Text(page, IDC_CPU_VENDOR), processor.GetVendorID());
    char frequency[32];
    std::snprintf(frequency, sizeof(frequency), "%d MHz", processor.GetProcessorClockFrequency());
    EXPECT_EQ(Text(page, IDC_CPU_FREQUENCY), frequency);

    // A machine above 4 GiB, as the worker's next cycle sees it.
    SetMemory({32ull << 30, 8ull << 30, 48ull << 30, 40ull << 30, 2ull << 30, 1ull << 30, 0});
    ::SendMessageA(Frame(), WM_COMMAND, MAKEWPARAM(ID_UPDATESPEED_VERYFAST, 0), 0);
    ASSERT_TRUE(PumpUntil([&] { return Text(page, IDC_PHYS_TOTAL) == "32768.0 M"; }, 3000));
    EXPECT_EQ(Text(page, IDC_PAGE_TOTAL), "49152.0 M");
    EXPECT_EQ(Text(page, IDC_ALL_FREE), "49152.0 M");
    EXPECT_EQ(Text(page, IDC_PERCENT_PHYS), "25%");
    const Gauge bigPhys = GaugeOf(page, IDC_PROGRESS_PHYS);
    EXPECT_GT(bigPhys.high, 0);
    EXPECT_EQ(bigPhys.position, bigPhys.high / 4) << "same share after scaling into the gauge's range";
}

TEST_F(MetricsPage, DrivesListLeavesOutDrivesWithoutRootAndIsRebuiltByTheButton)
{
    SetDrives({
        {"C:\\", DRIVE_FIXED, 2ull << 40, 1ull << 40, 1ull << 40},
        {"X:\\", DRIVE_NO_ROOT_DIR, 0, 0, 0},
        {"D:\\", DRIVE_UNKNOWN, 1048576, 500, 500},
        {"E:\\", 9, 0, 0, 0},
        {"F:\\", DRIVE_CDROM, 1073741824, 0, 0},
    });
    StartApp();
    const HWND list = ::GetDlgItem(OpenPage(), IDC_DRIVES_LIST);
    EXPECT_EQ(::SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);

    const std::vector<std::vector<std::string>> expected = {
        {"C:\\", "Fixed", "2048.0 GB", "1024.0 GB", "1024.0 GB"},
        {"D:\\", "Unknown", "1.0 MB", "1023.5 KB", "0.5 KB"},
        {"E:\\", "", "0.0 KB", "0.0 KB", "0.0 KB"},
        {"F:\\", "CD-ROM", "1.0 GB", "1.0 GB", "0.0 KB"},
    };
    EXPECT_EQ(Rows(list), expected);

    // The button retakes the snapshot first; pressed twice, it gives the same rows.
    SetDrives({{"C:\\", DRIVE_FIXED, 2ull << 40, 1ull << 40, 1ull << 40}, {"G:\\", DRIVE_REMOTE, 0, 0, 0}});
    const HWND button = ::GetDlgItem(Page().m_hWnd, IDC_UPDATE_DRIVES);
    ::SendMessageA(button, BM_CLICK, 0, 0);
    ::SendMessageA(button, BM_CLICK, 0, 0);
    const std::vector<std::vector<std::string>> updated = {
        {"C:\\", "Fixed", "2048.0 GB", "1024.0 GB", "1024.0 GB"},
        {"G:\\", "Remote", "0.0 KB", "0.0 KB", "0.0 KB"},
    };
    EXPECT_EQ(Rows(list), updated);
}
