// Every text of both pages and of the status bar fits its control whole, in
// the control's own font, with the largest figures the program must show: at
// the screen's DPI, and at another DPI in a child process started with it.

#include "AppFixture.h"

#include "app/MonitorApp.h"
#include "pages/metrics/MetricsDlg.h"
#include "pages/startup/page/StartupDlg.h"
#include "res/resource.h"
#include "startup/store/StoredValue.h"
#include "support/MessagePump.h"
#include "support/ProcessWindows.h"
#include "ui/MainFrame.h"
#include "ui/MainSheet.h"

#include <commctrl.h>

#include <cstdlib>

namespace {

constexpr std::uint64_t kTiB = 1ull << 40;
constexpr char kDpiVariable[] = "QUORVANE_TEST_DPI";
constexpr char kDesktopKey[] = "Control Panel\\Desktop";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kPolicyRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run";

int ScreenDpi()
{
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    return dpi;
}

// The user's DPI, which a process reads when it starts: set for the
// processes started meanwhile, then put back as it was.
class LogPixelsSetting {
public:
    explicit LogPixelsSetting(DWORD dpi)
    {
        DWORD size = sizeof(m_previous);
        m_had = ::RegGetValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", RRF_RT_REG_DWORD, nullptr, &m_previous,
                               &size) == ERROR_SUCCESS;
        ::RegSetKeyValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", REG_DWORD, &dpi, sizeof(dpi));
    }
    ~LogPixelsSetting()
    {
        if (m_had)
            ::RegSetKeyValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", REG_DWORD, &m_previous, sizeof(DWORD));
        else
            ::RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels");
    }

private:
    bool m_had = false;
    DWORD m_previous = 0;
};

// Runs the current test again in a child process started at the DPI, its
// output going where this one's goes; returns the child's exit code.
DWORD RunThisTestAt(int dpi)
{
    const testing::TestInfo& test = *testing::UnitTest::GetInstance()->current_test_info();
    char program[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, program, MAX_PATH);
    const std::string commandLine = std::string("\"") + program + "\" --gtest_filter=" + test.test_suite_name() +
                                    "." + test.name();
    ::SetEnvironmentVariableA(kDpiVariable, std::to_string(dpi).c_str());
    DWORD exitCode = STILL_ACTIVE;
    {
        const LogPixelsSetting setting(static_cast<DWORD>(dpi));
        const ChildProcess child(commandLine, ChildOutput::Shared);
        if (child.Valid())
            exitCode = child.WaitForExit(60000);
    }
    ::SetEnvironmentVariableA(kDpiVariable, nullptr);
    return exitCode;
}

// The text laid out by DrawText in the window's own font, within the width.
RECT TextRect(HWND window, const std::string& text, UINT format, int width)
{
    RECT rect{0, 0, width, 0};
    const HDC dc = ::GetDC(window);
    const HGDIOBJ previous = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(window, WM_GETFONT, 0, 0)));
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect, format | DT_CALCRECT);
    ::SelectObject(dc, previous);
    ::ReleaseDC(window, dc);
    return rect;
}

std::string ClassOf(HWND window)
{
    char name[32] = {};
    ::GetClassNameA(window, name, sizeof(name));
    return name;
}

struct Misfits : std::vector<std::string> {
    void Check(const std::string& what, int needed, int has)
    {
        if (needed > has)
            push_back(what + ": " + std::to_string(needed) + " px in " + std::to_string(has));
    }
};

