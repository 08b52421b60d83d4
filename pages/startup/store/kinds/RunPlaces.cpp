// The values of a Run key: what Windows runs at every log-on. Switched off by
// moving them to Quorvane's disabled key of the same hive and view, with
// Windows' own switch where it has one.

#include "pages/startup/store/MoveSteps.h"
#include "pages/startup/store/PlaceKind.h"
#include "pages/startup/store/RegistryValueText.h"

namespace {

// Moves `name` between the place Windows reads and the disabled key of the
// source's hive and view, exactly as it stands. Every step that can fail
// comes before the source value is deleted, and a failed deletion takes back
// the copy and Windows' switch, so the entry is never lost and never left in
// both keys.
MoveResult MoveRegistryEntry(const StartupSource& source, bool on, const std::wstring& name)
{
    StartupCalls& calls = ActiveCalls();
    fw::UniqueRegKey disabledKey;
    if (calls.CreateKey(source.hive, source.disabledKeyPath, source.view, disabledKey.Put()) != ERROR_SUCCESS)
        return Refused(MoveOutcome::Failed);
    // A Run key that is gone holds no entry to switch off.
    fw::UniqueRegKey runKey;
    const LONG opened = calls.OpenKey(source.hive, source.keyPath, source.view, runKey.Put());
    const bool runKeyGone = opened == ERROR_FILE_NOT_FOUND;
    if (opened != ERROR_SUCCESS && !(on && runKeyGone))
        return Refused(runKeyGone ? MoveOutcome::Gone : MoveOutcome::Failed);
    const HKEY from = on ? disabledKey.Get() : runKey.Get();
    const EntryPlace target = on ? EntryPlace::Startup : EntryPlace::Parked;

    RawValue moving;
    const Lookup found = ReadRawValue(calls, from, name, moving);
    if (found != Lookup::Found)
        return Refused(found == Lookup::Missing ? MoveOutcome::Gone : MoveOutcome::Failed);
    // Only command lines are moved; anything else stays where it is.
    if (!IsTextValueType(moving.type))
        return Refused(MoveOutcome::Failed);
    // Windows or a clean-up removed the Run key (a policy's, the install
    // mode's) while the entry was switched off: it is made again where it
    // was, in the source's hive and view, so the same rights apply.
    if (runKeyGone && calls.CreateKey(source.hive, source.keyPath, source.view, runKey.Put()) != ERROR_SUCCESS)
        return Refused(MoveOutcome::Failed);
    const HKEY to = on ? runKey.Get() : disabledKey.Get();

    WindowsSwitch windows(calls, source, name);
    if (on && !windows.Read())
        return Refused(MoveOutcome::Failed);
    RawValue standing;
    const Lookup taken = ReadRawValue(calls, to, name, standing);
    if (taken == Lookup::Failed)
        return Refused(MoveOutcome::Failed);
    if (taken == Lookup::Found && !(standing == moving))
        return SwitchOffInPlace(windows, on, ValueText(moving));
    // The same entry standing at the target already is not written again.
    const bool copied = taken == Lookup::Missing;
    if (copied && !WriteRawValue(calls, to, name, moving))
        return Refused(MoveOutcome::Failed);
    if (windows.Enable() && calls.DeleteValue(from, name.c_str()) == ERROR_SUCCESS)
        return Moved(ValueText(moving), target);

    windows.Restore();
    if (copied)
        calls.DeleteValue(to, name.c_str());
    return Refused(MoveOutcome::Failed);
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
