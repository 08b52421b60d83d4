// The start-up page with what it finds about each entry's program: the
// Publisher and Time columns filling in after the rows, missing files marked,
// the entry menu's actions on the selection (none of which starts the entry),
// Copy, and the saved list with its program files' hashes.

#include "startup/page/StartupPageFixture.h"

#include "pages/startup/actions/AtomicFile.h"
#include "pages/startup/actions/ShellActions.h"
#include "pages/startup/actions/StartupReport.h"
#include "pages/startup/compare/SavedList.h"
#include "pages/startup/details/EntryTime.h"
#include "pages/startup/details/FileDetails.h"
#include "pages/startup/page/BackgroundReadings.h"
#include "pages/startup/page/StartupDlg.h"
#include "pages/startup/store/StartupStore.h"
#include "res/resource.h"
#include "startup/store/StoredValue.h"
#include "support/MessagePump.h"
#include "support/ProcessWindows.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <shlobj.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace {

using StartupDetailsTest = StartupPageFixture;

const char kUser[] = "User Start-Up";

std::wstring ClipboardText()
{
    std::wstring text;
    if (!::OpenClipboard(nullptr))
        return text;
    if (const HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = chars;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

// When a key of the user's was last written, as FILETIME counts it and as
// the Time column says it.
std::uint64_t KeyTicks(const wchar_t* path)
{
    HKEY key = nullptr;
    FILETIME written{};
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       &written);
    ::RegCloseKey(key);
    return (static_cast<std::uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
}

std::string KeyTime(const wchar_t* path)
{
    return U8(UtcTimeText(KeyTicks(path)));
}

// Sets the file's last write to the given UTC time.
bool SetWriteTime(const std::string& path, WORD year, WORD month, WORD day)
{
    const SYSTEMTIME utc{year, month, 0, day, 4, 5, 6, 0};
    FILETIME time{};
    const HANDLE file = ::CreateFileW(W(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    const bool set = file != INVALID_HANDLE_VALUE && ::SystemTimeToFileTime(&utc, &time)
                     && ::SetFileTime(file, nullptr, nullptr, &time);
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
    return set;
}

TEST_F(StartupDetailsTest, PublishersFillInAfterTheRowsAndTheMenuActsOnTheSelectionWithoutStartingTheEntry)
{
    // A stand-in for the entry's program, which records any start of it.
    const ScratchFolder folder;
    const std::wstring program = folder.Path() + L"\\Анна tool.exe";
    ASSERT_TRUE(::CopyFileW((ThisProgramDirectoryW() + L"entry_stand_in.exe").c_str(), program.c_str(), FALSE));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "a tool", Sz(U8(program) + " /tray"));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "b gone", Sz("\"C:\\missing folder\\gone.exe\" -x"));
    std::vector<std::wstring> shown;
    std::vector<std::wstring> started;
    SetShellLaunchers({[&](const std::wstring& file) { return shown.push_back(file), true; },
                       [&](const std::wstring& dir) { return shown.push_back(dir), true; }, [] {},
                       [&](const std::wstring& editor) { return started.push_back(editor), true; }});
    StartApp();
    ASSERT_TRUE(PumpUntil([&] { return Page().DetailsComplete(); }, 10000));
    PumpFor(50);

    const int tool = RowOf("a tool", kUser);
    const int gone = RowOf("b gone", kUser);
    EXPECT_EQ(Text(tool, 3), "(Not verified)");
    EXPECT_EQ(Text(gone, 3), "(File not found)");
    EXPECT_FALSE(Page().m_rows.Row(0).fileMissing);
    EXPECT_TRUE(Page().m_rows.Row(1).fileMissing) << "drawn so that it stands out";

    const UINT commands[] = {ID_ENTRY_OPEN_LOCATION, ID_ENTRY_PROPERTIES, ID_ENTRY_JUMP, ID_ENTRY_SEARCH,
                             ID_ENTRY_COPY};
    const struct {
        std::vector<int> selected;
        std::vector<bool> applies;
    } selections[] = {
        {{}, {false, false, false, false, false}},
        {{tool}, {true, true, true, true, true}},
        {{gone}, {true, false, true, true, true}}, // the missing file's nearest folder; no Properties
        {{tool, gone}, {false, false, false, true, true}},
    };
    for (const auto& selection : selections) {
        for (int row = 0; row < 2; ++row)
            Select(row, std::find(selection.selected.begin(), selection.selected.end(), row) != selection.selected.end());
        for (std::size_t i = 0; i < std::size(commands); ++i)
            EXPECT_EQ(Page().CommandApplies(commands[i]), selection.applies[i])
                << "command " << commands[i] << " with " << selection.selected.size() << " rows";
    }

    Select(gone, false);
    Select(tool, true);
    for (UINT command : {ID_ENTRY_OPEN_LOCATION, ID_ENTRY_JUMP, ID_ENTRY_COPY})
        ::SendMessageW(PageWindow(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
    EXPECT_EQ(shown, std::vector<std::wstring>{program});
    ASSERT_EQ(started.size(), 1u) << "Registry Editor, at the entry's key";
    EXPECT_NE(ClipboardText().find(L"a tool\tUser Start-Up\t" + program + L" /tray\t(Not verified)\t" + program),
              std::wstring::npos)
        << U8(ClipboardText());
    PumpFor(300);
    EXPECT_FALSE(ReadBytes(program + L".started")) << "no action starts the entry's own program";
    SetShellLaunchers({});
}

TEST_F(StartupDetailsTest, AnswersArrivingAllAtOnceReachEveryRow)
{
    // More answers than one message shows: a file already examined answers at once.
    const int entries = 700;
    for (int i = 0; i < entries; ++i)
        WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "entry " + std::to_string(i), Sz("C:\\missing\\same.exe"));
    StartApp();
    ASSERT_TRUE(PumpUntil([&] { return Page().DetailsComplete(); }, 20000));
    int shown = 0;
    for (int item = 0; item < entries; ++item)
        shown += Text(item, 3) == "(File not found)" ? 1 : 0;
    EXPECT_EQ(shown, entries);
}

TEST_F(StartupDetailsTest, WindowsOwnProgramsAreHiddenAndCountedOnlyWhenVerifiedAndSavedAllTheSame)
{
    const ScratchFolder folder;
    for (const char* name : {"a win", "b maker", "c claims"}) {
        const std::wstring program = folder.Path() + L"\\" + W(name) + L".exe";
        ASSERT_TRUE(::CopyFileW((ThisProgramDirectoryW() + L"entry_stand_in.exe").c_str(), program.c_str(), FALSE));
        WriteStored(HKEY_CURRENT_USER, kRunKeyPath, name, Sz(U8(program)));
    }
    // Unsigned files, so each is looked up in the catalogs, as Windows' own programs are.
    SetCatalogLookupForTesting([](const std::wstring& path) {
        if (path.find(L"a win") != std::wstring::npos)
            return Signature{SignatureState::Verified, L"Microsoft Windows"};
        if (path.find(L"b maker") != std::wstring::npos)
            return Signature{SignatureState::Verified, L"Maker"};
        return Signature{SignatureState::NotVerified, L"Microsoft Windows"};
    });
    StartApp();
    ASSERT_TRUE(PumpUntil([&] { return Page().DetailsComplete(); }, 10000));
    PumpFor(50);
    auto status = [&] {
        char text[128] = {};
        ::GetDlgItemTextA(PageWindow(), IDC_STARTUP_STATUS, text, sizeof(text));
        return std::string(text);
    };
    auto hides = [&] {
        return (::GetMenuState(::GetMenu(Frame()), ID_FILE_HIDE_WINDOWS_ENTRIES, MF_BYCOMMAND) & MF_CHECKED) != 0;
    };
    const std::vector<std::string> all{"a win", "b maker", "c claims"}, withoutWindows{"b maker", "c claims"};
    EXPECT_TRUE(hides()) << "on at every start";
    EXPECT_EQ(Programs(), withoutWindows) << "a signature that does not hold hides nothing";
    EXPECT_EQ(status(), "1 Windows entry hidden");

    const std::wstring path = folder.Path() + L"\\list.csv";
    ASSERT_TRUE(Page().SaveListTo(path));
    const std::string saved = *ReadBytes(path);
    EXPECT_NE(saved.find("\r\na win,"), std::string::npos) << "every row is saved, hidden or not";

    for (const bool on : {false, true}) {
        ::SendMessageA(Frame(), WM_COMMAND, MAKEWPARAM(ID_FILE_HIDE_WINDOWS_ENTRIES, 0), 0);
        EXPECT_EQ(hides(), on);
        EXPECT_EQ(Programs(), on ? withoutWindows : all) << "shown again in its place";
        EXPECT_EQ(status(), on ? "1 Windows entry hidden" : "");
    }
    SetCatalogLookupForTesting({});
}

// What the entry menu shows once it is open, read from another thread while
// the menu's own loop runs; the menu is then closed with Escape.
struct OpenedMenu {
    bool opened = false;
    std::vector<UINT> greyed;
};

OpenedMenu WatchForMenu()
{
    OpenedMenu seen;
    for (int i = 0; i < 200 && !seen.opened; ++i) {
        if (const HWND popup = ::FindWindowA("#32768", nullptr)) {
            const auto menu = reinterpret_cast<HMENU>(::SendMessageA(popup, MN_GETHMENU, 0, 0));
            seen.opened = menu != nullptr;
            for (int item = 0, count = ::GetMenuItemCount(menu); item < count; ++item)
                if ((::GetMenuState(menu, static_cast<UINT>(item), MF_BYPOSITION) & MF_GRAYED)
                    && ::GetMenuItemID(menu, item) != 0) // a separator is no command
                    seen.greyed.push_back(::GetMenuItemID(menu, item));
            ::PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0);
        }
        ::Sleep(20);
    }
    return seen;
}

TEST_F(StartupDetailsTest, TheEntryMenuOpensFromTheMenuKeyAndARightClickWithWhatDoesNotApplyGreyed)
{
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "gone", Sz("C:\\missing\\gone.exe"));
    StartApp();
    ASSERT_TRUE(PumpUntil([&] { return Page().DetailsComplete(); }, 10000));
    Select(0, true);
    RECT row{LVIR_LABEL, 0, 0, 0};
    ::SendMessageA(List(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    const LPARAM onRow = MAKELPARAM(row.left + 5, (row.top + row.bottom) / 2);
    const struct {
        const char* how;
        UINT down, up;
        WPARAM key;
        LPARAM where;
        bool shift;
    } asks[] = {{"the Menu key", WM_KEYDOWN, WM_KEYUP, VK_APPS, 0x015d0001, false},
                {"Shift+F10", WM_SYSKEYDOWN, WM_SYSKEYUP, VK_F10, 0x00440001, true},
                {"a right click", WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, onRow, false}};
    for (const auto& ask : asks) {
        SCOPED_TRACE(ask.how);
        const bool key = ask.down != WM_RBUTTONDOWN;
        BYTE keys[256] = {};
        ::GetKeyboardState(keys);
        keys[VK_SHIFT] = ask.shift ? 0x80 : 0;
        ::SetKeyboardState(keys);
        OpenedMenu seen;
        std::thread watcher([&] { seen = WatchForMenu(); });
        ::PostMessageA(List(), ask.down, ask.key, ask.where);
        // A key's release: the previous state and the transition bits set.
        ::PostMessageA(List(), ask.up, key ? ask.key : 0, key ? ask.where | 0xc0000000 : ask.where);
        PumpUntil([&] { return seen.opened; }, 3000);
        watcher.join();
        keys[VK_SHIFT] = 0;
        ::SetKeyboardState(keys);
        EXPECT_TRUE(seen.opened);
        EXPECT_EQ(seen.greyed, std::vector<UINT>{ID_ENTRY_PROPERTIES}) << "a missing file has no Properties";
    }
}

TEST_F(StartupDetailsTest, CtrlSAsksWhereSaveWritesEveryRowAndAFailedWriteSaysSoAndLeavesNoFile)
{
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "=cmd", Sz("\"C:\\missing\\a.exe\", with a comma"));
    WriteStored(HKEY_CURRENT_USER, kDisabledKeyPath, "Анна", Sz("C:\\missing\\b.exe"));
    StartApp();

    // Ctrl+S while the list has the focus: the Save As dialog, cancelled from
    // another thread while its own loop runs.
    ::SetFocus(List());
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    ::SetKeyboardState(keys);
    std::atomic<bool> asked{false};
    std::thread canceller([&] {
        for (int i = 0; i < 250 && !asked; ++i, ::Sleep(20)) {
            if (const HWND dialog = ::FindWindowA("#32770", "Save As")) {
                asked = true;
                ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            }
        }
    });
    ::PostMessageA(List(), WM_KEYDOWN, 'S', 0x001f0001);
    PumpUntil([&] { return asked.load(); }, 5000);
    canceller.join();
    keys[VK_CONTROL] = 0;
    ::SetKeyboardState(keys);
    EXPECT_TRUE(asked) << "Ctrl+S asks where to save";
    PumpFor(100);
    const ScratchFolder folder;
    const std::wstring path = folder.Path() + L"\\list.csv";

    ASSERT_TRUE(Page().SaveListTo(path));
    // Each entry's time is its key's; a missing file has no hash.
    EXPECT_EQ(ReadBytes(path), std::string("\xEF\xBB\xBF")
                                   + "Program,Location,Execution Path,Program File,Publisher,Verified,Enabled,File Exists,"
                                     "Start-Up Impact,CPU at Start-Up (ms),Disk I/O at Start-Up (KB),Time,SHA-256\r\n"
                                     "'=cmd,User Start-Up,\"\"\"C:\\missing\\a.exe\"\", with a comma\",C:\\missing\\a.exe,"
                                     "(File not found),no,yes,no,Not measured,,,"
                                   + KeyTime(kRunKeyPath) + ",\r\n"
                                   + "Анна,User Start-Up,C:\\missing\\b.exe,C:\\missing\\b.exe,(File not found),no,no,no,"
                                     "None,,,"
                                   + KeyTime(kDisabledKeyPath) + ",\r\n");

    EXPECT_FALSE(Page().SaveListTo(folder.Path() + L"\\no such folder\\list.csv"));
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text.rfind("Could not save the start-up list: ", 0), 0u) << m_messages[0].text;
    EXPECT_EQ(folder.Names(), std::vector<std::wstring>{L"list.csv"}) << "no partial file";
}

TEST_F(StartupDetailsTest, TheTimeColumnSortsNewestFirstAndTheSavedListsHashesMarkAChangedProgram)
{
    const ScratchFolder folder;
    const std::wstring tool = folder.Write(L"tool.exe", "abc");
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "tool", Sz("\"" + U8(tool) + "\" /tray"));
    const std::string startup = m_folders->Path(CSIDL_STARTUP);
    WriteFileText(startup + "\\old.cmd", "old");
    WriteFileText(startup + "\\older.cmd", "older");
    ASSERT_TRUE(SetWriteTime(startup + "\\old.cmd", 2001, 2, 3));
    ASSERT_TRUE(SetWriteTime(startup + "\\older.cmd", 1999, 12, 31));
    StartApp();
    ASSERT_TRUE(PumpUntil([&] { return Page().DetailsComplete(); }, 10000));
    PumpFor(50);
    const char kFolder[] = "User Start-Up Folder";
    EXPECT_EQ(Text(RowOf("tool", kUser), kTimeColumn), KeyTime(kRunKeyPath));
    EXPECT_EQ(Text(RowOf("old.cmd", kFolder), kTimeColumn), "2001-02-03T04:05:06Z");
    EXPECT_EQ(Text(RowOf("older.cmd", kFolder), kTimeColumn), "1999-12-31T04:05:06Z");
    ClickHeader(kTimeColumn);
    EXPECT_EQ(Programs(), (std::vector<std::string>{"tool", "old.cmd", "older.cmd"})) << "newest first";
    ClickHeader(kTimeColumn);
    EXPECT_EQ(Programs(), (std::vector<std::string>{"older.cmd", "old.cmd", "tool"}));

    const std::wstring hashed = folder.Path() + L"\\hashed.csv", plain = folder.Path() + L"\\plain.csv";
    ASSERT_TRUE(Page().SaveListTo(hashed));
    const std::string saved = *ReadBytes(hashed);
    EXPECT_NE(saved.find("," + KeyTime(kRunKeyPath) +
                         ",ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad\r\n"),
              std::string::npos)
        << saved;
    // The same list without its hashes.
    std::vector<EntryReport> entries = ReadSavedListFile(hashed).entries;
    ASSERT_EQ(entries.size(), 3u);
    for (EntryReport& entry : entries)
        entry.sha256.clear();
    ASSERT_EQ(WriteFileWhole(plain, StartupListCsv(entries)), ERROR_SUCCESS);

    // The program changes, its command does not: only the hashes tell.
    ASSERT_TRUE(WriteBytes(tool, "abd"));
    auto mark = [&](const char* program) {
        for (std::size_t id = 0; id < Page().m_rows.Size(); ++id)
            if (U8(Page().m_rows.Row(id).name) == program)
                return Page().Mark(id);
        return RowMark::Gone;
    };
    const struct {
        const std::wstring* list;
        RowMark tool;
    } comparisons[] = {{&hashed, RowMark::Changed}, {&plain, RowMark::None}};
    for (const auto& comparison : comparisons) {
        SCOPED_TRACE(U8(*comparison.list));
        ASSERT_TRUE(Page().CompareWith(*comparison.list));
        EXPECT_EQ(mark("tool"), comparison.tool);
        EXPECT_EQ(mark("old.cmd"), RowMark::None);
    }
}

