#pragma once
// A registry value's type and exact bytes, read and written without any
// conversion, for checks of what the store left behind.

#include <windows.h>

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

// What the store writes: the text and one NUL, as REG_SZ.
inline StoredValue Sz(const std::string& text, DWORD type = REG_SZ)
{
    return {type, std::vector<BYTE>(text.c_str(), text.c_str() + text.size() + 1)};
}

inline StoredValue Raw(DWORD type, const std::string& bytes) { return {type, {bytes.begin(), bytes.end()}}; }

// Windows' own start-up switch for an entry: one that switches it off (an odd
// flag and a time), and the form that switching on writes.
inline const StoredValue kWindowsOff = Raw(REG_BINARY, std::string("\x03\0\0\0\x10\x32\x54\x76\x98\xba\xdc\x01", 12));
inline const StoredValue kEnabledForWindows = Raw(REG_BINARY, std::string("\x02\0\0\0", 4) + std::string(8, '\0'));

inline std::optional<StoredValue> ReadStored(HKEY hive, const char* path, const std::string& name, REGSAM view = kNativeView)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(hive, path, 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return std::nullopt;
    StoredValue value;
    DWORD size = 0;
    LONG status = ::RegQueryValueExA(key, name.c_str(), nullptr, &value.type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        value.bytes.resize(size);
        status = ::RegQueryValueExA(key, name.c_str(), nullptr, &value.type, value.bytes.data(), &size);
    }
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

inline void CreateEmptyKey(HKEY hive, const char* path, REGSAM view = kNativeView)
{
    HKEY key = nullptr;
    ::RegCreateKeyExA(hive, path, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key, nullptr);
    ::RegCloseKey(key);
}

// Writes exactly the value's bytes. The registry adds a NUL to text whose
// last counted byte is not one when the byte after the count is a NUL, so the
// bytes are passed with a non-NUL byte behind them.
inline void WriteStored(HKEY hive, const char* path, const std::string& name, const StoredValue& value,
                        REGSAM view = kNativeView)
{
    std::vector<BYTE> guarded = value.bytes;
    guarded.push_back(0xff);
    HKEY key = nullptr;
    ::RegCreateKeyExA(hive, path, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key, nullptr);
    ::RegSetValueExA(key, name.c_str(), 0, value.type, guarded.data(), static_cast<DWORD>(value.bytes.size()));
    ::RegCloseKey(key);
}
