// One value that Windows runs at log-on or at boot (Winlogon's Userinit and
// Shell, BootExecute, ...): listed where it differs from Windows' own
// default, never switched, since switching it off can leave Windows unable
// to log on.

#include "framework/UniqueHandle.h"
#include "pages/startup/store/PlaceKind.h"

namespace {

class ValueKind final : public KeyPlaceKind {
public:
    const char* ReadingWork() const override { return "read: log-on and boot values"; }

    StartupValueList Read(const StartupSource& source, EntryPlace place) const override
    {
        // The one value is asked for: its key may hold many (Winlogon does).
        // It is named as Windows names it; the registry ignores case.
        fw::UniqueRegKey key;
        if (!OpenStartupKey(source, place, key))
            return {};
        std::optional<std::wstring> text = ReadValueText(key.Get(), source.valueName);
        if (!text || IsWindowsDefault(source, *text))
            return {};
        return {{source.valueName, std::move(*text), true}};
    }
};

} // namespace

const PlaceKind& ValuePlaces()
{
    static const ValueKind kind;
    return kind;
}
