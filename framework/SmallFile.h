#pragma once
// A small file read whole, with a bound on its size, so that a huge or
// growing file is refused before anything is allocated for it. Another
// program may hold the file open meanwhile, also for writing.

#include "framework/UniqueHandle.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fw {

// The bytes of the file at `path` where it holds at most `largest`; else
// nothing, and `error` (where given) says why: the Win32 error,
// ERROR_FILE_TOO_LARGE for a larger file, ERROR_HANDLE_EOF for one that grew
// shorter while it was read.
inline std::optional<std::vector<std::uint8_t>> ReadSmallFile(const std::wstring& path, std::size_t largest,
                                                              DWORD* error = nullptr)
{
    auto fail = [error](DWORD why) -> std::optional<std::vector<std::uint8_t>> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    // Shared for writing too: a spreadsheet keeps the file it shows open for writing.
    const UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size))
        return fail(::GetLastError());
    if (size.QuadPart < 0 || static_cast<unsigned long long>(size.QuadPart) > largest)
        return fail(ERROR_FILE_TOO_LARGE);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() && !::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        return fail(::GetLastError());
    if (read != bytes.size())
        return fail(ERROR_HANDLE_EOF);
    return bytes;
}

} // namespace fw
