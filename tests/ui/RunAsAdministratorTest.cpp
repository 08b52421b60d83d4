#include "AppFixture.h"

#include "app/Elevation.h"
#include "app/MonitorApp.h"
#include "pages/startup/page/StartupDlg.h"
#include "res/resource.h"
#include "support/MessagePump.h"
#include "ui/MainFrame.h"
#include "ui/MainSheet.h"
#include "ui/MenuBitmap.h"

#include "framework/MessageBox.h"

#include <commctrl.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr char kUserRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kFailurePrefix[] = "Could not start Quorvane as administrator: ";

struct MenuItem {
    std::wstring text;
    UINT id;
    bool separator;
    HBITMAP bitmap;
};

std::vector<MenuItem> FileMenu(HWND frame)
{
    const HMENU file = ::GetSubMenu(::GetMenu(frame), 0);
    std::vector<MenuItem> items;
    for (int position = 0; position < ::GetMenuItemCount(file); ++position) {
        wchar_t text[128] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_BITMAP;
        info.dwTypeData = text;
        info.cch = 128;
        ::GetMenuItemInfoW(file, static_cast<UINT>(position), TRUE, &info);
        items.push_back({text, info.wID, (info.fType & MFT_SEPARATOR) != 0, info.hbmpItem});
    }
    return items;
}

std::wstring OwnPath()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

std::wstring CurrentFolder()
{
    wchar_t folder[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, folder);
    return folder;
}

// The application with a pretended token and a shell call that records what
// it would start.
class RunAsAdministratorFixture : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        SetElevationCallsForTesting({[this] { return m_kind; },
                                     [this](HWND, const ElevatedLaunch& launch) {
                                         m_launches.push_back(launch);
                                         return m_shellResult;
                                     }});
    }
    void TearDown() override
    {
        AppFixture::TearDown();
        SetElevationCallsForTesting({});
    }

    ElevationKind m_kind = ElevationKind::Limited;
    DWORD m_shellResult = ERROR_SUCCESS;
    std::vector<ElevatedLaunch> m_launches;
};

struct OfferCase {
    const char* name;
    ElevationKind kind;
    bool offered;
};
void PrintTo(const OfferCase& c, std::ostream* os)
{
    *os << c.name;
}

class RunAsAdministratorMenu : public RunAsAdministratorFixture, public testing::WithParamInterface<OfferCase> {};

TEST_P(RunAsAdministratorMenu, IsInTheFileMenuBeforeExitOnlyWhereThereIsSomethingToElevateTo)
{
    m_kind = GetParam().kind;
    StartApp();
    const std::vector<MenuItem> items = FileMenu(Frame());
    const std::size_t count = items.size();
    ASSERT_GE(count, 4u);
    EXPECT_EQ(items[count - 1].id, static_cast<UINT>(ID_FILE_EXIT));
    EXPECT_TRUE(items[count - 2].separator);
    if (!GetParam().offered) {
        for (const MenuItem& item : items)
            EXPECT_NE(item.id, static_cast<UINT>(ID_FILE_RUN_AS_ADMINISTRATOR));
        EXPECT_EQ(items[count - 3].id, static_cast<UINT>(ID_FILE_COMPARE_STARTUP_LIST)) << "one separator before Exit";
        return;
    }
    const MenuItem& item = items[count - 3];
    EXPECT_EQ(item.id, static_cast<UINT>(ID_FILE_RUN_AS_ADMINISTRATOR));
    EXPECT_EQ(item.text, L"Run as &Administrator");
    EXPECT_TRUE(items[count - 4].separator);
    EXPECT_FALSE(::GetMenuState(::GetMenu(Frame()), ID_FILE_RUN_AS_ADMINISTRATOR, MF_BYCOMMAND) & MF_GRAYED);

    // The shield where the system has one (Wine gives none).
    EXPECT_EQ(item.bitmap != nullptr, static_cast<bool>(ShieldMenuBitmap()));
}

INSTANTIATE_TEST_SUITE_P(TokenKinds, RunAsAdministratorMenu,
                         testing::Values(OfferCase{"Limited", ElevationKind::Limited, true},
                                         OfferCase{"Full", ElevationKind::Full, false},
                                         OfferCase{"Default", ElevationKind::Default, false},
                                         OfferCase{"Unknown", ElevationKind::Unknown, false}),
                         [](const testing::TestParamInfo<OfferCase>& info) { return std::string(info.param.name); });

