// Active Setup: each installed component whose StubPath Windows runs once for
// every user at log-on, named by its key. Listed, never switched.

#include "framework/UniqueHandle.h"
#include "pages/startup/store/PlaceKind.h"

namespace {

StartupValueList ReadComponents(const StartupSource& source)
{
    StartupValueList entries;
    fw::UniqueRegKey key;
    if (::RegOpenKeyExW(source.hive, source.keyPath, 0, KEY_READ | source.view, key.Put()) != ERROR_SUCCESS)
        return entries;
    for (const std::wstring& component : SubkeyNames(key.Get())) {
        fw::UniqueRegKey componentKey;
        if (::RegOpenKeyExW(key.Get(), component.c_str(), 0, KEY_READ | source.view, componentKey.Put())
            != ERROR_SUCCESS)
            continue;
        std::optional<std::wstring> stub = ReadValueText(componentKey.Get(), L"StubPath");
        if (stub && !stub->empty())
            entries.push_back({component, std::move(*stub), true});
    }
    return entries;
}

class ActiveSetupKind final : public KeyPlaceKind {
public:
    const char* ReadingWork() const override { return "read: Active Setup components"; }

    StartupValueList Read(const StartupSource& source, EntryPlace place) const override
    {
        return place == EntryPlace::Startup ? ReadComponents(source) : StartupValueList{};
    }

    void Watch(const StartupSource& source, WatchList& list) const override
    {
        list.Key(source.hive, source.keyPath, source.view, true);
    }

    // A component is its key.
    EntryAddress Address(const StartupSource& source, EntryPlace place, const std::wstring& name) const override
    {
        EntryAddress address = KeyAddress(source, place);
        address.keyPath += L"\\" + name;
        return address;
    }
};

} // namespace

const PlaceKind& ActiveSetupPlaces()
{
    static const ActiveSetupKind kind;
    return kind;
}
