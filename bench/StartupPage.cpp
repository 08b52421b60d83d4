// The start-up page with many entries spread over every source (both
// registry views, run-once keys, switched-off entries, Startup folders with
// files and shortcuts, entries Windows switched off): opening it (reading
// everything and filling the list), sorting by each column, reverting and
// applying 1,000 changed boxes, and reading everything again after a change.
// Next to the page, the same work on a bare list view with the same rows, and
// the button update done the plain way, walking every row after each box
// change. Then, in a process of its own, the details of the rows' program
// files as they fill in (StartupPageDetails.cpp).
//
// Usage: startup_page [entries]

#include "app/MonitorApp.h"
#include "bench/BenchServiceList.h"
#include "bench/StartupPageDetails.h"
#include "pages/startup/actions/StartupReport.h"
#include "pages/startup/store/PlaceKind.h"
#include "pages/startup/store/StartupApproved.h"
#include "pages/startup/page/StartupDlg.h"
#include "pages/startup/store/StartupFolders.h"
#include "pages/startup/store/StartupStore.h"
#include "res/resource.h"
#include "startup/StartupFolderSandbox.h"
#include "support/DialogInput.h"
#include "support/MessagePump.h"
#include "support/ProcessWindows.h"
#include "support/RegistrySandbox.h"
#include "support/ScratchFolder.h"
#include "support/WideText.h"
#include "ui/MainFrame.h"
#include "ui/MainSheet.h"

#include "framework/MessageBox.h"

#include <commctrl.h>
#include <psapi.h>
#include <mbstring.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Services that start with Windows, beside the entries: the page lists these
// alone, never the prefix's own, which applying the changed boxes would switch.
const wchar_t kServicePrefix[] = L"QuorvanePageBench";
constexpr int kServices = 300;

// The services' keys as Windows keeps them, in the registry sandbox, where a
// listing reads their start types; the number of switchable rows they give.
int WriteServiceKeys()
{
    for (int index = 0; index < kServices; ++index) {
        const std::wstring key = std::wstring(L"System\\CurrentControlSet\\Services\\") + kServicePrefix
                                 + std::to_wstring(index);
        const DWORD automatic = SERVICE_AUTO_START;
        const std::wstring image = L"C:\\windows\\system32\\svchost.exe -k QuorvaneBench";
        ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"Start", REG_DWORD, &automatic, sizeof(automatic));
        ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"ImagePath", REG_EXPAND_SZ, image.c_str(),
                          static_cast<DWORD>((image.size() + 1) * sizeof(wchar_t)));
    }
    return kServices;
}

bool PageBenchService(const wchar_t* name)
{
    return std::wcsncmp(name, kServicePrefix, std::size(kServicePrefix) - 1) == 0;
}

template <class Work>
double Millis(Work work)
{
    const Clock::time_point start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Entry {
    std::string name;
    std::string command;
};

// Names in no particular order and of mixed case, so every sort has work to do.
std::vector<Entry> MakeEntries(int count)
{
    std::vector<Entry> entries;
    unsigned seed = 12345;
    for (int i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        char name[32];
        std::snprintf(name, sizeof(name), "%cProgram %05u-%d", (seed >> 16) % 2 ? 'a' : 'B', (seed >> 8) % 100000, i);
        entries.push_back({name, "\"C:\\Program Files\\Vendor " + std::to_string(i) + "\\tool.exe\" /background"});
    }
    return entries;
}

void WriteValue(HKEY hive, const std::wstring& path, REGSAM view, const std::string& name, DWORD type,
                const void* data, DWORD size)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExW(hive, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key, nullptr)
        != ERROR_SUCCESS)
        return;
    ::RegSetValueExW(key, W(name).c_str(), 0, type, static_cast<const BYTE*>(data), size);
    ::RegCloseKey(key);
}