struct ChooseCase {
    const char* name;
    bool unapplied;   // a box of the start-up page differs from its entry
    int answer;       // to the warning
    DWORD shell;      // what the shell call returns
    bool launched;
    bool toldFailure;
    bool ends;
};
void PrintTo(const ChooseCase& c, std::ostream* os)
{
    *os << c.name;
}

class RunAsAdministratorChosen : public RunAsAdministratorFixture, public testing::WithParamInterface<ChooseCase> {};

TEST_P(RunAsAdministratorChosen, WarnsOfUnappliedChangesStartsTheProgramWithRunasAndEndsOnlyOnceItStarted)
{
    const ChooseCase& c = GetParam();
    std::vector<ShownMessage> shown;
    fw::SetMessageBoxFunction([&](HWND owner, const char* text, const char* caption, UINT type) {
        shown.push_back({owner, text, caption, type});
        return (type & MB_TYPEMASK) == MB_YESNO ? c.answer : IDOK;
    });
    m_shellResult = c.shell;
    if (c.unapplied)
        WriteStringValue(HKEY_CURRENT_USER, kUserRunKey, "Tool", "tool.exe");
    StartApp();
    const CStartupDlg& page = *theApp.m_pMainFrame->m_pMainSheet->m_pStartupPage;
    if (c.unapplied) {
        ListView_SetCheckState(::GetDlgItem(page.m_hWnd, IDC_STARTUP_LIST), 0, FALSE);
        ASSERT_EQ(page.m_rows.DifferingCount(), 1u);
    }
    const HWND frame = Frame();
    ::SendMessageA(frame, WM_COMMAND, MAKEWPARAM(ID_FILE_RUN_AS_ADMINISTRATOR, 0), 0);
    if (c.ends) // chosen again before the window has closed
        ::SendMessageA(frame, WM_COMMAND, MAKEWPARAM(ID_FILE_RUN_AS_ADMINISTRATOR, 0), 0);

    std::size_t next = 0;
    if (c.unapplied) {
        ASSERT_GT(shown.size(), next);
        EXPECT_EQ(shown[next].text.rfind("Changes that are not applied will be lost.", 0), 0u) << shown[next].text;
        EXPECT_EQ(shown[next].type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
        EXPECT_EQ(shown[next].owner, frame);
        ++next;
    }
    if (c.toldFailure) {
        ASSERT_GT(shown.size(), next);
        EXPECT_EQ(shown[next].text.rfind(kFailurePrefix, 0), 0u) << shown[next].text;
        EXPECT_GT(shown[next].text.size(), sizeof(kFailurePrefix)) << "the system's text follows";
        EXPECT_EQ(shown[next].caption, "Quorvane");
        ++next;
    }
    EXPECT_EQ(shown.size(), next) << "no other message";

    ASSERT_EQ(m_launches.size(), c.launched ? 1u : 0u);
    if (c.launched) {
        EXPECT_EQ(m_launches[0].verb, L"runas");
        EXPECT_EQ(m_launches[0].file, OwnPath());
        EXPECT_EQ(m_launches[0].parameters, ArgumentsAfterProgram(::GetCommandLineW()));
        EXPECT_FALSE(m_launches[0].parameters.empty()) << "this test program is given arguments";
        EXPECT_EQ(m_launches[0].directory, CurrentFolder());
    }

    if (c.ends) {
        EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(frame); }, 2000)) << "the window closes";
        EXPECT_EQ(theApp.m_pMainWnd, nullptr);
        EXPECT_EQ(theApp.Run(), 0);
    } else {
        PumpFor(100);
        EXPECT_TRUE(::IsWindow(frame));
        EXPECT_EQ(theApp.m_pMainFrame->m_hWnd, frame);
        if (c.unapplied) {
            EXPECT_EQ(page.m_rows.DifferingCount(), 1u) << "the unapplied change stays";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, RunAsAdministratorChosen,
    testing::Values(ChooseCase{"Started", false, 0, ERROR_SUCCESS, true, false, true},
                    ChooseCase{"PromptDeclined", false, 0, ERROR_CANCELLED, true, false, false},
                    ChooseCase{"ShellFailed", false, 0, ERROR_ACCESS_DENIED, true, true, false},
                    ChooseCase{"UnappliedKept", true, IDNO, ERROR_SUCCESS, false, false, false},
                    ChooseCase{"UnappliedGivenUp", true, IDYES, ERROR_SUCCESS, true, false, true}),
    [](const testing::TestParamInfo<ChooseCase>& info) { return std::string(info.param.name); });

} // namespace
