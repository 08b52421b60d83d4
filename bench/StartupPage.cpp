// The start-up page with many entries: opening it (reading the registry and
// filling the list), sorting by each column, reverting and applying 1,000
// changed boxes. Next to the page, the same work on a bare list view with
// the same rows, and the button update done the plain way, walking every
// row after each box change.
//
// Usage: startup_page [entries]

#include "app/MonitorApp.h"
#include "pages/startup/StartupDlg.h"
#include "pages/startup/StartupStore.h"
#include "res/resource.h"
#include "support/DialogInput.h"
#include "support/MessagePump.h"
#include "support/RegistrySandbox.h"
#include "ui/MainFrame.h"
#include "ui/MainSheet.h"

#include "framework/MessageBox.h"

#include <commctrl.h>
#include <mbstring.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

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

void WriteEntries(const std::vector<Entry>& entries)
{
    const struct {
        HKEY hive;
        const char* path;
    } keys[] = {{HKEY_CURRENT_USER, kRunKeyPath},
                {HKEY_LOCAL_MACHINE, kRunKeyPath},
                {HKEY_CURRENT_USER, kDisabledKeyPath},
                {HKEY_LOCAL_MACHINE, kDisabledKeyPath}};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& key = keys[i % 4];
        WriteStringValue(key.hive, key.path, entries[i].name.c_str(), entries[i].command);
    }
}

// The peer: a bare report list with check boxes, filled with the same rows.
struct BareList {
    HWND window;
    std::vector<Entry> rows;
};

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

// Clears the boxes of `count` checked rows, every other one from the top;
// returns the time and how many rows then differ from their stored state.
double ClearBoxes(HWND list, int count)
{
    return Millis([&] {
        for (int item = 0, cleared = 0; cleared < count && item < ListView_GetItemCount(list); item += 2) {
            if (ListView_GetCheckState(list, item)) {
                ListView_SetCheckState(list, item, FALSE);
                ++cleared;
            }
        }
    });
}

} // namespace

int main(int argc, char** argv)
{
    const int entries = argc > 1 ? std::max(10, std::atoi(argv[1])) : 5000;
    const int changed = std::min(1000, entries / 5);
    const std::vector<Entry> rows = MakeEntries(entries);
    fw::SetMessageBoxFunction([](HWND, const char*, const char*, UINT) { return IDOK; });

    // The Start-Up tab is the first one: its page is made and filled as the
    // window opens. Opened once with empty keys first, for the window's own share.
    double openEmptyMs = 0;
    {
        RegistrySandbox empty;
        openEmptyMs = Millis([] { theApp.InitInstance(); });
        theApp.m_pMainWnd->DestroyWindow();
        PumpUntil([] { return theApp.m_pMainWnd == nullptr; }, 2000);
        theApp.ExitInstance();
    }
    RegistrySandbox sandbox;
    WriteEntries(rows);
    const double openMs = Millis([] { theApp.InitInstance(); });
    if (!theApp.m_pMainFrame)
        return 1;
    CStartupDlg& page = *theApp.m_pMainFrame->m_pMainSheet->m_pStartupPage;
    const HWND list = page.m_listStartup.m_hWnd;
    const int shown = ListView_GetItemCount(list);
    PumpFor(200);

    const double sortProgramMs = Millis([&] { ClickListHeader(page.m_hWnd, IDC_STARTUP_LIST, 0); });
    const double sortProgramAgainMs = Millis([&] { ClickListHeader(page.m_hWnd, IDC_STARTUP_LIST, 0); });
    const double sortLocationMs = Millis([&] { ClickListHeader(page.m_hWnd, IDC_STARTUP_LIST, 1); });
    const double sortPathMs = Millis([&] { ClickListHeader(page.m_hWnd, IDC_STARTUP_LIST, 2); });

    const double clearMs = ClearBoxes(list, changed);
    const std::size_t differing = page.m_rows.DifferingCount();
    const double revertMs = Millis([&] { ClickButton(page.m_hWnd, IDC_REVERT); });
    const bool revertClean = !page.m_btnApply.IsWindowEnabled();
    ClearBoxes(list, changed);
    const double applyMs = Millis([&] { ClickButton(page.m_hWnd, IDC_APPLY); });
    const std::size_t disabledAfter = ReadValueList(HKEY_CURRENT_USER, kDisabledKeyPath).size() +
                                      ReadValueList(HKEY_LOCAL_MACHINE, kDisabledKeyPath).size();

    std::size_t read = 0;
    const double readMs = Millis([&] {
        for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
            for (const char* path : {kRunKeyPath, kDisabledKeyPath})
                read += ReadValueList(hive, path).size();
    });

    BareList bare{nullptr, rows};
    const double bareFillMs = FillBareList(bare, page.m_hWnd);
    const double bareSortMs =
        Millis([&] { ListView_SortItems(bare.window, CompareBareNames, reinterpret_cast<LPARAM>(&bare)); });
    const double walkMs = WalkEveryRowPerChange(bare.window, changed);
    const double bareClearMs = ClearBoxes(bare.window, changed);

    std::printf("start-up page with %d entries (%d rows shown), milliseconds\n", entries, shown);
    std::printf("  open the window, keys empty          %9.1f\n", openEmptyMs);
    std::printf("  open the window, page filled         %9.1f   bare list fill %9.1f   ratio %.2f\n", openMs,
                bareFillMs, bareFillMs > 0 ? (openMs - openEmptyMs) / bareFillMs : 0.0);
    std::printf("  of which reading the four keys       %9.1f   (%zu values)\n", readMs, read);
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
    std::printf("  apply %d changes                   %9.1f   (disabled entries now %zu)\n", changed, applyMs,
                disabledAfter);

    ::PostMessageA(theApp.m_pMainFrame->m_hWnd, WM_CLOSE, 0, 0);
    const int exitCode = theApp.Run();
    fw::SetMessageBoxFunction({});
    return exitCode;
}
