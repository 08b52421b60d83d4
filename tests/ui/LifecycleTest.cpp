#include "AppFixture.h"

#include "app/MonitorApp.h"
#include "res/resource.h"
#include "support/MessagePump.h"
#include "ui/MainFrame.h"

#include "framework/MessageBox.h"

#include <commctrl.h>

namespace {

constexpr char kDisabledKey[] = "Software\\Quorvane\\DisabledStartup";

UINT CheckedSpeedItems(HWND frame)
{
    const HMENU speed = ::GetSubMenu(::GetSubMenu(::GetMenu(frame), 0), 0);
    UINT mask = 0;
    for (UINT i = 0; i < 6; ++i)
        if (::GetMenuState(speed, i, MF_BYPOSITION) & MF_CHECKED)
            mask |= 1u << i;
    return mask;
}

// Blocks the creation of windows of one class for as long as it lives.
class CreationBlocker {
public:
    explicit CreationBlocker(const char* className)
    {
        s_className = className;
        m_hook = ::SetWindowsHookExA(WH_CBT, &Hook, nullptr, ::GetCurrentThreadId());
    }
    ~CreationBlocker() { ::UnhookWindowsHookEx(m_hook); }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_CREATEWND) {
            char name[64] = {};
            ::GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof(name));
            if (lstrcmpiA(name, s_className) == 0)
                return 1;
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline const char* s_className = nullptr;
    HHOOK m_hook;
};

BOOL CALLBACK FindOwnQuorvaneWindow(HWND hWnd, LPARAM lParam)
{
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hWnd, &owner);
    char title[64] = {};
    ::GetWindowTextA(hWnd, title, sizeof(title));
    if (owner == ::GetCurrentProcessId() && lstrcmpA(title, "Quorvane") == 0) {
        *reinterpret_cast<bool*>(lParam) = true;
        return FALSE;
    }
    return TRUE;
}

// A window of this process titled "Quorvane"; others may run beside the test.
bool OwnQuorvaneWindowExists()
{
    bool found = false;
    ::EnumWindows(&FindOwnQuorvaneWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

} // namespace

using Lifecycle = AppFixture;

TEST_F(Lifecycle, NormalIsTheOnlyCheckedSpeedAtStartAndTheMarkFollowsEachCommand)
{
    StartApp();
    EXPECT_EQ(CheckedSpeedItems(Frame()), 1u << 2);
    EXPECT_EQ(theApp.m_nUpdateInterval.load(), 2000u);

    const struct {
        UINT command;
        UINT position;
        std::uint32_t interval;
    } speeds[] = {
        {ID_UPDATESPEED_VERYFAST, 0, 500}, {ID_UPDATESPEED_FAST, 1, 1000},     {ID_UPDATESPEED_NORMAL, 2, 2000},
        {ID_UPDATESPEED_SLOW, 3, 3000},    {ID_UPDATESPEED_VERYSLOW, 4, 5000}, {ID_UPDATESPEED_IDLE, 5, 0},
        {ID_UPDATESPEED_IDLE, 5, 0},
    };
    for (const auto& speed : speeds) {
        // Menu commands reach the application through the frame.
        ::SendMessageA(Frame(), WM_COMMAND, MAKEWPARAM(speed.command, 0), 0);
        EXPECT_EQ(CheckedSpeedItems(Frame()), 1u << speed.position) << "command " << speed.command;
        EXPECT_EQ(theApp.m_nUpdateInterval.load(), speed.interval) << "command " << speed.command;
    }
}

TEST_F(Lifecycle, ExitEndsTheLoopWithCodeZeroAndTheWindowStillOpen)
{
    StartApp();
    const HWND frame = Frame();
    ::PostMessageA(frame, WM_COMMAND, MAKEWPARAM(ID_FILE_EXIT, 0), 0);
    EXPECT_EQ(theApp.Run(), 0);
    EXPECT_TRUE(::IsWindow(frame));
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(Lifecycle, ClosingTheWindowEndsTheLoopWithCodeZero)
{
    StartApp();
    const HWND frame = Frame();
    ::PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(theApp.Run(), 0);
    EXPECT_FALSE(::IsWindow(frame));
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
}

TEST_F(Lifecycle, SocketsFailureShowsOneMessageAndNoWindow)
{
    int oleStarts = 0;
    fw::SetSocketStartupFunction([] { return false; });
    fw::SetOleStartupFunction([&] { return ++oleStarts, true; });
    EXPECT_FALSE(theApp.InitInstance());
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text, "Windows sockets initialization failed.");
    EXPECT_EQ(m_messages[0].caption, "Quorvane");
    EXPECT_EQ(m_messages[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(oleStarts, 0) << "OLE start-up is not attempted after a sockets failure";
    EXPECT_EQ(theApp.m_pMainFrame, nullptr);
    EXPECT_FALSE(OwnQuorvaneWindowExists());
    EXPECT_EQ(theApp.ExitInstance(), 1) << "a failed start must not report success";
}

TEST_F(Lifecycle, OleFailureShowsOneMessageAndNoWindow)
{
    fw::SetSocketStartupFunction([] { return true; });
    fw::SetOleStartupFunction([] { return false; });
    EXPECT_FALSE(theApp.InitInstance());
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text,
              "OLE initialization failed.  Make sure that the OLE libraries are the correct version.");
    EXPECT_EQ(m_messages[0].caption, "Quorvane");
    EXPECT_EQ(theApp.m_pMainFrame, nullptr);
    EXPECT_FALSE(OwnQuorvaneWindowExists());
}

TEST_F(Lifecycle, AFrameThatCannotBeCreatedIsNotUsedAgain)
{
    {
        CreationBlocker noStatusBar(STATUSCLASSNAMEA);
        EXPECT_FALSE(theApp.InitInstance());
    }
    EXPECT_EQ(theApp.m_pMainFrame, nullptr);
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
    EXPECT_FALSE(OwnQuorvaneWindowExists());
    PumpFor(50);
}

TEST_F(Lifecycle, CreatesTheDisabledEntriesKeyAndLeavesAnExistingOneAlone)
{
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kDisabledKey));
    StartApp();
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kDisabledKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kDisabledKey)) << "only the user's key is made at start";
}

TEST_F(Lifecycle, AnExistingDisabledEntriesKeyKeepsItsValues)
{
    WriteStringValue(HKEY_CURRENT_USER, kDisabledKey, "Tool", "\"C:\\Tools\\tool.exe\" /background");
    StartApp();
    std::string value;
    ASSERT_TRUE(ReadStringValue(HKEY_CURRENT_USER, kDisabledKey, "Tool", value));
    EXPECT_EQ(value, "\"C:\\Tools\\tool.exe\" /background");
}