void WriteText(HKEY hive, const std::wstring& path, REGSAM view, const std::string& name, const std::string& text)
{
    const std::wstring wide = W(text);
    WriteValue(hive, path, view, name, REG_SZ, wide.c_str(), static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

// The entries in turn over every place the page reads; returns how many went
// into places whose rows can be switched.
int WriteEntries(const std::vector<Entry>& entries, const StartupFolderSandbox& folders)
{
    const REGSAM v64 = KEY_WOW64_64KEY;
    const REGSAM v32 = KEY_WOW64_32KEY;
    const std::string userFolder = folders.Path(CSIDL_STARTUP);
    const std::string commonFolder = folders.Path(CSIDL_COMMON_STARTUP);
    const std::string parkedFolder = folders.Path(CSIDL_APPDATA) + "\\Quorvane\\DisabledStartup";
    ::SHCreateDirectoryExW(nullptr, W(parkedFolder).c_str(), nullptr);
    // One shortcut made through the shell, copied under every name: making
    // each one anew is slow, and Wine starts a helper process for each.
    const std::string shortcut = folders.Path(CSIDL_APPDATA) + "\\template.lnk";
    MakeShortcut(shortcut, "C:\\Vendor\\tool.exe", "/background");
    const BYTE windowsOff[kApprovedValueSize] = {3, 0, 0, 0, 0x10, 0x32, 0x54, 0x76, 0x98, 0xba, 0xdc, 0x01};
    const std::vector<std::function<void(const Entry&)>> places = {
        [&](const Entry& e) { WriteText(HKEY_CURRENT_USER, kRunKeyPath, 0, e.name, e.command); },
        [&](const Entry& e) { WriteText(HKEY_LOCAL_MACHINE, kRunKeyPath, v64, e.name, e.command); },
        [&](const Entry& e) { WriteText(HKEY_LOCAL_MACHINE, kRunKeyPath, v32, e.name, e.command); },
        [&](const Entry& e) { WriteText(HKEY_CURRENT_USER, kDisabledKeyPath, 0, e.name, e.command); },
        [&](const Entry& e) { WriteText(HKEY_LOCAL_MACHINE, kDisabledKeyPath, v64, e.name, e.command); },
        [&](const Entry& e) { WriteText(HKEY_LOCAL_MACHINE, kDisabledKeyPath, v32, e.name, e.command); },
        [&](const Entry& e) {
            WriteText(HKEY_CURRENT_USER, kRunKeyPath, 0, e.name, e.command);
            WriteValue(HKEY_CURRENT_USER, kApprovedRunKeyPath, 0, e.name, REG_BINARY, windowsOff, sizeof(windowsOff));
        },
        [&](const Entry& e) { WriteFileText(userFolder + "\\" + e.name + ".cmd", e.command); },
        [&](const Entry& e) {
            ::CopyFileW(W(shortcut).c_str(), W(commonFolder + "\\" + e.name + ".lnk").c_str(), TRUE);
        },
        [&](const Entry& e) { WriteFileText(parkedFolder + "\\" + e.name + ".cmd", e.command); },
        [&](const Entry& e) { WriteText(HKEY_CURRENT_USER, kPolicyRunKeyPath, 0, e.name, e.command); },
        [&](const Entry& e) { WriteText(HKEY_LOCAL_MACHINE, kPolicyRunKeyPath, v32, e.name, e.command); },
        [&](const Entry& e) { WriteText(HKEY_LOCAL_MACHINE, kDisabledPolicyKeyPath, v64, e.name, e.command); },
        // A program's debugger, a value of a key of its own.
        [&](const Entry& e) {
            WriteText(HKEY_LOCAL_MACHINE, std::wstring(kImageOptionsKeyPath) + L"\\" + W(e.name) + L".exe", v64,
                      "Debugger", e.command);
        },
        // Listed only: run-once entries, also in numbered sections.
        [&](const Entry& e) { WriteText(HKEY_CURRENT_USER, kRunOnceKeyPath, 0, e.name, e.command); },
        [&](const Entry& e) { WriteText(HKEY_LOCAL_MACHINE, kRunOnceKeyPath, v64, e.name, e.command); },
        [&](const Entry& e) {
            WriteText(HKEY_LOCAL_MACHINE, std::wstring(kRunOnceExKeyPath) + L"\\" + W(e.name.substr(e.name.size() - 1)),
                      v64, e.name, e.command);
        },
        // Libraries Windows loads: values of one key, and a subkey each.
        [&](const Entry& e) { WriteText(HKEY_LOCAL_MACHINE, kDrivers32KeyPath, v64, e.name, e.command); },
        [&](const Entry& e) {
            WriteText(HKEY_LOCAL_MACHINE, std::wstring(kWinlogonNotifyKeyPath) + L"\\" + W(e.name), v64, "DllName",
                      e.command);
        },
        // Explorer's context-menu handlers, each through the user's registration of its class.
        [&, handler = 0](const Entry& e) mutable {
            char clsid[40];
            std::snprintf(clsid, sizeof(clsid), "{5A9F0C1E-0B1D-4C2A-9E55-%012d}", handler++);
            WriteText(HKEY_CURRENT_USER, L"Software\\Classes\\*\\shellex\\ContextMenuHandlers\\" + W(e.name), 0, "",
                      clsid);
            WriteText(HKEY_CURRENT_USER, L"Software\\Classes\\CLSID\\" + W(clsid) + L"\\InprocServer32", 0, "",
                      e.command);
        },
    };
    const std::size_t switchable = places.size() - 6;
    int switchableEntries = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        places[i % places.size()](entries[i]);
        switchableEntries += i % places.size() < switchable ? 1 : 0;
    }
    return switchableEntries;
}

std::size_t ParkedCount()
{
    std::size_t parked = 0;
    for (const StartupEntry& entry : ReadStartupEntries(StartupSources()))
        parked += entry.place == EntryPlace::Parked ? 1 : 0;
    return parked;
}

// The peer: a bare report list with check boxes, filled with the same rows.
struct BareList {
    HWND window;
    std::vector<Entry> rows;
};

// The largest list Compare with Saved List reads.
constexpr std::size_t kLargestSavedList = 65536;

double PrivateMiB()
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof(counters));
    const SIZE_T bytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