// A static wraps at word breaks and must show every line; a button or group
// box shows one line inside its frame.
void CheckText(HWND control, Misfits& misfits)
{
    const std::string text = WindowText(control);
    const std::string what = "control " + std::to_string(::GetDlgCtrlID(control)) + " \"" + text + "\"";
    RECT client{};
    ::GetClientRect(control, &client);
    const int oneLine = TextRect(control, text, DT_SINGLELINE, 0).right;
    if (ClassOf(control) == "Static") {
        const RECT wrapped = TextRect(control, text, DT_WORDBREAK | DT_EXPANDTABS, client.right);
        misfits.Check(what, wrapped.bottom > client.bottom ? oneLine : wrapped.right, client.right);
    } else if (ClassOf(control) == "Button") {
        misfits.Check(what, oneLine + 4 * ::GetSystemMetrics(SM_CXEDGE), client.right);
    } else if (ClassOf(control) == "ComboBox") {
        // Each choice beside the drop-down arrow.
        for (int item = 0, count = static_cast<int>(::SendMessageA(control, CB_GETCOUNT, 0, 0)); item < count; ++item) {
            char choice[128] = {};
            ::SendMessageA(control, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(choice));
            misfits.Check("choice \"" + std::string(choice) + "\"",
                          TextRect(control, choice, DT_SINGLELINE, 0).right + ::GetSystemMetrics(SM_CXVSCROLL)
                              + 4 * ::GetSystemMetrics(SM_CXEDGE),
                          client.right);
        }
    }
}

// No control covers another (a group box holds its controls).
void CheckOverlaps(HWND page, Misfits& misfits)
{
    std::vector<std::pair<std::string, RECT>> placed;
    for (HWND child = ::GetWindow(page, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (ClassOf(child) == "Button" && (::GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX)
            continue;
        RECT rect{}; // a closed drop-down list: the box alone
        ::GetWindowRect(child, &rect);
        const std::string what = ClassOf(child) + " " + std::to_string(::GetDlgCtrlID(child)) + " \"" + WindowText(child) + "\"";
        for (const auto& [other, otherRect] : placed) {
            RECT both{};
            if (::IntersectRect(&both, &rect, &otherRect))
                misfits.push_back(what + " covers " + other);
        }
        placed.emplace_back(what, rect);
    }
}

// Each heading fits between the header's margins, and each column is as wide
// as the list makes it when it fits the column to its rows.
void CheckColumns(HWND list, Misfits& misfits)
{
    const HWND header = reinterpret_cast<HWND>(::SendMessageA(list, LVM_GETHEADER, 0, 0));
    const int margin = static_cast<int>(::SendMessageA(header, HDM_GETBITMAPMARGIN, 0, 0));
    const int columns = static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    for (int column = 0; column < columns; ++column) {
        char heading[64] = {};
        LVCOLUMNA info{};
        info.mask = LVCF_TEXT | LVCF_WIDTH;
        info.pszText = heading;
        info.cchTextMax = sizeof(heading);
        ::SendMessageA(list, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&info));
        const std::string what = "column \"" + std::string(heading) + "\"";
        misfits.Check(what + " heading", TextRect(header, heading, DT_SINGLELINE, 0).right + 2 * margin, info.cx);
        ::SendMessageA(list, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(LVSCW_AUTOSIZE, 0));
        misfits.Check(what + " rows", static_cast<int>(::SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0)), info.cx);
        ::SendMessageA(list, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(info.cx, 0));
    }
}

