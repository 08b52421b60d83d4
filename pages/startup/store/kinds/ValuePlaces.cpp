// One value that Windows runs at log-on or at boot (Winlogon's Userinit and
// Shell, BootExecute, ...): listed where it differs from Windows' own
// default, never switched, since switching it off can leave Windows unable
// to log on.

#include "pages/startup/store/PlaceKind.h"

namespace {

class ValueKind final : public KeyPlaceKind {
public:
    StartupValueList Read(const StartupSource& source, EntryPlace place) const override
    {
        if (place != EntryPlace::Startup)
            return {};
        for (StartupValue& value : ReadValueList(source.hive, source.keyPath, source.view)) {
            if (SameValueName(value.name, source.valueName))
                return IsWindowsDefault(source, value.command) ? StartupValueList{}
                                                               : StartupValueList{std::move(value)};
        }
        return {};
    }
};

} // namespace

const PlaceKind& ValuePlaces()
{
    static const ValueKind kind;
    return kind;
}
