// The start-up page in real windows: what it lists, when its buttons are
// enabled, sorting, and what Apply and Revert Changes do to the registry.

#include "startup/page/StartupPageFixture.h"

#include "pages/startup/store/StartupApproved.h"
#include "pages/startup/page/StartupDlg.h"
#include "pages/startup/store/StartupMoves.h"
#include "pages/startup/store/StartupStore.h"
#include "res/resource.h"
#include "startup/store/ForwardingCalls.h"
#include "startup/store/StoredValue.h"
#include "support/MessagePump.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <memory>
#include <set>

namespace {

const char kUser[] = "User Start-Up";
const char kSystem[] = "System Start-Up";

bool InKey(HKEY hive, const wchar_t* path, const std::string& name, const std::string& command)
{
    return ReadStored(hive, path, name) == Sz(command);
}

bool Absent(HKEY hive, const wchar_t* path, const std::string& name)
{
    return !ReadStored(hive, path, name).has_value();
}

using StartupPageTest = StartupPageFixture;

TEST_F(StartupPageTest, ListsTheFourSourcesInOrderAndSkipsTheDefaultValue)
{
    WriteStored(HKEY_LOCAL_MACHINE, kDisabledKeyPath, "machine-off", Sz("m-off.exe"));
    WriteStored(HKEY_CURRENT_USER, kDisabledKeyPath, "user-off", Sz("u-off.exe"));
    WriteStored(HKEY_LOCAL_MACHINE, kRunKeyPath, "machine-on", Sz("m-on.exe"));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "", Sz("default.exe"));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "user-on", Sz("u-on.exe"));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "number", Raw(REG_DWORD, std::string("\x07\0\0\0", 4)));
    StartApp();

    const std::vector<ShownRow> rows = Rows();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[2], (ShownRow{"machine-on", kSystem, "m-on.exe", true}));
    EXPECT_EQ(rows[3], (ShownRow{"user-off", kUser, "u-off.exe", false}));
    EXPECT_EQ(rows[4], (ShownRow{"machine-off", kSystem, "m-off.exe", false}));
    // The user's Run key in enumeration order, whatever that is here.
    EXPECT_EQ((std::set<std::string>{rows[0].program, rows[1].program}), (std::set<std::string>{"user-on", "number"}));
    EXPECT_EQ(rows[0].location, kUser);
    EXPECT_TRUE(rows[0].checked && rows[1].checked);
    EXPECT_EQ(rows[rows[0].program == "number" ? 0 : 1].path, "7") << "a number is shown as one";
    EXPECT_FALSE(Enabled(IDC_APPLY) || Enabled(IDC_REVERT) || Enabled(IDC_SEARCH));
}

TEST_F(StartupPageTest, EmptyKeysGiveAnEmptyListWithEveryButtonDisabled)
{
    StartApp();
    EXPECT_TRUE(Rows().empty());
    EXPECT_FALSE(Enabled(IDC_APPLY) || Enabled(IDC_REVERT) || Enabled(IDC_SEARCH));
}

TEST_F(StartupPageTest, ApplyAndRevertAreEnabledExactlyWhileABoxDiffers)
{
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "one", Sz("one.exe"));
    WriteStored(HKEY_CURRENT_USER, kDisabledKeyPath, "two", Sz("two.exe"));
    StartApp();

    Tick(0, false);
    EXPECT_TRUE(Enabled(IDC_APPLY) && Enabled(IDC_REVERT));
    Tick(1, true);
    Tick(0, true);
    EXPECT_TRUE(Enabled(IDC_APPLY)) << "row two still differs";
    Tick(1, false);
    EXPECT_FALSE(Enabled(IDC_APPLY) || Enabled(IDC_REVERT));

    // Search follows the selection, not the boxes.
    Select(1, true);
    EXPECT_TRUE(Enabled(IDC_SEARCH));
    Tick(1, true);
    EXPECT_TRUE(Enabled(IDC_SEARCH));
    Select(1, false);
    EXPECT_FALSE(Enabled(IDC_SEARCH));

    // One change of every box at once is followed too.
    Tick(-1, false);
    EXPECT_TRUE(Enabled(IDC_APPLY)) << "row one is stored as on";
    Press(IDC_REVERT);
    EXPECT_TRUE(Rows()[0].checked);
    EXPECT_FALSE(Rows()[1].checked);
    EXPECT_FALSE(Enabled(IDC_APPLY) || Enabled(IDC_REVERT));
}

