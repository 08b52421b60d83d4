// The built program started as a user would, looked at from outside.

#include "res/resource.h"
#include "support/ProcessWindows.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <regex>

namespace {

constexpr DWORD kStartTimeoutMs = 15000;

class RunningProgram {
public:
    RunningProgram() : m_process(QuorvaneCommandLine()) {}

    ChildProcess& Process() { return m_process; }

    HWND WaitForWindow()
    {
        m_frame = WaitForTopLevelWindow(m_process.Id(), kStartTimeoutMs);
        return m_frame;
    }
    HWND Frame() const { return m_frame; }
    HWND Child(const char* className) const
    {
        const std::vector<HWND> found = FindDescendants(m_frame, className);
        return found.empty() ? nullptr : found.front();
    }

private:
    ChildProcess m_process;
    HWND m_frame = nullptr;
};

void ExpectWindowWithTabsAndLiveStatus(RunningProgram& program)
{
    ASSERT_TRUE(program.Process().Valid());
    const HWND frame = program.WaitForWindow();
    ASSERT_NE(frame, nullptr) << "no window within " << kStartTimeoutMs << " ms";
    EXPECT_EQ(WindowText(frame), "Quorvane");

    const HWND tab = program.Child(WC_TABCONTROLA);
    ASSERT_NE(tab, nullptr);
    ASSERT_EQ(::SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(RemoteTabCaption(program.Process().Handle(), tab, 0), "Start-Up");
    EXPECT_EQ(RemoteTabCaption(program.Process().Handle(), tab, 1), "Sytem Metrics");
    EXPECT_EQ(::SendMessageA(tab, TCM_GETCURSEL, 0, 0), 0);

    const HWND bar = program.Child(STATUSCLASSNAMEA);
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(::SendMessageA(bar, SB_GETPARTS, 0, 0), 3);
    const HANDLE process = program.Process().Handle();
    // The indicator strings stand until the first tick, 500 ms after creation.
    const std::regex processes("Processes: [1-9][0-9]*");
    const ULONGLONG deadline = ::GetTickCount64() + 3000;
    while (!std::regex_match(RemoteStatusText(process, bar, 0), processes) && ::GetTickCount64() < deadline)
        ::Sleep(20);
    EXPECT_TRUE(std::regex_match(RemoteStatusText(process, bar, 0), processes));
    EXPECT_TRUE(std::regex_match(RemoteStatusText(process, bar, 1), std::regex("CPU: [0-9]{1,3}%")));
    EXPECT_TRUE(std::regex_match(RemoteStatusText(process, bar, 2),
                                 std::regex("Virtual Memory: [0-9]+ M Free / [1-9][0-9]* M Total")));
}

} // namespace

TEST(Program, ShowsItsWindowAndEndsWithCodeZeroWhenClosed)
{
    RunningProgram program;
    ExpectWindowWithTabsAndLiveStatus(program);
    ASSERT_NE(program.Frame(), nullptr);
    ::PostMessageA(program.Frame(), WM_CLOSE, 0, 0);
    EXPECT_EQ(program.Process().WaitForExit(2000), 0u);
}

TEST(Program, EndsWithCodeZeroThroughExit)
{
    RunningProgram program;
    ExpectWindowWithTabsAndLiveStatus(program);
    ASSERT_NE(program.Frame(), nullptr);
    ::PostMessageA(program.Frame(), WM_COMMAND, MAKEWPARAM(ID_FILE_EXIT, 0), 0);
    EXPECT_EQ(program.Process().WaitForExit(2000), 0u);
}

TEST(Program, SecondTabGetsItsPageWhenSelected)
{
    RunningProgram program;
    ASSERT_NE(program.WaitForWindow(), nullptr);
    const HWND sheet = ::GetParent(program.Child(WC_TABCONTROLA));
    auto pageTitled = [&](const char* title) {
        for (HWND child = ::GetWindow(sheet, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            if (WindowText(child) == title)
                return true;
        return false;
    };
    EXPECT_TRUE(pageTitled("Start-Up"));
    EXPECT_FALSE(pageTitled("Sytem Metrics")) << "made only when first shown";
    ::SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
    EXPECT_TRUE(pageTitled("Sytem Metrics"));

    // The address space of a process of this build, unclamped: 2 or 4 GiB for
    // the 32-bit program, terabytes for the 64-bit one.
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    ASSERT_TRUE(::GlobalMemoryStatusEx(&status));
    if (sizeof(void*) == 8) {
        EXPECT_GE(status.ullTotalVirtual, 8ull << 40);
    }
    char expected[64];
    std::snprintf(expected, sizeof(expected), "%.1f M", static_cast<double>(status.ullTotalVirtual >> 10) / 1024);
    HWND page = nullptr;
    for (HWND child = ::GetWindow(sheet, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (WindowText(child) == "Sytem Metrics")
            page = child;
    EXPECT_EQ(WindowText(::GetDlgItem(page, IDC_TOTAL_ALLOCABLE)), expected);

    ::PostMessageA(program.Frame(), WM_CLOSE, 0, 0);
    EXPECT_EQ(program.Process().WaitForExit(2000), 0u);
}
