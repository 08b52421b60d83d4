// Drives Quorvane for the screenshot script: finds the program's window on
// this desktop and shows in turn the Start-Up tab, the same with its list
// scrolled to the last column (the publishers), and the Sytem Metrics tab.
// For each it signals that the screen is ready by creating
// "<dir>\<picture>.ready", then waits for the script to answer with
// "<dir>\<picture>.done" once it has taken its picture. Closes the program
// last.
//
// Usage: screenshot_driver <sync directory>

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
    } shots[] = {{"startup-tab", 0, false}, {"startup-tab-details", 0, true}, {"metrics-tab", 1, false}};
    for (const auto& shot : shots) {
        if (shot.tab >= count)
            break;
        ::SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(shot.tab), 0);
        if (shot.scrolled && startupList)
            ::SendMessageA(startupList, LVM_SCROLL, 10000, 0);
        // Let the status bar tick, the details come in and everything paint.
        ::Sleep(1200);
        const std::string name = sync + shot.picture;
        Touch(name + ".ready");
        if (!WaitForFile(name + ".done", 30000))
            break;
    }
    ::PostMessageA(frame, WM_CLOSE, 0, 0);
    Touch(sync + "finished");
    return 0;
}