TEST_F(StartupPageTest, HeadersSortCaseInsensitivelyEachWithItsOwnDirection)
{
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "gamma", Sz("c.exe"));
    WriteStored(HKEY_LOCAL_MACHINE, kRunKeyPath, "alpha", Sz("a.exe"));
    WriteStored(HKEY_CURRENT_USER, kDisabledKeyPath, "Beta", Sz("b.exe"));
    StartApp();
    const std::vector<std::string> filled = Programs();

    ClickHeader(2); // "Execution Path" does not sort
    EXPECT_EQ(Programs(), filled);
    ClickHeader(0);
    EXPECT_EQ(Programs(), (std::vector<std::string>{"alpha", "Beta", "gamma"}));
    ClickHeader(1); // first Location click: ascending, System after User
    EXPECT_EQ(Rows().back().location, kUser);
    EXPECT_EQ(Rows().front().location, kSystem);
    ClickHeader(0); // Program's second click, whatever Location did
    EXPECT_EQ(Programs(), (std::vector<std::string>{"gamma", "Beta", "alpha"}));
    ClickHeader(1);
    EXPECT_EQ(Rows().front().location, kUser);

    // Boxes travel with their rows.
    for (const ShownRow& row : Rows())
        EXPECT_EQ(row.checked, row.program != "Beta") << row.program;
}

TEST_F(StartupPageTest, AfterSortingApplyMovesExactlyTheChangedRowsAndKeepsThemListed)
{
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "gamma", Sz("c.exe"));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "alpha", Sz("a.exe"));
    WriteStored(HKEY_LOCAL_MACHINE, kRunKeyPath, "delta", Sz("d.exe"));
    WriteStored(HKEY_CURRENT_USER, kDisabledKeyPath, "Beta", Sz("b.exe"));
    StartApp();
    ClickHeader(0); // alpha, Beta, delta, gamma

    Tick(0, false); // alpha off
    Tick(1, true);  // Beta on
    Tick(2, false); // delta off and on again: no change
    Tick(2, true);
    const std::vector<ShownRow> before = Rows();
    Press(IDC_APPLY);

    EXPECT_TRUE(InKey(HKEY_CURRENT_USER, kDisabledKeyPath, "alpha", "a.exe"));
    EXPECT_TRUE(Absent(HKEY_CURRENT_USER, kRunKeyPath, "alpha"));
    EXPECT_TRUE(InKey(HKEY_CURRENT_USER, kRunKeyPath, "Beta", "b.exe"));
    EXPECT_TRUE(Absent(HKEY_CURRENT_USER, kDisabledKeyPath, "Beta"));
    EXPECT_TRUE(InKey(HKEY_LOCAL_MACHINE, kRunKeyPath, "delta", "d.exe"));
    EXPECT_TRUE(InKey(HKEY_CURRENT_USER, kRunKeyPath, "gamma", "c.exe"));
    EXPECT_EQ(Rows(), before) << "rows stay where they were, as they were";
    EXPECT_FALSE(Enabled(IDC_APPLY) || Enabled(IDC_REVERT));
    EXPECT_TRUE(m_messages.empty());

    // The moved rows are now stored in their new state: switching back works too.
    Tick(0, true);
    Press(IDC_APPLY);
    EXPECT_TRUE(InKey(HKEY_CURRENT_USER, kRunKeyPath, "alpha", "a.exe"));
    EXPECT_TRUE(Absent(HKEY_CURRENT_USER, kDisabledKeyPath, "alpha"));
}

