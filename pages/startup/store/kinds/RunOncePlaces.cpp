// The values of a RunOnce key: what Windows runs at the next log-on and then
// deletes itself. Listed, never switched.

#include "pages/startup/store/PlaceKind.h"

namespace {

class RunOnceKind final : public KeyPlaceKind {
public:
    const char* ReadingWork() const override { return "read: Run-Once keys"; }

    StartupValueList Read(const StartupSource& source, EntryPlace place) const override
    {
        return place == EntryPlace::Startup ? ReadValueList(source.hive, source.keyPath, source.view)
                                            : StartupValueList{};
    }
};

} // namespace

const PlaceKind& RunOncePlaces()
{
    static const RunOnceKind kind;
    return kind;
}
