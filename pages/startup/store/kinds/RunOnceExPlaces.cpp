// The numbered sections of a RunOnceEx key, and their Depend subkeys: what
// Windows runs once at the next log-on, in order. Listed, never switched.

#include "framework/UniqueHandle.h"
#include "pages/startup/store/PlaceKind.h"


namespace {

// Each named value of every section and of its Depend subkey, named by its
// path below the source's key. A section's unnamed value is its title, no entry.
StartupValueList ReadSections(const StartupSource& source)
{
    StartupValueList entries;
    fw::UniqueRegKey key;
    if (::RegOpenKeyExW(source.hive, source.keyPath, 0, KEY_READ | source.view, key.Put()) != ERROR_SUCCESS)
        return entries;
    for (const std::wstring& section : SubkeyNames(key.Get())) {
        for (const std::wstring& path : {section, section + L"\\Depend"}) {
            fw::UniqueRegKey sectionKey;
            if (::RegOpenKeyExW(key.Get(), path.c_str(), 0, KEY_READ | source.view, sectionKey.Put()) != ERROR_SUCCESS)
                continue;
            for (StartupValue& value : ReadKeyValues(sectionKey.Get())) {
                if (value.name.empty())
                    continue;
                value.name = path + L"\\" + value.name;
                if (!value.id.empty())
                    value.id = path + L"\\" + value.id;
                entries.push_back(std::move(value));
            }
        }
    }
    return entries;
}

class RunOnceExKind final : public KeyPlaceKind {
public:
    const char* ReadingWork() const override { return "read: Run-Once Ex sections"; }

    StartupValueList Read(const StartupSource& source, EntryPlace place) const override
    {
        return place == EntryPlace::Startup ? ReadSections(source) : StartupValueList{};
    }

    void Watch(const StartupSource& source, WatchList& list) const override
    {
        list.Key(source.hive, source.keyPath, source.view, true);
    }

    // An entry is a value of its section's key ("0001\Depend\name").
    EntryAddress Address(const StartupSource& source, EntryPlace place, const std::wstring& name) const override
    {
        EntryAddress address = KeyAddress(source, place);
        const std::size_t section = name.rfind(L'\\');
        if (section != std::wstring::npos)
            address.keyPath += L"\\" + name.substr(0, section);
        return address;
    }
};

} // namespace

const PlaceKind& RunOnceExPlaces()
{
    static const RunOnceExKind kind;
    return kind;
}
