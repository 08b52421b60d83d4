// Drives Quorvane for the screenshot script: finds the program's window on
// this desktop and shows in turn the Start-Up tab, the same with its list
// scrolled to the last column (the publishers), the list compared with one
// saved before three entries changed, one group of places and a filter
// chosen with the choice of groups open, and the Sytem Metrics tab.
// For each it signals that the screen is ready by creating
// "<dir>\<picture>.ready", then waits for the script to answer with
// "<dir>\<picture>.done" once it has taken its picture. Closes the program
// last.
//
// Usage: screenshot_driver <sync directory>

#include "res/resource.h"
#include "support/ProcessWindows.h"

#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

bool FileExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Touch(const std::string& path)
{
    if (FILE* f = std::fopen(path.c_str(), "w"))
        std::fclose(f);
}

bool WaitForFile(const std::string& path, DWORD timeoutMs)
{
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (!FileExists(path)) {
        if (::GetTickCount64() >= deadline)
            return false;
        ::Sleep(50);
    }
    return true;
}

// Answers the program's file dialog titled `title` with `path`, as a user
// would type it into the file name box and press the dialog's button.
bool AnswerFileDialog(const char* title, const std::string& path)
{
    for (int i = 0; i < 200; ++i, ::Sleep(50)) {
        const HWND dialog = ::FindWindowA("#32770", title);
        if (!dialog)
            continue;
        // The file name box: a combo box in the Explorer-style dialog, an edit in the old one.
        if (!::SetDlgItemTextA(dialog, 1148, path.c_str()) && !::SetDlgItemTextA(dialog, 1152, path.c_str()))
            return false;
        ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        return true;
    }
    return false;
}

// Saves the list, then changes three entries as an update and an uninstall
// would, and compares the list with the one saved.
void CompareWithListSavedBefore(HWND frame, const std::string& sync)
{
    const std::string saved = sync + "March.csv";
    ::PostMessageA(frame, WM_COMMAND, MAKEWPARAM(ID_FILE_SAVE_STARTUP_LIST, 0), 0);
    if (!AnswerFileDialog("Save As", saved) || !WaitForFile(saved, 10000))
        return;
    HKEY run = nullptr;
    const char* runKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, runKey, 0, KEY_SET_VALUE, &run) != ERROR_SUCCESS)
        return;
    const std::string updated = "\"C:\\Program Files\\Cloud Sync\\2.0\\sync.exe\" /background";
    const std::string added = "\"C:\\Games\\Launcher\\launcher.exe\" -silent";
    ::RegSetValueExA(run, "Cloud Sync", 0, REG_SZ, reinterpret_cast<const BYTE*>(updated.c_str()),
                     static_cast<DWORD>(updated.size() + 1));
    ::RegSetValueExA(run, "Game Launcher", 0, REG_SZ, reinterpret_cast<const BYTE*>(added.c_str()),
                     static_cast<DWORD>(added.size() + 1));
    ::RegDeleteValueA(run, "Display Settings");
    ::RegCloseKey(run);
    ::Sleep(1000); // the list follows
    ::PostMessageA(frame, WM_COMMAND, MAKEWPARAM(ID_FILE_COMPARE_STARTUP_LIST, 0), 0);
    AnswerFileDialog("Compare with Saved List", saved);
}

// Ends the comparison (F5), then picks the group and types the filter as a
// user would, and opens the choice of groups so that the picture shows them.
void ChooseGroupAndFilter(HWND list, const char* group, const wchar_t* filter)
{
    const HWND page = ::GetParent(list);
    ::PostMessageA(list, WM_KEYDOWN, VK_F5, 0);
    ::Sleep(500);
    const HWND choice = ::GetDlgItem(page, IDC_STARTUP_GROUP);
    ::SendMessageA(choice, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(group));
    ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_STARTUP_GROUP, CBN_SELCHANGE), reinterpret_cast<LPARAM>(choice));
    ::SetWindowTextW(::GetDlgItem(page, IDC_STARTUP_FILTER), filter);
    ::SendMessageA(choice, CB_SHOWDROPDOWN, TRUE, 0);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: screenshot_driver <sync directory>\n");
        return 2;
    }
    const std::string sync = std::string(argv[1]) + "\\";

    // The program runs on the same Wine desktop, started there by the script.
    HWND frame = nullptr;
    for (int i = 0; i < 400 && !frame; ++i) {
        frame = ::FindWindowA(nullptr, "Quorvane");
        if (!frame)
            ::Sleep(50);
    }
    if (!frame) {
        Touch(sync + "failed");
        return 1;
    }
    const std::vector<HWND> tabs = FindDescendants(frame, WC_TABCONTROLA);
    const HWND sheet = tabs.empty() ? nullptr : ::GetParent(tabs.front());
    const int count = tabs.empty() ? 0 : static_cast<int>(::SendMessageA(tabs.front(), TCM_GETITEMCOUNT, 0, 0));

    const std::vector<HWND> lists = FindDescendants(frame, WC_LISTVIEWA);
    const HWND startupList = lists.empty() ? nullptr : lists.front();
    const struct {
        const char* picture;
        int tab;
        bool scrolled; // the start-up list shows its last column
        bool compared; // with a list saved before three entries changed
        bool found;    // one group and a filter chosen
    } shots[] = {{"startup-tab", 0, false, false, false},
                 {"startup-tab-details", 0, true, false, false},
                 {"startup-compare", 0, false, true, false},
                 {"startup-find", 0, false, false, true},
                 {"metrics-tab", 1, false, false, false}};
    for (const auto& shot : shots) {
        if (shot.tab >= count)
            break;
        ::SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(shot.tab), 0);
        if (shot.scrolled && startupList)
            ::SendMessageA(startupList, LVM_SCROLL, 10000, 0);
        if (shot.compared) {
            ::SendMessageA(startupList, LVM_SCROLL, static_cast<WPARAM>(-10000), 0);
            CompareWithListSavedBefore(frame, sync);
            // Sorted by Program, as a user would click its header, the three
            // changed rows are in sight together.
            const HWND header = reinterpret_cast<HWND>(::SendMessageA(startupList, LVM_GETHEADER, 0, 0));
            ::PostMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 5));
            ::PostMessageA(header, WM_LBUTTONUP, 0, MAKELPARAM(20, 5));
        }
        if (shot.found && startupList)
            ChooseGroupAndFilter(startupList, "Log-on", L"program files");
        // Let the status bar tick, the details come in and everything paint.
        ::Sleep(1200);
        const std::string name = sync + shot.picture;
        Touch(name + ".ready");
        if (!WaitForFile(name + ".done", 30000))
            break;
        if (shot.found && startupList)
            ::SendMessageA(::GetDlgItem(::GetParent(startupList), IDC_STARTUP_GROUP), CB_SHOWDROPDOWN, FALSE, 0);
    }
    ::PostMessageA(frame, WM_CLOSE, 0, 0);
    Touch(sync + "finished");
    return 0;
}
