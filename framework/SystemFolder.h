#pragma once
// The system folder (System32), as Windows names it and as this process
// reaches its native files, and the system's own libraries loaded from it by
// their full path, never a file of that name beside the program.

#include <windows.h>

#include <string>

namespace fw {

// The system folder as Windows names it, without a closing backslash; empty
// when it cannot be read.
inline std::wstring SystemFolderPath()
{
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

// The system folder as this process reaches the native one: in a 32-bit
// process on 64-bit Windows the file-system redirector shows SysWOW64 under
// the name System32, and %windir%\Sysnative (which exists for such processes
// only) names the native folder; elsewhere the system folder itself. Empty
// when it cannot be read.
inline std::wstring NativeSystemFolderPath()
{
#ifndef _WIN64
    BOOL wow64 = FALSE;
    wchar_t windows[MAX_PATH];
    const UINT length = ::GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64 && length > 0 && length < MAX_PATH) {
        const std::wstring sysnative = std::wstring(windows, length) + L"\\Sysnative";
        const DWORD attributes = ::GetFileAttributesW(sysnative.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return sysnative;
    }
#endif
    return SystemFolderPath();
}

inline HMODULE LoadSystemLibrary(const wchar_t* name)
{
    const std::wstring folder = SystemFolderPath();
    return folder.empty() ? nullptr : ::LoadLibraryW((folder + L"\\" + name).c_str());
}

} // namespace fw
