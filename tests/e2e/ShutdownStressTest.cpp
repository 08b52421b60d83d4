// Many starts of the real program with the metrics tab open, each ended at a
// random moment at a random speed, half by closing the window and half by
// Exit: every one must end with code 0 within a second.

#include "res/resource.h"
#include "support/ProcessWindows.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <prsht.h>

#include <random>

TEST(ShutdownStress, EveryRunEndsWithCodeZeroWithinASecond)
{
    const UINT speeds[] = {ID_UPDATESPEED_VERYFAST, ID_UPDATESPEED_FAST, ID_UPDATESPEED_NORMAL,
                           ID_UPDATESPEED_SLOW,     ID_UPDATESPEED_VERYSLOW, ID_UPDATESPEED_IDLE};
    const unsigned seed = 20261207;
    std::mt19937 random(seed);
    const std::string program = QuorvaneCommandLine();

    int failures = 0;
    for (int run = 0; run < 100; ++run) {
        ChildProcess process(program);
        ASSERT_TRUE(process.Valid());
        const HWND frame = WaitForTopLevelWindow(process.Id(), 15000);
        ASSERT_NE(frame, nullptr) << "run " << run;
        const std::vector<HWND> tabs = FindDescendants(frame, WC_TABCONTROLA);
        ASSERT_FALSE(tabs.empty());
        ::SendMessageA(::GetParent(tabs.front()), PSM_SETCURSEL, 1, 0);

        const UINT speed = speeds[random() % 6];
        ::PostMessageA(frame, WM_COMMAND, MAKEWPARAM(speed, 0), 0);
        ::Sleep(random() % 700);
        const bool byClose = run % 2 == 0;
        if (byClose)
            ::PostMessageA(frame, WM_CLOSE, 0, 0);
        else
            ::PostMessageA(frame, WM_COMMAND, MAKEWPARAM(ID_FILE_EXIT, 0), 0);

        const DWORD code = process.WaitForExit(1000);
        if (code != 0) {
            ++failures;
            ADD_FAILURE() << "run " << run << " (seed " << seed << ", speed " << speed << ", "
                          << (byClose ? "close" : "exit") << ") ended with " << code;
        }
    }
    EXPECT_EQ(failures, 0);
}
