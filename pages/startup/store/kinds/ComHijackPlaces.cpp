// The user's classes that shadow the machine's: a class the user registered
// (a server of its own, or TreatAs) under the same CLSID as a class the
// machine registers, so that COM loads the user's in every program the user
// runs. Only the user's classes are enumerated, a bounded number; the
// machine's are looked up by name. Listed, never switched.

#include "framework/UniqueHandle.h"
#include "pages/startup/store/ClassLibrary.h"
#include "pages/startup/store/PlaceKind.h"

namespace {

bool HasSubkey(HKEY key, const wchar_t* name, REGSAM view)
{
    fw::UniqueRegKey sub;
    return ::RegOpenKeyExW(key, name, 0, KEY_QUERY_VALUE | view, sub.Put()) == ERROR_SUCCESS;
}

// What the class starts: its library, or else its local server's command.
std::wstring Server(const ClassRegistration& registration)
{
    return registration.library.empty() ? registration.localServer : registration.library;
}

std::wstring DefaultText(HKEY key, const wchar_t* name, REGSAM view)
{
    fw::UniqueRegKey sub;
    if (::RegOpenKeyExW(key, name, 0, KEY_QUERY_VALUE | view, sub.Put()) != ERROR_SUCCESS)
        return {};
    return ReadTextValue(sub.Get(), nullptr).value_or(std::wstring());
}

// What the user's own registration starts: the class its TreatAs names (as
// COM follows it), else its library, else its local server.
std::wstring UserServer(HKEY userClass, const std::wstring& clsid, REGSAM view)
{
    if (IsClassId(DefaultText(userClass, L"TreatAs", view)))
        return Server(LookUpClass(clsid, view));
    if (HasSubkey(userClass, L"InprocServer32", view))
        return DefaultText(userClass, L"InprocServer32", view);
    return DefaultText(userClass, L"LocalServer32", view);
}

class ComHijackKind final : public UnwatchedKind {
public:
    const char* ReadingWork() const override { return "read: the user's classes"; }

    // A row for each: "{clsid} <name>" and what the machine's class starts,
    // the Execution Path what the user's starts (empty where its TreatAs or
    // server names nothing).
    StartupValueList Read(const StartupSource& source, EntryPlace place) const override
    {
        StartupValueList entries;
        fw::UniqueRegKey userClasses;
        fw::UniqueRegKey machineClasses;
        if (place != EntryPlace::Startup
            || ::RegOpenKeyExW(HKEY_CURRENT_USER, source.keyPath, 0, KEY_READ | source.view, userClasses.Put())
                   != ERROR_SUCCESS
            || ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, source.keyPath, 0, KEY_READ | source.view, machineClasses.Put())
                   != ERROR_SUCCESS)
            return entries;
        for (const std::wstring& clsid : FirstSubkeyNames(userClasses.Get(), kMaxUserClasses)) {
            if (!IsClassId(clsid) || !HasSubkey(machineClasses.Get(), clsid.c_str(), source.view))
                continue;
            fw::UniqueRegKey userClass;
            if (::RegOpenKeyExW(userClasses.Get(), clsid.c_str(), 0, KEY_READ | source.view, userClass.Put())
                    != ERROR_SUCCESS
                || !(HasSubkey(userClass.Get(), L"InprocServer32", source.view)
                     || HasSubkey(userClass.Get(), L"LocalServer32", source.view)
                     || HasSubkey(userClass.Get(), L"TreatAs", source.view)))
                continue;
            const ClassRegistration machine = LookUpClass(clsid, source.view, ClassScope::MachineOnly);
            std::wstring shown = clsid;
            if (!machine.name.empty())
                shown += L" " + machine.name;
            const std::wstring shadowed = Server(machine);
            shown += L" (machine: " + (shadowed.empty() ? std::wstring(L"none") : shadowed) + L")";
            StartupValue entry(std::move(shown), UserServer(userClass.Get(), clsid, source.view));
            entry.id = clsid;
            entries.push_back(std::move(entry));
            if (entries.size() == kMaxClassEntries)
                break;
        }
        return entries;
    }

    // The user's class, where Registry Editor shows it: the 32-bit view's
    // classes of the user stand under Wow6432Node.
    EntryAddress Address(const StartupSource& source, EntryPlace, const std::wstring& name) const override
    {
        EntryAddress address;
        address.hive = HKEY_CURRENT_USER;
        std::wstring path = source.keyPath;
        const std::wstring classes = L"Software\\Classes\\";
        if (source.view == KEY_WOW64_32KEY)
            path.insert(classes.size(), L"Wow6432Node\\");
        address.keyPath = path + L"\\" + name;
        return address;
    }

    std::wstring DetailsCommand(const std::wstring&, const std::wstring&, const std::wstring& command) const override
    {
        return ServerDetailsCommand(command);
    }
};

} // namespace

const PlaceKind& ComHijackPlaces()
{
    static const ComHijackKind kind;
    return kind;
}
