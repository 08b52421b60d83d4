#pragma once
// A registry value's type and exact bytes, read and written without any
// conversion, for checks of what the store left behind. Names and texts are
// given in UTF-8 and stored as the registry keeps them, in UTF-16.

#include "support/WideText.h"

#include <windows.h>
#include <winternl.h>

#include <optional>
#include <string>
#include <vector>

// The machine's keys as "System Start-Up" lists them from either program: the
// 64-bit view on 64-bit Windows (32-bit Windows ignores the flag). The user's
// keys are the same in both views.
constexpr REGSAM kNativeView = KEY_WOW64_64KEY;

struct StoredValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
    bool operator==(const StoredValue& other) const { return type == other.type && bytes == other.bytes; }
};

inline StoredValue Raw(DWORD type, const std::string& bytes) { return {type, {bytes.begin(), bytes.end()}}; }

// The UTF-16 bytes of a text, without a closing NUL.
inline std::string Utf16Bytes(const std::string& utf8)
{
    const std::wstring wide = W(utf8);
    return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
}

// What the registry keeps for text: UTF-16 and one NUL, as REG_SZ.
inline StoredValue Sz(const std::string& utf8, DWORD type = REG_SZ)
{
    return Raw(type, Utf16Bytes(utf8) + std::string(2, '\0'));
}

// Windows' own start-up switch for an entry: one that switches it off (an odd
// flag and a time), and the form that switching on writes.
inline const StoredValue kWindowsOff = Raw(REG_BINARY, std::string("\x03\0\0\0\x10\x32\x54\x76\x98\xba\xdc\x01", 12));
inline const StoredValue kEnabledForWindows = Raw(REG_BINARY, std::string("\x02\0\0\0", 4) + std::string(8, '\0'));

// Whether a value is a switch that Windows' own tools wrote to switch an entry off.
inline bool IsWindowsOffSwitch(const std::optional<StoredValue>& value)
{
    return value && value->type == REG_BINARY && value->bytes.size() == 12 && value->bytes[0] == 3;
}

inline std::optional<StoredValue> ReadStored(HKEY hive, const wchar_t* path, const std::string& name,
                                             REGSAM view = kNativeView)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(hive, path, 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return std::nullopt;
    const std::wstring wideName = W(name);
    StoredValue value;
    DWORD size = 0;
    LONG status = ::RegQueryValueExW(key, wideName.c_str(), nullptr, &value.type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        value.bytes.resize(size);
        status = ::RegQueryValueExW(key, wideName.c_str(), nullptr, &value.type, value.bytes.data(), &size);
    }
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

inline void CreateEmptyKey(HKEY hive, const wchar_t* path, REGSAM view = kNativeView)
{
    HKEY key = nullptr;
    ::RegCreateKeyExW(hive, path, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key, nullptr);
    ::RegCloseKey(key);
}

// Writes exactly the value's bytes. The registry adds a NUL to text whose
// last counted character is not one when the memory after the count holds a
// NUL, so the bytes are passed with non-NUL bytes behind them.
inline void WriteStored(HKEY hive, const wchar_t* path, const std::string& name, const StoredValue& value,
                        REGSAM view = kNativeView)
{
    std::vector<BYTE> guarded = value.bytes;
    guarded.insert(guarded.end(), 2, 0xff);
    HKEY key = nullptr;
    ::RegCreateKeyExW(hive, path, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key, nullptr);
    ::RegSetValueExW(key, W(name).c_str(), 0, value.type, guarded.data(), static_cast<DWORD>(value.bytes.size()));
    ::RegCloseKey(key);
}

// Writes a value under its name as counted, which may hold a NUL that the
// registry's W calls cannot name: through the native call, which takes a
// counted name.
inline void WriteStoredCounted(HKEY hive, const wchar_t* path, const std::wstring& name, const StoredValue& value,
                               REGSAM view = kNativeView)
{
    using SetValueKey = NTSTATUS(NTAPI*)(HANDLE, UNICODE_STRING*, ULONG, ULONG, const void*, ULONG);
    const auto setValue = reinterpret_cast<SetValueKey>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtSetValueKey")));
    UNICODE_STRING counted{static_cast<USHORT>(name.size() * sizeof(wchar_t)),
                           static_cast<USHORT>(name.size() * sizeof(wchar_t)), const_cast<wchar_t*>(name.data())};
    HKEY key = nullptr;
    ::RegCreateKeyExW(hive, path, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key, nullptr);
    setValue(key, &counted, 0, value.type, value.bytes.data(), static_cast<ULONG>(value.bytes.size()));
    ::RegCloseKey(key);
}
