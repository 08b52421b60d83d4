// The values of a Run key: what Windows runs at every log-on. Switched off by
// moving them to Quorvane's disabled key of the same hive and view, with
// Windows' own switch where it has one.

#include "pages/startup/store/MoveSteps.h"
#include "pages/startup/store/PlaceKind.h"
#include "pages/startup/store/RegistryValueText.h"

namespace {

// Moves `name` between the Run key and the disabled key of the source's hive
// and view, exactly as it stands, with Windows' own switch.
MoveResult MoveRegistryEntry(const StartupSource& source, bool on, const std::wstring& name)
{
    WindowsSwitch windows(ActiveCalls(), source, name);
    return MoveRegistryValue(source, on, {source.keyPath, name, name}, windows);
}

// An entry that stays in the Run key and that only Windows' own settings
// switched off: switching it on is writing that switch.
MoveResult EnableForWindows(const StartupSource& source, const std::wstring& name)
{
    StartupCalls& calls = ActiveCalls();
    fw::UniqueRegKey runKey;
    const LONG opened = calls.OpenKey(source.hive, source.keyPath, source.view, runKey.Put());
    if (opened != ERROR_SUCCESS)
        return Refused(opened == ERROR_FILE_NOT_FOUND ? MoveOutcome::Gone : MoveOutcome::Failed);
    RawValue value;
    const Lookup found = ReadRawValue(calls, runKey.Get(), name, value);
    if (found != Lookup::Found)
        return Refused(found == Lookup::Missing ? MoveOutcome::Gone : MoveOutcome::Failed);
    WindowsSwitch windows(calls, source, name);
    if (!windows.Read() || !windows.Enable())
        return Refused(MoveOutcome::Failed);
    return Moved(ValueText(value), EntryPlace::Startup);
}

class RunKind final : public KeyPlaceKind {
public:
    const char* ReadingWork() const override { return "read: Run keys"; }

    bool Switchable() const override { return true; }

    StartupValueList Read(const StartupSource& source, EntryPlace place) const override
    {
        const wchar_t* path = place == EntryPlace::Startup ? source.keyPath : source.disabledKeyPath;
        return path ? ReadValueList(source.hive, path, source.view) : StartupValueList{};
    }

    MoveResult Switch(const StartupSource& source, EntryPlace from, const std::wstring& name, bool on) const override
    {
        if (from == EntryPlace::Startup && on)
            return EnableForWindows(source, name);
        return MoveRegistryEntry(source, on, name);
    }
};

} // namespace

const PlaceKind& RunPlaces()
{
    static const RunKind kind;
    return kind;
}
