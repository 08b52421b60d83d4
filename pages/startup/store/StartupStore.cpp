#include "pages/startup/store/StartupStore.h"

#include "app/StartupSteps.h"
#include "framework/UniqueHandle.h"
#include "pages/startup/store/RegistryValueText.h"
#include "pages/startup/store/StartupApproved.h"
#include "pages/startup/store/PlaceKind.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <set>
#include <utility>

namespace {
struct NoCaseLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const
    {
        return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                      TRUE)
               == CSTR_LESS_THAN;
    }
};

// Value names, compared as the registry does: without regard to case.
using NameSet = std::set<std::wstring, NoCaseLess>;

using SharedListings = std::map<const void*, std::shared_ptr<const void>>;
// The listings shared within the reading under way on this thread, if any.
thread_local SharedListings* t_shared = nullptr;
// Set by a kind whose reading of the current source failed.
thread_local bool t_readingFailed = false;

// Marks a reading of sources on this thread for as long as it lives.
class ReadingScope {
public:
    ReadingScope() : m_outer(std::exchange(t_shared, &m_shared)) {}
    ~ReadingScope() { t_shared = m_outer; }
    ReadingScope(const ReadingScope&) = delete;
    ReadingScope& operator=(const ReadingScope&) = delete;

private:
    SharedListings m_shared;
    SharedListings* m_outer;
};

// A value as listed: named as the registry counts its name, shown with
// each NUL of it as \0, and then never switched.
StartupValue NamedValue(const std::wstring& name, std::wstring command, bool isText)
{
    if (name.find(L'\0') == std::wstring::npos)
        return {name, std::move(command), isText};
    std::wstring shown;
    for (const wchar_t c : name)
        shown += c == L'\0' ? std::wstring(L"\\0") : std::wstring(1, c);
    StartupValue value(std::move(shown), std::move(command), isText);
    value.id = name;
    value.fixed = true;
    return value;
}

} // namespace

std::shared_ptr<const void> SharedInReading(const void* key, const std::function<std::shared_ptr<const void>()>& make)
{
    if (!t_shared)
        return make();
    std::shared_ptr<const void>& shared = (*t_shared)[key];
    if (!shared)
        shared = make();
    return shared;
}

// The buffers are as large as the key's longest name and data; a value that
// grew meanwhile is read again with more room.
StartupValueList ReadKeyValues(HKEY key)
{
    StartupValueList values;
    DWORD count = 0;
    DWORD longestName = 0;
    DWORD largestData = 0;
    if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                           &largestData, nullptr, nullptr)
        != ERROR_SUCCESS)
        return values;
    std::vector<wchar_t> name(longestName + 1);
    std::vector<BYTE> data(largestData + sizeof(wchar_t));
    for (DWORD index = 0; index < count; ++index) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            DWORD nameLength = static_cast<DWORD>(name.size());
            DWORD size = static_cast<DWORD>(data.size());
            DWORD type = REG_NONE;
            const LONG status =
                ::RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &size);
            if (status == ERROR_MORE_DATA) {
                name.resize(32768); // the longest name the registry allows, and its NUL
                data.resize(std::max<std::size_t>(data.size() * 2, size + sizeof(wchar_t)));
                continue;
            }
            // A value removed meanwhile is left out.
            if (status == ERROR_SUCCESS)
                values.push_back(NamedValue(std::wstring(name.data(), nameLength),
                                            RegistryValueText(type, data.data(), size), IsTextValueType(type)));
            break;
        }
    }
    return values;
}

namespace {
// The entries of the source that Windows' own start-up settings switch off.
NameSet NamesOffForWindows(const StartupSource& source)
{
    NameSet names;
    fw::UniqueRegKey key;
    if (!source.approvedKeyPath
        || ::RegOpenKeyExW(source.hive, source.approvedKeyPath, 0, KEY_READ | source.approvedView, key.Put())
               != ERROR_SUCCESS)
        return names;
    wchar_t name[16384];
    BYTE data[kApprovedValueSize + 1]; // one byte more: a longer value is no switch
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(std::size(name));
        DWORD size = sizeof(data);
        DWORD type = REG_NONE;
        const LONG status = ::RegEnumValueW(key.Get(), index, name, &nameLength, nullptr, &type, data, &size);
        if (status == ERROR_MORE_DATA)
            continue; // too long to be a switch
        if (status != ERROR_SUCCESS)
            break; // the end, or a key that went away
        if (DecodeStartupApproved(type, data, size) == ApprovedState::Disabled)
            names.emplace(name, nameLength);
    }
    return names;
}

} // namespace

