// Places whose entries are subkeys named by a class, the key's default value
// a name for it: the credential providers that LogonUI loads, and the
// browser helper objects that the browser loads. Listed, never switched.

#include "framework/UniqueHandle.h"
#include "pages/startup/store/ClassLibrary.h"
#include "pages/startup/store/PlaceKind.h"

namespace {

class ClassKeyKind final : public SubkeyPlaceKind {
public:
    // `machineClasses`: the program that loads them runs before the user logs
    // on, or as the system, and sees only the machine's classes.
    explicit ClassKeyKind(bool machineClasses) : m_scope(machineClasses ? ClassScope::MachineOnly : ClassScope::UserAndMachine) {}

    const char* ReadingWork() const override { return "read: classes named by their keys"; }

    // A subkey that is no class names nothing; a class without a library is
    // still listed (its Execution Path empty), as the place names it.
    StartupValueList Read(const StartupSource& source, EntryPlace place) const override
    {
        StartupValueList entries;
        fw::UniqueRegKey key;
        if (!OpenStartupKey(source, place, key))
            return entries;
        for (const std::wstring& clsid : FirstSubkeyNames(key.Get())) {
            if (!IsClassId(clsid))
                continue;
            fw::UniqueRegKey entryKey;
            std::wstring shown;
            if (::RegOpenKeyExW(key.Get(), clsid.c_str(), 0, KEY_QUERY_VALUE | source.view, entryKey.Put())
                == ERROR_SUCCESS)
                shown = ReadTextValue(entryKey.Get(), nullptr).value_or(std::wstring());
            entries.push_back(ClassEntry(shown, clsid, clsid, LookUpClassFor(source, clsid, m_scope)));
        }
        return entries;
    }

    std::wstring DetailsCommand(const std::wstring&, const std::wstring&, const std::wstring& command) const override
    {
        return ServerDetailsCommand(command);
    }

private:
    ClassScope m_scope;
};

} // namespace

const PlaceKind& ClassKeyPlaces(bool machineClasses)
{
    static const ClassKeyKind machine(true);
    static const ClassKeyKind user(false);
    return machineClasses ? machine : user;
}
