#include "pages/startup/StartupStore.h"

#include "framework/UniqueHandle.h"
#include "pages/startup/RegistryValueText.h"
#include "pages/startup/StartupApproved.h"
#include "pages/startup/StartupFolders.h"

#include <mbstring.h>

#include <set>

namespace {
// Longer names and larger data are left out of a value list.
constexpr DWORD kNameCapacity = 8192; // characters, with the closing NUL
constexpr DWORD kDataCapacity = 8192; // bytes

struct NoCaseLess {
    bool operator()(const std::string& a, const std::string& b) const
    {
        return _mbsicmp(reinterpret_cast<const unsigned char*>(a.c_str()),
                        reinterpret_cast<const unsigned char*>(b.c_str()))
               < 0;
    }
};

// Value names, compared as the registry does: without regard to case.
using NameSet = std::set<std::string, NoCaseLess>;

// The entries of the source that Windows' own start-up settings switch off.
NameSet NamesOffForWindows(const StartupSource& source)
{
    NameSet names;
    fw::UniqueRegKey key;
    if (!source.approvedKeyPath
        || ::RegOpenKeyExA(source.hive, source.approvedKeyPath, 0, KEY_READ | source.approvedView, key.Put())
               != ERROR_SUCCESS)
        return names;
    char name[kNameCapacity];
    BYTE data[kApprovedValueSize + 1]; // one byte more: a longer value is no switch
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = kNameCapacity;
        DWORD size = sizeof(data);
        DWORD type = REG_NONE;
        const LONG status = ::RegEnumValueA(key.Get(), index, name, &nameLength, nullptr, &type, data, &size);
        if (status == ERROR_MORE_DATA)
            continue; // too long to be a switch
        if (status != ERROR_SUCCESS)
            break; // the end, or a key that went away
        if (DecodeStartupApproved(type, data, size) == ApprovedState::Disabled)
            names.emplace(name, nameLength);
    }
    return names;
}
// The values of one of the source's places: where Windows finds its entries,
// or where Quorvane keeps the switched-off ones.
StartupValueList ReadPlace(const StartupSource& source, EntryPlace place)
{
    const bool startup = place == EntryPlace::Startup;
    if (source.kind == StartupKind::Folder)
        return ReadFolderList(startup ? StartupFolderPath(source) : ParkedFolderPath(source));
    return ReadValueList(source.hive, startup ? source.keyPath : kDisabledKeyPath, source.view);
}
} // namespace

StartupValueList ReadValueList(HKEY hive, const char* keyPath, REGSAM view)
{
    StartupValueList values;
    fw::UniqueRegKey key;
    if (::RegOpenKeyExA(hive, keyPath, 0, KEY_READ | view, key.Put()) != ERROR_SUCCESS)
        return values;
    DWORD count = 0;
    if (::RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr,
                           nullptr, nullptr, nullptr)
        != ERROR_SUCCESS)
        return values;

    std::vector<char> name(kNameCapacity);
    std::vector<BYTE> data(kDataCapacity);
    for (DWORD index = 0; index < count; ++index) {
        DWORD nameLength = kNameCapacity;
        DWORD size = kDataCapacity;
        DWORD type = REG_NONE;
        // Too long a name or too much data, or a value removed meanwhile: left out.
        if (::RegEnumValueA(key.Get(), index, name.data(), &nameLength, nullptr, &type, data.data(), &size)
            != ERROR_SUCCESS)
            continue;
        values.push_back({std::string(name.data(), nameLength), RegistryValueText(type, data.data(), size),
                          IsTextValueType(type)});
    }
    return values;
}

std::vector<StartupEntry> ReadStartupEntries(const std::vector<StartupSource>& sources, SourceSet which)
{
    std::vector<StartupEntry> entries;
    for (std::size_t index = 0; index < sources.size(); ++index) {
        if (!(which & SourceBit(index)))
            continue;
        const StartupSource& source = sources[index];
        const NameSet offForWindows = NamesOffForWindows(source);
        for (StartupValue& value : ReadPlace(source, EntryPlace::Startup)) {
            const bool off = offForWindows.count(value.name) != 0;
            entries.push_back({index, EntryPlace::Startup, std::move(value), off});
        }
    }
    for (std::size_t index = 0; index < sources.size(); ++index) {
        const StartupSource& source = sources[index];
        if (!(which & SourceBit(index)) || !IsSwitchable(source))
            continue;
        for (StartupValue& value : ReadPlace(source, EntryPlace::Parked))
            entries.push_back({index, EntryPlace::Parked, std::move(value)});
    }
    return entries;
}