TEST_F(StartupPageTest, AfterSortingRevertRestoresExactlyTheChangedBoxesAndWritesNothing)
{
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "gamma", Sz("c.exe"));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "alpha", Sz("a.exe"));
    WriteStored(HKEY_CURRENT_USER, kDisabledKeyPath, "Beta", Sz("b.exe"));
    StartApp();
    ClickHeader(0);
    ClickHeader(0); // gamma, Beta, alpha
    const std::vector<ShownRow> stored = Rows();

    Tick(0, false);
    Tick(1, true);
    Press(IDC_REVERT);

    EXPECT_EQ(Rows(), stored);
    EXPECT_FALSE(Enabled(IDC_APPLY) || Enabled(IDC_REVERT));
    EXPECT_TRUE(InKey(HKEY_CURRENT_USER, kRunKeyPath, "gamma", "c.exe"));
    EXPECT_TRUE(InKey(HKEY_CURRENT_USER, kDisabledKeyPath, "Beta", "b.exe"));
    EXPECT_TRUE(Absent(HKEY_CURRENT_USER, kRunKeyPath, "Beta"));
}

TEST_F(StartupPageTest, UserAndSystemEntriesOfOneNameAreTwoRowsThatMoveInTheirOwnHive)
{
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "sync", Sz("user.exe"));
    WriteStored(HKEY_LOCAL_MACHINE, kRunKeyPath, "sync", Sz("machine.exe"));
    StartApp();
    ASSERT_EQ(Rows().size(), 2u);

    Tick(RowOf("sync", kSystem), false);
    Press(IDC_APPLY);
    EXPECT_TRUE(InKey(HKEY_LOCAL_MACHINE, kDisabledKeyPath, "sync", "machine.exe"));
    EXPECT_TRUE(Absent(HKEY_LOCAL_MACHINE, kRunKeyPath, "sync"));
    EXPECT_TRUE(InKey(HKEY_CURRENT_USER, kRunKeyPath, "sync", "user.exe"));
    EXPECT_TRUE(Absent(HKEY_CURRENT_USER, kDisabledKeyPath, "sync"));

    Tick(RowOf("sync", kUser), false);
    Press(IDC_APPLY);
    EXPECT_TRUE(InKey(HKEY_CURRENT_USER, kDisabledKeyPath, "sync", "user.exe"));
    EXPECT_TRUE(InKey(HKEY_LOCAL_MACHINE, kDisabledKeyPath, "sync", "machine.exe"));
}

TEST_F(StartupPageTest, ListsAndMovesMoreRowsThanAFixedTableWouldHoldWithNamesOfAnyLength)
{
    constexpr int kEntries = 1100;
    const std::string longName = "n" + std::string(600, 'x');
    for (int i = 0; i < kEntries - 1; ++i)
        WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "entry" + std::to_string(i), Sz("e" + std::to_string(i) + ".exe"));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, longName, Sz("long.exe"));
    StartApp();
    ASSERT_EQ(Rows().size(), static_cast<std::size_t>(kEntries));

    const int last = kEntries - 1;
    const std::string lastName = Rows()[last].program;
    Tick(last, false);
    Tick(RowOf(longName, kUser), false);
    Press(IDC_APPLY);
    for (const std::string& name : {lastName, longName}) {
        EXPECT_TRUE(ReadStored(HKEY_CURRENT_USER, kDisabledKeyPath, name));
        EXPECT_TRUE(Absent(HKEY_CURRENT_USER, kRunKeyPath, name));
    }
    EXPECT_FALSE(Rows()[last].checked);
}

TEST_F(StartupPageTest, ApplyMovesEntriesAsTheyStandNowAndDropsRowsWhoseEntryIsGone)
{
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "updater", Sz("c:\\v1\\updater.exe"));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "vanished", Sz("vanished.exe"));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "zkept", Sz("kept.exe"));
    StartApp();
    // Another program rewrites one entry and removes another after the list was read.
    const StoredValue rewritten = Sz("%ProgramFiles%\\v2\\updater.exe /silent", REG_EXPAND_SZ);
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "updater", rewritten);
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKeyPath, L"vanished");

    for (const char* program : {"updater", "vanished", "zkept"})
        Tick(RowOf(program, kUser), false);
    Press(IDC_APPLY);

    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text, "Could not make changes, the entry no longer exists!");
    EXPECT_EQ(Rows(), (std::vector<ShownRow>{{"updater", kUser, "%ProgramFiles%\\v2\\updater.exe /silent", false},
                                             {"zkept", kUser, "kept.exe", false}}));
    EXPECT_EQ(ReadStored(HKEY_CURRENT_USER, kDisabledKeyPath, "updater"), rewritten);
    EXPECT_TRUE(Absent(HKEY_CURRENT_USER, kDisabledKeyPath, "vanished"));
    EXPECT_FALSE(Enabled(IDC_APPLY) || Enabled(IDC_REVERT));
}