int CALLBACK CompareBareNames(LPARAM a, LPARAM b, LPARAM list)
{
    const BareList& bare = *reinterpret_cast<const BareList*>(list);
    return _mbsicmp(reinterpret_cast<const unsigned char*>(bare.rows[a].name.c_str()),
                    reinterpret_cast<const unsigned char*>(bare.rows[b].name.c_str()));
}

double FillBareList(BareList& bare, HWND parent)
{
    return Millis([&] {
        // Redrawn once at the end, as the page does.
        bare.window = ::CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 600, 200, parent,
                                        nullptr, nullptr, nullptr);
        ListView_SetExtendedListViewStyle(bare.window, LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 150;
        for (int c = 0; c < 3; ++c) {
            column.pszText = const_cast<char*>("column");
            ::SendMessageA(bare.window, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
        }
        ::SendMessageA(bare.window, WM_SETREDRAW, FALSE, 0);
        for (std::size_t i = 0; i < bare.rows.size(); ++i) {
            LVITEMA item{};
            item.mask = LVIF_TEXT | LVIF_PARAM;
            item.iItem = static_cast<int>(i);
            item.pszText = const_cast<char*>(bare.rows[i].name.c_str());
            item.lParam = static_cast<LPARAM>(i);
            const int index = static_cast<int>(::SendMessageA(bare.window, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
            ListView_SetItemText(bare.window, index, 1, const_cast<char*>("User Start-Up"));
            ListView_SetItemText(bare.window, index, 2, const_cast<char*>(bare.rows[i].command.c_str()));
            ListView_SetCheckState(bare.window, index, TRUE);
        }
        ::SendMessageA(bare.window, WM_SETREDRAW, TRUE, 0);
    });
}

// What the button update costs when each box change walks the rows until the
// first that differs from its stored state: here none differs but the last.
double WalkEveryRowPerChange(HWND list, int changes)
{
    const int count = ListView_GetItemCount(list);
    std::vector<bool> saved(static_cast<std::size_t>(count), true);
    saved.back() = false;
    int differing = 0;
    const double ms = Millis([&] {
        for (int change = 0; change < changes; ++change) {
            for (int item = 0; item < count; ++item) {
                LVITEMA row{};
                row.mask = LVIF_PARAM;
                row.iItem = item;
                ::SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&row));
                if ((ListView_GetCheckState(list, item) != FALSE) != saved[static_cast<std::size_t>(row.lParam)]) {
                    ++differing;
                    break;
                }
            }
        }
    });
    return differing == changes ? ms : -1;
}

// Clears the boxes of `count` checked rows, every other one from the top
// (run-once rows keep theirs); returns the time.
double ClearBoxes(HWND list, int count)
{
    return Millis([&] {
        for (int item = 0, cleared = 0; cleared < count && item < ListView_GetItemCount(list); item += 2) {
            if (ListView_GetCheckState(list, item)) {
                ListView_SetCheckState(list, item, FALSE);
                cleared += ListView_GetCheckState(list, item) ? 0 : 1;
            }
        }
    });
}

// This benchmark's own program, quoted for a command line.
std::string QuotedThisProgram()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return "\"" + std::string(path) + "\"";
}

} // namespace