std::wstring CommandLine(const std::wstring& program, const std::wstring& arguments)
{
    const bool quote = program.find(L' ') != std::wstring::npos && program.front() != L'"';
    std::wstring line = quote ? L"\"" + program + L"\"" : program;
    if (!arguments.empty())
        line += L" " + arguments;
    return line;
}

bool SameValueName(const std::wstring& a, const std::wstring& b)
{
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE)
           == CSTR_EQUAL;
}

std::optional<std::wstring> ReadValueText(HKEY key, const wchar_t* name)
{
    std::vector<BYTE> data(256);
    for (;;) {
        DWORD type = REG_NONE;
        DWORD size = static_cast<DWORD>(data.size());
        const LONG status = ::RegQueryValueExW(key, name, nullptr, &type, data.data(), &size);
        if (status == ERROR_MORE_DATA) {
            data.resize(size + sizeof(wchar_t));
            continue;
        }
        if (status != ERROR_SUCCESS)
            return std::nullopt;
        return RegistryValueText(type, data.data(), size);
    }
}

std::optional<std::wstring> ReadTextValue(HKEY key, const wchar_t* name)
{
    std::vector<BYTE> data(256);
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD type = REG_NONE;
        DWORD size = static_cast<DWORD>(data.size());
        const LONG status = ::RegQueryValueExW(key, name, nullptr, &type, data.data(), &size);
        if (status == ERROR_MORE_DATA) {
            data.resize(size + sizeof(wchar_t));
            continue; // grown meanwhile: read again, a few times at most
        }
        if (status != ERROR_SUCCESS || !IsTextValueType(type))
            return std::nullopt;
        return RegistryValueText(type, data.data(), size);
    }
    return std::nullopt;
}

StartupValueList ReadValueList(HKEY hive, const wchar_t* keyPath, REGSAM view)
{
    fw::UniqueRegKey key;
    if (::RegOpenKeyExW(hive, keyPath, 0, KEY_READ | view, key.Put()) != ERROR_SUCCESS)
        return {};
    return ReadKeyValues(key.Get());
}

void ReportReadingFailed()
{
    t_readingFailed = true;
}

std::vector<StartupEntry> ReadStartupEntries(const std::vector<StartupSource>& sources, SourceSet which,
                                             SourceSet* failed)
{
    const ReadingScope reading;
    std::vector<StartupEntry> entries;
    // One kind's reading of one of its places; a failure counts for the source.
    auto read = [&](std::size_t index, EntryPlace place) {
        const StartupSource& source = sources[index];
        t_readingFailed = false;
        StartupValueList values = PlaceKindOf(source.kind).Read(source, place);
        if (std::exchange(t_readingFailed, false) && failed)
            *failed |= SourceSet::Of(index);
        return values;
    };
    for (std::size_t index = 0; index < sources.size(); ++index) {
        if (!which.Contains(index))
            continue;
        const StartupSource& source = sources[index];
        NameSet offForWindows;
        {
            const StartupWorkTimer timer("read: Windows' own switches");
            offForWindows = NamesOffForWindows(source);
        }
        StartupValueList values;
        {
            const StartupWorkTimer timer(PlaceKindOf(source.kind).ReadingWork());
            values = read(index, EntryPlace::Startup);
        }
        for (StartupValue& value : values) {
            const bool off = value.offForWindows || offForWindows.count(EntryId(value)) != 0;
            entries.push_back({index, EntryPlace::Startup, std::move(value), off});
        }
    }
    for (std::size_t index = 0; index < sources.size(); ++index) {
        const StartupSource& source = sources[index];
        if (!which.Contains(index) || !IsSwitchable(source))
            continue;
        const StartupWorkTimer timer("read: switched-off entries");
        for (StartupValue& value : read(index, EntryPlace::Parked))
            entries.push_back({index, EntryPlace::Parked, std::move(value)});
    }
    return entries;
}