TEST_F(StartupPageTest, WindowsOwnSwitchRunOnceAndTheStartupFolderOnThePage)
{
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "tray", Sz("tray.exe"));
    WriteStored(HKEY_CURRENT_USER, kApprovedRunKeyPath, "tray", kWindowsOff);
    WriteStored(HKEY_CURRENT_USER, kRunOnceKeyPath, "setup", Sz("setup.exe /finish"));
    const std::string shortcut = m_folders->Path(CSIDL_STARTUP) + "\\Notes.lnk";
    ASSERT_TRUE(MakeShortcut(shortcut, "C:\\Tools\\notes.exe", "-min"));
    StartApp();
    std::vector<ShownRow> rows = {{"tray", kUser, "tray.exe", false},
                                  {"Notes.lnk", "User Start-Up Folder", "C:\\Tools\\notes.exe -min", true},
                                  {"setup", "User Run-Once", "setup.exe /finish", true}};
    EXPECT_EQ(Rows(), rows) << "an entry Windows switched off is shown off";

    Tick(-1, false); // every box at once, and the run-once box alone: it stays
    Tick(2, false);
    Tick(0, true);
    rows[0].checked = true;
    rows[1].checked = false;
    EXPECT_EQ(Rows(), rows);
    Press(IDC_APPLY);

    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(Rows(), rows);
    EXPECT_TRUE(InKey(HKEY_CURRENT_USER, kRunKeyPath, "tray", "tray.exe"));
    EXPECT_EQ(ReadStored(HKEY_CURRENT_USER, kApprovedRunKeyPath, "tray"), kEnabledForWindows);
    EXPECT_FALSE(ReadFileText(shortcut));
    EXPECT_TRUE(ReadFileText(m_folders->Path(CSIDL_APPDATA) + "\\Quorvane\\DisabledStartup\\Notes.lnk"));
    EXPECT_TRUE(InKey(HKEY_CURRENT_USER, kRunOnceKeyPath, "setup", "setup.exe /finish"));
}

