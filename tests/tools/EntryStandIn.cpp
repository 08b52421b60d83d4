// Stands in for a start-up entry's program in tests that must never start
// it: when it is started, it writes a marker file beside itself (its own path
// with ".started" added), then ends.

#include <windows.h>

#include <string>

int main()
{
    wchar_t path[MAX_PATH] = L"";
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 2;
    const std::wstring marker = std::wstring(path) + L".started";
    const HANDLE file = ::CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 3;
    ::CloseHandle(file);
    return 0;
}
