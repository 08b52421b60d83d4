// Drives Quorvane for the screenshot script: finds the program's window on
// this desktop, shows each tab in turn and, for each, signals that the screen
// is ready by creating "<dir>\tab-N.ready", then waits for the script to
// answer with "<dir>\tab-N.done" once it has taken its picture. Closes the
// program last.
//
// Usage: screenshot_driver <sync directory>

#include "support/ProcessWindows.h"

#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <string>

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

    for (int tab = 0; tab < count; ++tab) {
        ::SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(tab), 0);
        // Let the status bar tick and everything paint.
        ::Sleep(1200);
        const std::string name = sync + "tab-" + std::to_string(tab);
        Touch(name + ".ready");
        if (!WaitForFile(name + ".done", 30000))
            break;
    }
    ::PostMessageA(frame, WM_CLOSE, 0, 0);
    Touch(sync + "finished");
    return 0;
}