TEST_F(StartupPageTest, EntriesInAnyScriptFromEveryPlaceAreListedAndOnlyTheSwitchableOnesMoveByteExactly)
{
    wchar_t system[MAX_PATH];
    ::GetSystemDirectoryW(system, MAX_PATH);
    const StoredValue cyrillic = Sz("C:\\Users\\Анна\\AppData\\Local\\Sync\\sync.exe", REG_EXPAND_SZ);
    const StoredValue beyondBmp = Sz("\"C:\\\xF0\x9F\x98\x80\\\xF0\xA0\x80\x8B.exe\" /q");
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "同步助手", cyrillic);
    WriteStored(HKEY_CURRENT_USER, kPolicyRunKeyPath, "Анна", beyondBmp);
    WriteStored(HKEY_LOCAL_MACHINE, (std::wstring(kRunOnceExKeyPath) + L"\\0001").c_str(), "install", Sz("setup.exe"));
    WriteStored(HKEY_LOCAL_MACHINE, (std::wstring(kRunOnceExKeyPath) + L"\\0001\\Depend").c_str(), "dep", Sz("dep.exe"));
    WriteStored(HKEY_LOCAL_MACHINE, kWinlogonKeyPath, "Userinit", Sz(U8(system) + "\\userinit.exe,C:\\evil.exe"));
    WriteStored(HKEY_LOCAL_MACHINE, kWinlogonKeyPath, "Shell", Sz("explorer.exe"));
    WriteStored(HKEY_CURRENT_USER, kWinlogonKeyPath, "Shell", Sz("C:\\myshell.exe"));
    WriteStored(HKEY_LOCAL_MACHINE, kSessionManagerKeyPath, "BootExecute",
                Raw(REG_MULTI_SZ, Utf16Bytes(std::string("autocheck autochk *\0C:\\boot.exe\0\0", 33))));
    WriteStored(HKEY_LOCAL_MACHINE, kRemoteDesktopKeyPath, "StartupPrograms", Sz("rdpclip"));
    WriteStored(HKEY_LOCAL_MACHINE, kBootVerificationKeyPath, "ImagePath", Sz("C:\\verify.exe"));
    StartApp();
    std::vector<ShownRow> rows = {
        {"同步助手", kUser, "C:\\Users\\Анна\\AppData\\Local\\Sync\\sync.exe", true},
        {"Анна", "User Policy Start-Up", "\"C:\\\xF0\x9F\x98\x80\\\xF0\xA0\x80\x8B.exe\" /q", true},
        {"0001\\install", "System Run-Once Ex", "setup.exe", true},
        {"0001\\Depend\\dep", "System Run-Once Ex", "dep.exe", true},
        {"Userinit", "System Logon (Userinit)", U8(system) + "\\userinit.exe,C:\\evil.exe", true},
        {"Shell", "User Logon (Shell)", "C:\\myshell.exe", true},
        {"BootExecute", "System Boot (BootExecute)", "autocheck autochk *; C:\\boot.exe", true},
        {"ImagePath", "System Boot (Verification)", "C:\\verify.exe", true},
    };
    EXPECT_EQ(Rows(), rows) << "Windows' own defaults are not listed";

    Tick(-1, false); // only the first two can be switched
    rows[0].checked = rows[1].checked = false;
    EXPECT_EQ(Rows(), rows);
    Press(IDC_APPLY);
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(ReadStored(HKEY_CURRENT_USER, kDisabledKeyPath, "同步助手"), cyrillic);
    EXPECT_EQ(ReadStored(HKEY_CURRENT_USER, kDisabledPolicyKeyPath, "Анна"), beyondBmp);
    EXPECT_TRUE(Absent(HKEY_CURRENT_USER, kRunKeyPath, "同步助手") && Absent(HKEY_CURRENT_USER, kPolicyRunKeyPath, "Анна"));

    Tick(0, true);
    Tick(1, true);
    Press(IDC_APPLY);
    EXPECT_EQ(ReadStored(HKEY_CURRENT_USER, kRunKeyPath, "同步助手"), cyrillic);
    EXPECT_EQ(ReadStored(HKEY_CURRENT_USER, kPolicyRunKeyPath, "Анна"), beyondBmp);
    EXPECT_TRUE(InKey(HKEY_LOCAL_MACHINE, kWinlogonKeyPath, "Shell", "explorer.exe"));
}

TEST_F(StartupPageTest, ANameTakenInTheDisabledKeyIsSwitchedOffByWindowsOwnSwitchOrRefused)
{
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "dup", Sz("c:\\new\\dup.exe"));
    WriteStored(HKEY_CURRENT_USER, kDisabledKeyPath, "dup", Sz("c:\\old\\dup.exe"));
    WriteStored(HKEY_CURRENT_USER, kPolicyRunKeyPath, "dup", Sz("c:\\new\\policy.exe"));
    WriteStored(HKEY_CURRENT_USER, kDisabledPolicyKeyPath, "dup", Sz("c:\\old\\policy.exe"));
    StartApp();
    const ForwardingCalls windows10;

    Tick(-1, false);
    Press(IDC_APPLY);

    ASSERT_EQ(m_messages.size(), 1u) << "a policy entry has no switch of Windows' own";
    EXPECT_EQ(m_messages[0].text, "Could not make changes, another entry of that name is already there!");
    EXPECT_EQ(Rows(), (std::vector<ShownRow>{{"dup", kUser, "c:\\new\\dup.exe", false},
                                             {"dup", "User Policy Start-Up", "c:\\new\\policy.exe", true},
                                             {"dup", kUser, "c:\\old\\dup.exe", false},
                                             {"dup", "User Policy Start-Up", "c:\\old\\policy.exe", false}}));
    EXPECT_TRUE(InKey(HKEY_CURRENT_USER, kRunKeyPath, "dup", "c:\\new\\dup.exe"));
    EXPECT_TRUE(IsWindowsOffSwitch(ReadStored(HKEY_CURRENT_USER, kApprovedRunKeyPath, "dup")));
    EXPECT_TRUE(InKey(HKEY_CURRENT_USER, kDisabledKeyPath, "dup", "c:\\old\\dup.exe"));
    EXPECT_TRUE(InKey(HKEY_CURRENT_USER, kPolicyRunKeyPath, "dup", "c:\\new\\policy.exe"));
    EXPECT_TRUE(InKey(HKEY_CURRENT_USER, kDisabledPolicyKeyPath, "dup", "c:\\old\\policy.exe"));
    EXPECT_FALSE(Enabled(IDC_APPLY));
}

