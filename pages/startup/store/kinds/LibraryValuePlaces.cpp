// Places where each value of a key is an entry: the codecs and multimedia
// drivers of Drivers32 (msacm.*, vidc.*, wave, midi, ...), a library each
// value, and the compatibility databases that AppCompatFlags\Custom applies
// to each program, a value each, named by the database's file. Listed, never
// switched. Read once the window is drawn, and again on F5; nothing is watched.

#include "framework/UniqueHandle.h"
#include "pages/startup/store/LibraryFiles.h"
#include "pages/startup/store/PlaceKind.h"

namespace {

// A codec is a named text value of Drivers32, its library as stored; an empty
// or blank one, or one of another type, loads nothing.
class CodecKind final : public UnwatchedKind {
public:
    const char* ReadingWork() const override { return "read: codecs"; }

    StartupValueList Read(const StartupSource& source, EntryPlace place) const override
    {
        StartupValueList entries;
        if (place != EntryPlace::Startup)
            return entries;
        for (StartupValue& value : ReadValueList(source.hive, source.keyPath, source.view)) {
            if (entries.size() >= kMostLibraryEntries)
                break;
            if (!value.name.empty() && value.isText && !TrimmedText(value.command).empty())
                entries.push_back(std::move(value));
        }
        return entries;
    }

    EntryAddress Address(const StartupSource& source, EntryPlace place, const std::wstring&) const override
    {
        return KeyAddress(source, place);
    }

    std::wstring DetailsCommand(const std::wstring&, const std::wstring&, const std::wstring& command) const override
    {
        return LibraryFile(command);
    }
};

// The database a shimmed program's value names: "{guid}.sdb", whose path the
// installed database of that guid gives (InstalledSDB\{guid}, in either view:
// a guid is one database), or else the custom databases' folder of AppPatch.
std::wstring DatabaseFile(const std::wstring& database)
{
    std::wstring guid = database;
    if (guid.size() > 4 && SameValueName(guid.substr(guid.size() - 4), L".sdb"))
        guid.resize(guid.size() - 4);
    if (guid.find(L'\\') == std::wstring::npos && !guid.empty()) {
        const std::wstring path = std::wstring(kInstalledShimDatabasesKeyPath) + L"\\" + guid;
        for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
            fw::UniqueRegKey key;
            if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, key.Put()) != ERROR_SUCCESS)
                continue;
            if (const std::optional<std::wstring> file = LibraryText(key.Get(), L"DatabasePath"))
                return LibraryFile(*file);
        }
    }
    return LibraryFile(database, L"%SystemRoot%\\AppPatch\\Custom");
}

// Each value of each program's key under Custom: Program is the program, the
// Execution Path the value's name (the database), found again as
// "<program>\<value name>". The unnamed value names no database.
class ShimProgramKind final : public UnwatchedKind {
public:
    const char* ReadingWork() const override { return "read: shimmed programs"; }

    StartupValueList Read(const StartupSource& source, EntryPlace place) const override
    {
        StartupValueList entries;
        fw::UniqueRegKey key;
        if (!OpenStartupKey(source, place, key))
            return entries;
        for (const std::wstring& program : SubkeyNames(key.Get())) {
            fw::UniqueRegKey programKey;
            if (::RegOpenKeyExW(key.Get(), program.c_str(), 0, KEY_READ | source.view, programKey.Put())
                != ERROR_SUCCESS)
                continue;
            for (const StartupValue& value : ReadKeyValues(programKey.Get())) {
                if (entries.size() >= kMostLibraryEntries)
                    return entries;
                if (value.name.empty())
                    continue;
                StartupValue entry(program, value.name);
                entry.id = program + L"\\" + EntryId(value);
                entry.fixed = value.fixed;
                entries.push_back(std::move(entry));
            }
        }
        return entries;
    }

    // The program's key.
    EntryAddress Address(const StartupSource& source, EntryPlace place, const std::wstring& id) const override
    {
        EntryAddress address = KeyAddress(source, place);
        address.keyPath += L"\\" + id.substr(0, id.find(L'\\'));
        return address;
    }

    std::wstring DetailsCommand(const std::wstring&, const std::wstring&, const std::wstring& command) const override
    {
        return DatabaseFile(command);
    }
};

} // namespace

const PlaceKind& CodecPlaces()
{
    static const CodecKind kind;
    return kind;
}

const PlaceKind& ShimProgramPlaces()
{
    static const ShimProgramKind kind;
    return kind;
}
