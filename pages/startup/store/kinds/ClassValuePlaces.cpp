// Places whose entries are values that name a class: by their data
// (ShellServiceObjectDelayLoad: a name for the class), or by their name, the
// data a name for it (SharedTaskScheduler, ShellExecuteHooks). Explorer and
// the shell load each class's library. Listed, never switched.

#include "pages/startup/store/ClassLibrary.h"
#include "pages/startup/store/PlaceKind.h"

namespace {

class ClassValueKind final : public KeyPlaceKind {
public:
    explicit ClassValueKind(bool classInName) : m_classInName(classInName) {}

    const char* ReadingWork() const override { return "read: classes named by values"; }
    bool ReadInBackground() const override { return true; }

    // A value that names no class, by a text of that form in its place, is
    // no entry; an unnamed value is none either. A class without a library
    // is still listed, its Execution Path empty.
    StartupValueList Read(const StartupSource& source, EntryPlace place) const override
    {
        StartupValueList entries;
        if (place != EntryPlace::Startup)
            return entries;
        StartupValueList values = ReadValueList(source.hive, source.keyPath, source.view);
        if (values.size() > kMaxClassEntries)
            values.resize(kMaxClassEntries);
        for (const StartupValue& value : values) {
            if (value.name.empty())
                continue;
            if (m_classInName) {
                if (!value.id.empty() || !IsClassId(value.name))
                    continue;
                const std::wstring shown = value.isText ? value.command : std::wstring();
                entries.push_back(ClassEntry(shown, value.name, value.name, LookUpClassFor(source, value.name)));
            } else {
                if (!value.isText || !IsClassId(value.command))
                    continue;
                StartupValue entry = ClassEntry(value.name, EntryId(value), value.command,
                                                LookUpClassFor(source, value.command));
                entry.fixed = value.fixed;
                entries.push_back(std::move(entry));
            }
        }
        return entries;
    }

    void Watch(const StartupSource&, WatchList&) const override {}

    std::wstring DetailsCommand(const std::wstring&, const std::wstring&, const std::wstring& command) const override
    {
        return ServerDetailsCommand(command);
    }

private:
    bool m_classInName;
};

} // namespace

const PlaceKind& ClassValuePlaces(bool classInName)
{
    static const ClassValueKind byName(true);
    static const ClassValueKind byData(false);
    return classInName ? byName : byData;
}