// Fails the deletion of the named values, so their moves fail after the copy.
class FailingDeletes : public ForwardingCalls {
public:
    explicit FailingDeletes(std::set<std::wstring> names) : m_names(std::move(names)) {}
    LONG DeleteValue(HKEY key, const wchar_t* name) override
    {
        if (m_names.count(name) && !m_deleting.count(name)) {
            m_deleting.insert(name); // the first delete is the source; let the clean-up through
            return ERROR_ACCESS_DENIED;
        }
        return ForwardingCalls::DeleteValue(key, name);
    }

private:
    std::set<std::wstring> m_names;
    std::set<std::wstring> m_deleting;
};

TEST_F(StartupPageTest, EachFailedRowIsReportedOnceAndSetBackWhileTheOthersStillMove)
{
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "bad-off", Sz("bad1.exe"));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "good-off", Sz("good1.exe"));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "number", Raw(REG_DWORD, std::string("\x07\0\0\0", 4)));
    WriteStored(HKEY_CURRENT_USER, kDisabledKeyPath, "bad-on", Sz("bad2.exe"));
    WriteStored(HKEY_CURRENT_USER, kDisabledKeyPath, "good-on", Sz("good2.exe"));
    StartApp();
    auto registry = std::make_unique<FailingDeletes>(std::set<std::wstring>{L"bad-off", L"bad-on"});

    for (const char* program : {"bad-off", "good-off", "number"})
        Tick(RowOf(program, kUser), false);
    for (const char* program : {"bad-on", "good-on"})
        Tick(RowOf(program, kUser), true);
    Press(IDC_APPLY);
    registry.reset();

    ASSERT_EQ(m_messages.size(), 3u) << "two failed deletions and one value that is no text";
    for (const ShownMessage& message : m_messages) {
        EXPECT_EQ(message.owner, PageWindow());
        EXPECT_EQ(message.text, "Could not make changes, not allowed!");
        EXPECT_EQ(message.caption, "Quorvane");
        EXPECT_EQ(message.type, static_cast<UINT>(MB_OK));
    }
    const std::vector<ShownRow> rows = Rows();
    EXPECT_TRUE(rows[RowOf("bad-off", kUser)].checked);
    EXPECT_TRUE(rows[RowOf("number", kUser)].checked);
    EXPECT_FALSE(rows[RowOf("bad-on", kUser)].checked);
    EXPECT_FALSE(rows[RowOf("good-off", kUser)].checked);
    EXPECT_TRUE(rows[RowOf("good-on", kUser)].checked);
    EXPECT_FALSE(Enabled(IDC_APPLY) || Enabled(IDC_REVERT));

    EXPECT_TRUE(InKey(HKEY_CURRENT_USER, kRunKeyPath, "bad-off", "bad1.exe"));
    EXPECT_TRUE(Absent(HKEY_CURRENT_USER, kDisabledKeyPath, "bad-off"));
    EXPECT_TRUE(InKey(HKEY_CURRENT_USER, kDisabledKeyPath, "bad-on", "bad2.exe"));
    EXPECT_TRUE(Absent(HKEY_CURRENT_USER, kRunKeyPath, "bad-on"));
    EXPECT_EQ(ReadStored(HKEY_CURRENT_USER, kRunKeyPath, "number"), Raw(REG_DWORD, std::string("\x07\0\0\0", 4)));
    EXPECT_TRUE(InKey(HKEY_CURRENT_USER, kDisabledKeyPath, "good-off", "good1.exe"));
    EXPECT_TRUE(InKey(HKEY_CURRENT_USER, kRunKeyPath, "good-on", "good2.exe"));
}

} // namespace

