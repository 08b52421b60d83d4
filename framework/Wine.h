#pragma once
// Whether the program runs under Wine rather than Windows: for the few places
// where Wine's version of a system library behaves otherwise and the program
// must step around it.

#include <windows.h>

namespace fw {

inline bool RunsOnWine()
{
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

} // namespace fw
