// The scripts that Group Policy runs at log-on (the user's) or at start-up
// (the machine's): <n>\<m> subkeys of the source's key, each with a Script
// and its Parameters. Listed, never switched: the policy writes them anew.

#include "framework/UniqueHandle.h"
#include "pages/startup/store/PlaceKind.h"

namespace {

// The text of the value `name` of an open key; empty when there is none.
std::wstring NamedText(HKEY key, const wchar_t* name)
{
    return ReadValueText(key, name).value_or(std::wstring());
}

// One entry a script, named by its subkeys and its file ("0\1\logon.cmd"),
// the script quoted where it holds a space and followed by its parameters.
StartupValueList ReadScripts(const StartupSource& source)
{
    StartupValueList entries;
    fw::UniqueRegKey key;
    if (::RegOpenKeyExW(source.hive, source.keyPath, 0, KEY_READ | source.view, key.Put()) != ERROR_SUCCESS)
        return entries;
    for (const std::wstring& policy : SubkeyNames(key.Get())) {
        fw::UniqueRegKey policyKey;
        if (::RegOpenKeyExW(key.Get(), policy.c_str(), 0, KEY_READ | source.view, policyKey.Put()) != ERROR_SUCCESS)
            continue;
        for (const std::wstring& number : SubkeyNames(policyKey.Get())) {
            fw::UniqueRegKey scriptKey;
            if (::RegOpenKeyExW(policyKey.Get(), number.c_str(), 0, KEY_READ | source.view, scriptKey.Put())
                != ERROR_SUCCESS)
                continue;
            const std::wstring script = NamedText(scriptKey.Get(), L"Script");
            if (script.empty())
                continue;
            const std::wstring command = CommandLine(script, NamedText(scriptKey.Get(), L"Parameters"));
            const std::wstring file = script.substr(script.find_last_of(L"\\/") + 1);
            entries.push_back({policy + L"\\" + number + L"\\" + file, command, true});
        }
    }
    return entries;
}

class ScriptKind final : public KeyPlaceKind {
public:
    const char* ReadingWork() const override { return "read: Group Policy scripts"; }

    StartupValueList Read(const StartupSource& source, EntryPlace place) const override
    {
        return place == EntryPlace::Startup ? ReadScripts(source) : StartupValueList{};
    }

    void Watch(const StartupSource& source, WatchList& list) const override
    {
        list.Key(source.hive, source.keyPath, source.view, true);
    }

    // A script is its <n>\<m> key.
    EntryAddress Address(const StartupSource& source, EntryPlace place, const std::wstring& name) const override
    {
        EntryAddress address = KeyAddress(source, place);
        const std::size_t file = name.rfind(L'\\');
        if (file != std::wstring::npos)
            address.keyPath += L"\\" + name.substr(0, file);
        return address;
    }
};

} // namespace

const PlaceKind& ScriptPlaces()
{
    static const ScriptKind kind;
    return kind;
}