TEST_F(StartupDetailsTest, AnEntryMovedOrAddedShowsTheNewTimeOfEveryEntryOfItsKey)
{
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "stays", Sz("C:\\missing\\stays.exe"));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "moves", Sz("C:\\missing\\moves.exe"));
    StartApp();
    ASSERT_TRUE(PumpUntil([&] { return Page().DetailsComplete(); }, 10000));
    auto time = [&](const char* program) {
        for (std::size_t id = 0; id < Page().m_rows.Size(); ++id)
            if (U8(Page().m_rows.Row(id).name) == program && !Page().m_rows.Row(id).removed)
                return Page().m_rows.Row(id).changeTime;
        return std::uint64_t{0};
    };
    EXPECT_EQ(time("stays"), KeyTicks(kRunKeyPath));

    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "added", Sz("C:\\missing\\added.exe"));
    EXPECT_TRUE(PumpUntil([&] { return Programs().size() == 3 && Page().DetailsComplete(); }, 10000));
    EXPECT_EQ(time("stays"), KeyTicks(kRunKeyPath)) << "the key's time, with its new entry";

    Tick(RowOf("moves", kUser), false);
    Press(IDC_APPLY);
    EXPECT_TRUE(PumpUntil([&] { return Page().DetailsComplete(); }, 10000));
    EXPECT_EQ(time("moves"), KeyTicks(kDisabledKeyPath)) << "where it stands now";
    EXPECT_EQ(time("stays"), KeyTicks(kRunKeyPath)) << "the key it left";
    EXPECT_EQ(Text(RowOf("moves", kUser), kTimeColumn), KeyTime(kDisabledKeyPath));
}

} // namespace