// A group of places and a text typed in any script and case pick the rows
// together, counted on the line under the list; a row whose box was changed
// stays in sight to be applied; Esc in the filter shows every row again.
TEST_F(StartupPageTest, TheGroupChoiceAndTheFilterPickRowsTogether)
{
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "Cloud Sync", Sz("C:\\Apps\\sync.exe"));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "Синхронизация", Sz("C:\\Apps\\синх.exe"));
    WriteStored(HKEY_LOCAL_MACHINE, kSessionManagerKeyPath, "BootExecute", Sz("autocheck autochk * bootcheck"));
    StartApp();
    ASSERT_TRUE(PumpUntil([&] { return Page().DetailsComplete(); }, 10000));
    const HWND choice = ::GetDlgItem(PageWindow(), IDC_STARTUP_GROUP);
    const HWND filter = ::GetDlgItem(PageWindow(), IDC_STARTUP_FILTER);
    // An ANSI edit would keep what is typed in the system's code page.
    EXPECT_TRUE(::IsWindowUnicode(filter));
    auto status = [&] {
        char text[128] = {};
        ::GetDlgItemTextA(PageWindow(), IDC_STARTUP_STATUS, text, sizeof(text));
        return std::string(text);
    };
    auto choose = [&](const char* group) {
        ASSERT_NE(::SendMessageA(choice, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(group)),
                  CB_ERR) << group;
        ::SendMessageA(PageWindow(), WM_COMMAND, MAKEWPARAM(IDC_STARTUP_GROUP, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(choice));
    };
    auto type = [&](const std::wstring& text) {
        for (wchar_t c : text)
            ::PostMessageW(filter, WM_CHAR, c, 1);
        PumpFor(50);
    };

    // "Everything", then each group that a place of the table is in, in the table's order of groups.
    std::vector<std::string> offered, groups{"Everything"};
    for (int item = 0, count = static_cast<int>(::SendMessageA(choice, CB_GETCOUNT, 0, 0)); item < count; ++item) {
        char text[64] = {};
        ::SendMessageA(choice, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(text));
        offered.push_back(text);
    }
    for (int group = 0; group < kPlaceGroupCount; ++group)
        for (const StartupSource& source : StartupSources())
            if (static_cast<int>(source.group) == group) {
                groups.push_back(U8(PlaceGroupText(source.group)));
                break;
            }
    EXPECT_EQ(offered, groups);

    choose("Boot");
    EXPECT_EQ(Programs(), std::vector<std::string>{"BootExecute"});
    EXPECT_EQ(status(), "1 of 3 shown; No Windows entries hidden");
    type(L"СИНХ");
    EXPECT_EQ(Programs(), std::vector<std::string>{}) << "the group and the text together";
    choose("Everything");
    EXPECT_EQ(Programs(), std::vector<std::string>{"Синхронизация"}) << "typed in another script and case";
    EXPECT_EQ(status(), "1 of 3 shown; No Windows entries hidden");

    Tick(0, false);
    type(L"nothing holds this");
    EXPECT_EQ(Programs(), std::vector<std::string>{"Синхронизация"}) << "a changed row stays to be applied";
    Press(IDC_APPLY);
    EXPECT_TRUE(InKey(HKEY_CURRENT_USER, kDisabledKeyPath, "Синхронизация", "C:\\Apps\\синх.exe"));

    ::PostMessageW(filter, WM_KEYDOWN, VK_ESCAPE, 1);
    PumpFor(50);
    EXPECT_EQ(::GetWindowTextLengthW(filter), 0);
    EXPECT_EQ(Programs().size(), 3u);
    EXPECT_EQ(status(), "No Windows entries hidden");
}
