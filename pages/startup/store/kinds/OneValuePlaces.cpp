// Single values that start a program or load a library outside the log-on:
// the command processor's AutoRun (the user's, and the machine's in each
// view), the user's screen saver where one is active, and the library Office
// loads as it starts (the unnamed value of its key). Switched off by moving
// the value into Quorvane's disabled key of the same hive and view, under
// the same name.

#include "framework/UniqueHandle.h"
#include "pages/startup/store/MoveSteps.h"
#include "pages/startup/store/SwitchedValues.h"

namespace {

// Windows runs the screen saver only while ScreenSaveActive, in the same key,
// is a number other than 0.
bool ScreenSaverActive(HKEY key)
{
    const std::optional<std::wstring> active = ReadCommandText(key, L"ScreenSaveActive");
    return active && TextNumber(*active, false) != 0;
}

// The entry as the list names it: the value's name, or for the unnamed value
// its key's.
std::wstring EntryName(const StartupSource& source)
{
    if (*source.valueName)
        return source.valueName;
    const std::wstring path = source.keyPath;
    return path.substr(path.rfind(L'\\') + 1);
}

class OneValueKind final : public UnwatchedKind {
public:
    // `screenSaver`: listed while the screen saver is active; `library`: the
    // value names a library.
    OneValueKind(const char* work, bool screenSaver, bool library)
        : m_work(work), m_screenSaver(screenSaver), m_library(library)
    {
    }

    const char* ReadingWork() const override { return m_work; }
    bool Switchable() const override { return true; }

    StartupValueList Read(const StartupSource& source, EntryPlace place) const override
    {
        const wchar_t* path = place == EntryPlace::Startup ? source.keyPath : source.disabledKeyPath;
        fw::UniqueRegKey key;
        if (::RegOpenKeyExW(source.hive, path, 0, KEY_READ | source.view, key.Put()) != ERROR_SUCCESS)
            return {};
        if (m_screenSaver && place == EntryPlace::Startup && !ScreenSaverActive(key.Get()))
            return {};
        std::optional<std::wstring> command = ReadCommandText(key.Get(), source.valueName);
        if (!command)
            return {};
        return {{EntryName(source), std::move(*command)}};
    }

    MoveResult Switch(const StartupSource& source, EntryPlace, const std::wstring& name, bool on) const override
    {
        if (!SameValueName(name, EntryName(source)))
            return Refused(MoveOutcome::Gone);
        return MoveValue(source, on, source.keyPath, source.valueName, source.valueName);
    }

    EntryAddress Address(const StartupSource& source, EntryPlace place, const std::wstring&) const override
    {
        return KeyAddress(source, place);
    }

    std::wstring DetailsCommand(const std::wstring& id, const std::wstring& name,
                                const std::wstring& command) const override
    {
        return m_library ? LibraryFile(command) : PlaceKind::DetailsCommand(id, name, command);
    }

private:
    const char* m_work;
    bool m_screenSaver;
    bool m_library;
};

} // namespace

const PlaceKind& AutoRunPlaces()
{
    static const OneValueKind kind("read: command processor (AutoRun)", false, false);
    return kind;
}

const PlaceKind& ScreenSaverPlaces()
{
    static const OneValueKind kind("read: screen saver", true, false);
    return kind;
}

const PlaceKind& OfficeTestPlaces()
{
    static const OneValueKind kind("read: Office test library", false, true);
    return kind;
}
