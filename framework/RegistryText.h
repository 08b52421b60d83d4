#pragma once
// The text of a registry value of any length, as RegGetValueW gives it: a
// REG_SZ, or a REG_EXPAND_SZ with its environment variables expanded (asked
// for REG_SZ alone, it takes both; asked for REG_EXPAND_SZ as well, without
// RRF_NOEXPAND, it refuses the call as an invalid parameter).

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace fw {

// Reads `name` (null: the unnamed value) of the key `subKey` (null: `key`
// itself) into `text`, up to its first NUL. ERROR_SUCCESS; or
// ERROR_FILE_NOT_FOUND where the key or the value is not there, or the call's
// error (ERROR_UNSUPPORTED_TYPE for a value that is no text), `text` untouched.
inline LONG ReadRegistryText(HKEY key, const wchar_t* subKey, const wchar_t* name, std::wstring& text)
{
    std::vector<wchar_t> buffer(MAX_PATH);
    LONG status = ERROR_MORE_DATA;
    // The expanded text can be longer than the size reported, and a value can
    // grow between two calls: asked again, a few times.
    for (int attempt = 0; attempt < 4 && status == ERROR_MORE_DATA; ++attempt) {
        DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        status = ::RegGetValueW(key, subKey, name, RRF_RT_REG_SZ, nullptr, buffer.data(), &size);
        if (status == ERROR_SUCCESS) {
            const auto end = buffer.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(
                                                   size / sizeof(wchar_t), buffer.size()));
            text.assign(buffer.begin(), std::find(buffer.begin(), end, L'\0'));
        } else if (status == ERROR_MORE_DATA) {
            buffer.resize(size / sizeof(wchar_t) + 1);
        }
    }
    return status;
}

} // namespace fw