std::vector<std::string> MisfitsOn(HWND page)
{
    Misfits misfits;
    for (HWND child = ::GetWindow(page, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (ClassOf(child) == WC_LISTVIEWA)
            CheckColumns(child, misfits);
        else
            CheckText(child, misfits);
    }
    CheckOverlaps(page, misfits);
    return misfits;
}

std::vector<std::string> MisfitsOnStatusBar(HWND bar)
{
    Misfits misfits;
    int borders[3] = {};
    ::SendMessageA(bar, SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    for (int pane = 0; pane < 3; ++pane) {
        RECT rect{};
        ::SendMessageA(bar, SB_GETRECT, static_cast<WPARAM>(pane), reinterpret_cast<LPARAM>(&rect));
        const std::string text = PaneText(bar, pane);
        misfits.Check("pane \"" + text + "\"", TextRect(bar, text, DT_SINGLELINE, 0).right + 2 * borders[0],
                      rect.right - rect.left);
    }
    return misfits;
}

std::vector<DriveFigures> LargestDrives(std::uint64_t free)
{
    std::vector<DriveFigures> drives;
    char root[] = "C:\\";
    for (unsigned int type : {DRIVE_FIXED, DRIVE_REMOVABLE, DRIVE_REMOTE, DRIVE_CDROM, DRIVE_RAMDISK, DRIVE_UNKNOWN}) {
        drives.push_back({root, type, 64 * kTiB, free, free});
        ++root[0];
    }
    return drives;
}

// The largest machine whose figures must be readable: 1 TiB of physical memory
// and of page file, a 128 TiB address space and 64 TiB drives, all free or
// all in use.
struct Machine {
    const char* name;
    MemoryFigures memory;
    std::vector<DriveFigures> drives;
};

const Machine kMachines[] = {
    {"all free", {kTiB, kTiB, kTiB, kTiB, 128 * kTiB, 128 * kTiB, 0}, LargestDrives(64 * kTiB)},
    {"all in use", {kTiB, 0, kTiB, 0, 128 * kTiB, 0, 100}, LargestDrives(0)},
};

// At another DPI than the screen's, the test runs in a child process and
// this one only waits for it.
class Readable : public AppFixture, public testing::WithParamInterface<int> {
protected:
    bool AtThisDpi() const { return ScreenDpi() == GetParam(); }
    void SetUp() override
    {
        if (AtThisDpi())
            AppFixture::SetUp();
    }
    void TearDown() override
    {
        if (AtThisDpi())
            AppFixture::TearDown();
    }
};

} // namespace

TEST_P(Readable, EveryTextFitsItsControlWithTheLargestFigures)
{
    if (!AtThisDpi()) {
        const char* started = std::getenv(kDpiVariable);
        ASSERT_EQ(started, nullptr) << "the DPI setting did not reach this process, started at " << started;
        EXPECT_EQ(RunThisTestAt(GetParam()), 0u) << "at " << GetParam() << " DPI (its output is above)";
        return;
    }

    {
        std::lock_guard<std::mutex> guard(m_metrics->lock);
        m_metrics->processes = 99999;
        m_metrics->cpuStep = {0, 100, 0}; // fully busy
    }
    WriteStringValue(HKEY_CURRENT_USER, kRunKey, "Tray Clock", "C:\\Tools\\trayclock.exe -s");
    WriteStringValue(HKEY_LOCAL_MACHINE, kRunKey, "Audio Manager", "C:\\Windows\\System32\\audiomgr.exe");
    // The longest Location text: the 32-bit view's policy entries.
    WriteStored(HKEY_LOCAL_MACHINE, kPolicyRunKey, "Setup Cleanup", Sz("C:\\Tools\\cleanup.exe"), KEY_WOW64_32KEY);
    StartApp();
    CMainSheet& sheet = *theApp.m_pMainFrame->m_pMainSheet;
    // The group choice and the filter come once the window is drawn.
    ASSERT_TRUE(PumpUntil([&] { return ::GetDlgItem(sheet.m_pStartupPage->m_hWnd, IDC_STARTUP_FILTER) != nullptr; },
                          5000));
    EXPECT_EQ(MisfitsOn(sheet.m_pStartupPage->m_hWnd), std::vector<std::string>{});

    sheet.SetActivePage(1);
    CMetricsDlg& metricsPage = *sheet.m_pMetricsPage;
    const HWND bar = StatusBarOf(Frame());
    for (const Machine& machine : kMachines) {
        SCOPED_TRACE(machine.name);
        {
            std::lock_guard<std::mutex> guard(m_metrics->lock);
            m_metrics->memory = machine.memory;
            m_metrics->drives = machine.drives;
        }
        theApp.m_SystemMetrics.UpdateMemorySnapshot();
        theApp.m_SystemMetrics.UpdateCpuSnapshot();
        theApp.m_SystemMetrics.UpdateCpuSnapshot(); // an interval of the full load
        theApp.m_SystemMetrics.UpdateDrivesSnapshot();
        metricsPage.RefreshMemoryAndCpu();
        metricsPage.FillDrivesList();
        ASSERT_TRUE(PumpUntil([&] { return PaneText(bar, 1) == "CPU: 100%"; }, 2000));
        PumpFor(600); // one more tick: every pane shows this machine's figures

        EXPECT_EQ(MisfitsOn(metricsPage.m_hWnd), std::vector<std::string>{});
        EXPECT_EQ(MisfitsOnStatusBar(bar), std::vector<std::string>{});
    }
}

INSTANTIATE_TEST_SUITE_P(Dpi, Readable, testing::Values(96, 144));
