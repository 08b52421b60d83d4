#include "pages/startup/details/EntryTime.h"

#include "framework/UniqueHandle.h"
#include "pages/startup/details/NativeFilePath.h"

#include <cwchar>
#include <iterator>

namespace {

std::uint64_t Ticks(const FILETIME& time)
{
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

} // namespace

std::uint64_t LastChangeTime(const EntryAddress& address)
{
    if (!address.file.empty()) {
        const std::wstring path = NativeFilePath(address.file);
        WIN32_FILE_ATTRIBUTE_DATA data{};
        return !path.empty() && ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)
                   ? Ticks(data.ftLastWriteTime)
                   : 0;
    }
    if (!address.hive)
        return 0;
    fw::UniqueRegKey key;
    FILETIME written{};
    if (::RegOpenKeyExW(address.hive, address.keyPath.c_str(), 0, KEY_QUERY_VALUE | address.view, key.Put()) !=
            ERROR_SUCCESS ||
        ::RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, &written) != ERROR_SUCCESS)
        return 0;
    return Ticks(written);
}

std::wstring UtcTimeText(std::uint64_t fileTime)
{
    const FILETIME time{static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
    SYSTEMTIME utc{};
    if (fileTime == 0 || !::FileTimeToSystemTime(&time, &utc))
        return {};
    wchar_t text[32];
    std::swprintf(text, std::size(text), L"%04u-%02u-%02uT%02u:%02u:%02uZ", utc.wYear, utc.wMonth, utc.wDay, utc.wHour,
                  utc.wMinute, utc.wSecond);
    return text;
}
