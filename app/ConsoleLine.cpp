#include "app/ConsoleLine.h"

#include "pages/startup/Utf8Text.h"

#include <windows.h>

namespace {

bool IsConsole(HANDLE handle)
{
    DWORD mode = 0;
    return ::GetConsoleMode(handle, &mode) != FALSE;
}

bool WriteAll(HANDLE handle, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        if (!::WriteFile(handle, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr) ||
            written == 0)
            return false;
        done += written;
    }
    return true;
}

void WriteToConsole(HANDLE console, const std::wstring& line)
{
    DWORD written = 0;
    ::WriteConsoleW(console, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

} // namespace

void WriteConsoleLine(const std::wstring& text, bool failure)
{
    const std::wstring line = text + L"\r\n";
    const HANDLE given = ::GetStdHandle(failure ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    if (given && given != INVALID_HANDLE_VALUE) {
        if (IsConsole(given)) {
            WriteToConsole(given, line);
            return;
        }
        if (WriteAll(given, Utf8FromWide(line)))
            return; // a pipe or a file
    }
    // A program without a console of its own, started from one (or handed
    // a console's handle it cannot write without it): its parent's console.
    if (!::AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    const HANDLE console = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, 0, nullptr);
    if (console != INVALID_HANDLE_VALUE) {
        // The prompt was written before this process started: the line goes below it.
        WriteToConsole(console, L"\r\n" + line);
        ::CloseHandle(console);
    }
    ::FreeConsole();
}
