#pragma once
// The system folder (System32), and the system's own libraries loaded from
// it by their full path, never a file of that name beside the program.

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

inline HMODULE LoadSystemLibrary(const wchar_t* name)
{
    const std::wstring folder = SystemFolderPath();
    return folder.empty() ? nullptr : ::LoadLibraryW((folder + L"\\" + name).c_str());
}

} // namespace fw
