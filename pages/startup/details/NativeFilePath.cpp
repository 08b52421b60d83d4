#include "pages/startup/details/NativeFilePath.h"

#include "framework/SystemFolder.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>

namespace {

bool EqualNoCase(const wchar_t* a, std::size_t aLength, const wchar_t* b, std::size_t bLength)
{
    return ::CompareStringOrdinal(a, static_cast<int>(aLength), b, static_cast<int>(bLength), TRUE) == CSTR_EQUAL;
}

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix)
{
    const std::size_t length = std::wcslen(prefix);
    return text.size() >= length && EqualNoCase(text.data(), length, prefix, length);
}

bool IsReservedDeviceName(std::wstring name)
{
    // The device is named by what stands before the first dot or colon,
    // trailing spaces ignored: "nul.txt" and "COM1 :" are devices too.
    name.erase(std::min(name.find_first_of(L".:"), name.size()));
    name.erase(name.find_last_not_of(L' ') + 1);
    for (const wchar_t* reserved : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
        if (EqualNoCase(name.data(), name.size(), reserved, std::wcslen(reserved)))
            return true;
    }
    if (name.size() != 4 || !(StartsWithNoCase(name, L"COM") || StartsWithNoCase(name, L"LPT")))
        return false;
    const wchar_t digit = name[3];
    return (digit >= L'0' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
}

} // namespace

bool IsDevicePath(const std::wstring& path)
{
    std::wstring normal = path;
    std::replace(normal.begin(), normal.end(), L'/', L'\\');
    if (StartsWithNoCase(normal, L"\\\\.\\") || StartsWithNoCase(normal, L"\\??\\"))
        return true;
    if (StartsWithNoCase(normal, L"\\\\?\\")) {
        const std::wstring rest = normal.substr(4);
        const bool drive = rest.size() >= 3 && std::iswalpha(rest[0]) && rest[1] == L':' && rest[2] == L'\\';
        if (!drive && !StartsWithNoCase(rest, L"UNC\\"))
            return true;
    }
    const std::size_t slash = normal.find_last_of(L"\\:");
    return IsReservedDeviceName(slash == std::wstring::npos ? normal : normal.substr(slash + 1));
}

std::wstring ReplaceLeadingFolder(const std::wstring& path, const std::wstring& folder,
                                  const std::wstring& replacement)
{
    if (folder.empty() || path.size() < folder.size() || !EqualNoCase(path.data(), folder.size(), folder.data(),
                                                                      folder.size()))
        return path;
    if (path.size() > folder.size() && path[folder.size()] != L'\\')
        return path; // System32x is another folder
    return replacement + path.substr(folder.size());
}

std::wstring NativeFilePath(const std::wstring& path)
{
    if (IsDevicePath(path))
        return {};
    // Both are fixed for the life of the process.
    static const std::wstring system = fw::SystemFolderPath();
    static const std::wstring native = fw::NativeSystemFolderPath();
    return native == system ? path : ReplaceLeadingFolder(path, system, native);
}

std::wstring FileKey(std::wstring path)
{
    if (!path.empty())
        ::CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
    return path;
}