void CloseQuorvaneWindow()
{
    theApp.m_pMainWnd->DestroyWindow();
    PumpUntil([] { return theApp.m_pMainWnd == nullptr; }, 2000);
    theApp.ExitInstance();
    // The quit that the closed window posted, or every later pump stops at it.
    MSG quit;
    ::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--details") {
        const int entries = std::max(10, std::atoi(argv[2]));
        MeasureStartupDetails(entries, entries / 5, 5);
        return 0;
    }
    const int entries = argc > 1 ? std::max(10, std::atoi(argv[1])) : 5000;
    const int changed = std::min(1000, entries / 5);
    const std::vector<Entry> rows = MakeEntries(entries);
    fw::SetMessageBoxFunction([](HWND, const char*, const char*, UINT) { return IDOK; });
    SetServiceFilterForTesting(&PageBenchService);

    // The Start-Up tab is the first one: its page is made and filled as the
    // window opens. Opened once with empty keys first, for the window's own share.
    double openEmptyMs = 0;
    {
        RegistrySandbox empty;
        StartupFolderSandbox emptyFolders;
        openEmptyMs = Millis([] { theApp.InitInstance(); });
        CloseQuorvaneWindow();
    }
    if (!MakeBenchServices(kServicePrefix, kServices, 1, L"C:\\quorvane-bench"))
        std::printf("(not every service could be made)\n");
    struct ServicesRemoved {
        ~ServicesRemoved() { RemoveBenchServices(kServicePrefix, kServices); }
    } servicesRemoved;
    {
        RegistrySandbox sandbox;
        StartupFolderSandbox folders;
        const int switchable = WriteEntries(rows, folders) + WriteServiceKeys();
        const double openMs = Millis([] { theApp.InitInstance(); });
        if (!theApp.m_pMainFrame)
            return 1;
        CStartupDlg& page = *theApp.m_pMainFrame->m_pMainSheet->m_pStartupPage;
        const HWND list = page.m_listStartup.m_hWnd;
        // The services follow once the window is drawn.
        PumpFor(200);
        const int shown = ListView_GetItemCount(list);

        const double sortProgramMs = Millis([&] { ClickListHeader(page.m_hWnd, IDC_STARTUP_LIST, 0); });
        const double sortProgramAgainMs = Millis([&] { ClickListHeader(page.m_hWnd, IDC_STARTUP_LIST, 0); });
        const double sortLocationMs = Millis([&] { ClickListHeader(page.m_hWnd, IDC_STARTUP_LIST, 1); });
        const double sortPathMs = Millis([&] { ClickListHeader(page.m_hWnd, IDC_STARTUP_LIST, 2); });

        const double clearMs = ClearBoxes(list, changed);
        const std::size_t differing = page.m_rows.DifferingCount();
        const double revertMs = Millis([&] { ClickButton(page.m_hWnd, IDC_REVERT); });
        const bool revertClean = !page.m_btnApply.IsWindowEnabled();
        ClearBoxes(list, changed);
        const std::size_t parkedBefore = ParkedCount();
        const double applyMs = Millis([&] { ClickButton(page.m_hWnd, IDC_APPLY); });
        const std::size_t parkedAfter = ParkedCount();
        // The watcher saw the page's own moves; what it posted goes first.
        PumpFor(500);
        const double rereadSameMs = Millis([&] { page.RefreshList(); });

        // One entry added by another program: read again at once (as F5 does),
        // and as the watcher brings it without a click, reading only its source.
        const int before = ListView_GetItemCount(list);
        WriteText(HKEY_CURRENT_USER, kRunKeyPath, 0, "zz added", "added.exe");
        const double rereadOneMs = Millis([&] { page.RefreshList(); });
        const bool oneShown = ListView_GetItemCount(list) == before + 1;
        PumpFor(300);
        WriteText(HKEY_CURRENT_USER, kRunKeyPath, 0, "zz added too", "added.exe");
        bool noticed = false;
        const double noticedMs =
            Millis([&] { noticed = PumpUntil([&] { return ListView_GetItemCount(list) == before + 2; }, 5000); });

        // A filter text that a few rows hold, typed and emptied; one group
        // chosen, and Everything again.
        const HWND filter = ::GetDlgItem(page.m_hWnd, IDC_STARTUP_FILTER);
        const HWND choice = ::GetDlgItem(page.m_hWnd, IDC_STARTUP_GROUP);
        auto choose = [&](const char* group) {
            ::SendMessageA(choice, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(group));
            ::SendMessageA(page.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_STARTUP_GROUP, CBN_SELCHANGE),
                           reinterpret_cast<LPARAM>(choice));
        };
        const int unfiltered = ListView_GetItemCount(list);
        const double filterMs = Millis([&] { ::SetWindowTextW(filter, L"-12"); });
        const int filtered = ListView_GetItemCount(list);
        const double unfilterMs = Millis([&] { ::SetWindowTextW(filter, L""); });
        const double groupMs = Millis([&] { choose("Services"); });
        const int grouped = ListView_GetItemCount(list);
        const double everythingMs = Millis([&] { choose("Everything"); });
        const bool allBack = ListView_GetItemCount(list) == unfiltered;

        // The list saved, compared with itself as it stands (every entry
        // matches), and the comparison ended with F5.
        const ScratchFolder scratch;
        const std::wstring savedList = scratch.Path() + L"\\list.csv";
        bool compared = false;
        const double saveMs = Millis([&] { page.SaveListTo(savedList); });
        const double compareMs = Millis([&] { compared = page.CompareWith(savedList); });
        const int comparedRows = ListView_GetItemCount(list);
        const double endCompareMs = Millis([&] { page.RefreshList(); });

        // The largest saved list, every entry of it gone: its rows come with
        // each comparison and go when it ends, so five cost what one does.
        const std::wstring goneList = scratch.Path() + L"\\gone.csv";
        {
            std::vector<EntryReport> gone(kLargestSavedList);
            for (std::size_t i = 0; i < gone.size(); ++i)
                gone[i] = {L"Gone " + std::to_wstring(i), L"User Start-Up", L"C:\\gone\\" + std::to_wstring(i) + L".exe",
                           L"", L"", false, true, false};
            SaveStartupList(goneList, gone);
        }
        double goneOnceMiB = 0, goneFiveMiB = 0, goneCompareMs = 0;
        for (int comparison = 1; comparison <= 5; ++comparison) {
            goneCompareMs += Millis([&] { page.CompareWith(goneList); });
            page.RefreshList();
            (comparison == 1 ? goneOnceMiB : goneFiveMiB) = PrivateMiB();
        }

        std::size_t read = 0;
        const double readMs = Millis([&] { read = ReadStartupEntries(StartupSources()).size(); });

        BareList bare{nullptr, rows};
        const double bareFillMs = FillBareList(bare, page.m_hWnd);
        const double bareSortMs =
            Millis([&] { ListView_SortItems(bare.window, CompareBareNames, reinterpret_cast<LPARAM>(&bare)); });
        const double walkMs = WalkEveryRowPerChange(bare.window, changed);
        const double bareClearMs = ClearBoxes(bare.window, changed);

        const double fillMs = openMs - openEmptyMs;
        std::printf("start-up page with %d entries over every source and %d services (%d rows shown, %d switchable), "
                    "milliseconds\n",
                    entries, kServices, shown, switchable);
        std::printf("  open the window, sources empty       %9.1f\n", openEmptyMs);
        std::printf("  open the window, page filled         %9.1f   bare list fill %9.1f   ratio %.2f\n", openMs,
                    bareFillMs, bareFillMs > 0 ? fillMs / bareFillMs : 0.0);
        std::printf("  of which reading every source        %9.1f   (%zu entries)\n", readMs, read);
        std::printf("  sort by Program (ascending)          %9.1f   bare list sort %9.1f   ratio %.2f\n", sortProgramMs,
                    bareSortMs, bareSortMs > 0 ? sortProgramMs / bareSortMs : 0.0);
        std::printf("  sort by Program (descending)         %9.1f\n", sortProgramAgainMs);
        std::printf("  sort by Location                     %9.1f\n", sortLocationMs);
        std::printf("  click on Execution Path (no sort)    %9.3f\n", sortPathMs);
        std::printf("  clear %d boxes                     %9.1f   bare list %9.1f   ratio %.2f\n", changed, clearMs,
                    bareClearMs, bareClearMs > 0 ? clearMs / bareClearMs : 0.0);
        std::printf("  walking all rows after each of %d changes, as a plain page would: %.1f\n", changed, walkMs);
        std::printf("  revert %zu boxes                    %9.1f   (buttons disabled after: %s)\n", differing, revertMs,
                    revertClean ? "yes" : "NO");
        std::printf("  apply %d changes                   %9.1f   (switched-off entries %zu before, %zu after)\n",
                    changed, applyMs, parkedBefore, parkedAfter);
        auto toFill = [fillMs](double ms) { return fillMs > 0 ? ms / fillMs : 0.0; };
        std::printf("  fill (page filled less sources empty)%9.1f\n", fillMs);
        std::printf("  read all again (F5), nothing changed %9.1f   ratio to fill %.2f\n", rereadSameMs,
                    toFill(rereadSameMs));
        std::printf("  read all again (F5), one entry added %9.1f   ratio to fill %.2f   (row shown: %s)\n",
                    rereadOneMs, toFill(rereadOneMs), oneShown ? "yes" : "NO");
        std::printf("  one entry added, shown without a click %7.1f   ratio to fill %.2f   (from the write, watcher "
                    "included; shown: %s)\n",
                    noticedMs, toFill(noticedMs), noticed ? "yes" : "NO");

        std::printf("  filter typed, %d of %d rows shown    %9.1f   emptied %9.1f   ratio to fill %.2f\n", filtered,
                    unfiltered, filterMs, unfilterMs, toFill(unfilterMs));
        std::printf("  group chosen, %d rows shown          %9.1f   Everything again %9.1f   (all back: %s)\n", grouped,
                    groupMs, everythingMs, allBack ? "yes" : "NO");
        std::printf("  save the list                        %9.1f\n", saveMs);
        std::printf("  compare with it                      %9.1f   ratio to fill %.2f   (compared: %s, rows %d)\n",
                    compareMs, toFill(compareMs), compared ? "yes" : "NO", comparedRows);
        std::printf("  F5 ending the comparison             %9.1f   ratio to fill %.2f\n", endCompareMs,
                    toFill(endCompareMs));
        std::printf("  private memory after comparing with %zu gone entries and ending it: once %.1f MiB, "
                    "five times %.1f MiB (%.1f ms a comparison)\n",
                    kLargestSavedList, goneOnceMiB, goneFiveMiB, goneCompareMs / 5);

        CloseQuorvaneWindow();
    }
    fw::SetMessageBoxFunction({});
    // The details in a process of their own, whose threads, memory and
    // signature checks nothing before has touched.
    std::fflush(stdout);
    const ChildProcess details(QuotedThisProgram() + " --details " + std::to_string(entries), ChildOutput::Shared);
    return details.Valid() && details.WaitForExit(600000) == 0 ? 0 : 1;
}
