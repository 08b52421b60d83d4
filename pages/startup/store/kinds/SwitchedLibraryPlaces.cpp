// Keys whose every value names a library that Windows loads into its own
// programs: AppCertDlls (into every program that starts another) and netsh's
// helpers (each view read by the netsh of its bitness). Switched off by
// moving the value into Quorvane's disabled key of the same hive and view,
// under the same name, as the Run keys' entries are.

#include "pages/startup/store/MoveSteps.h"
#include "pages/startup/store/SwitchedValues.h"

namespace {

class SwitchedLibraryKind final : public UnwatchedKind {
public:
    explicit SwitchedLibraryKind(const char* work) : m_work(work) {}

    const char* ReadingWork() const override { return m_work; }
    bool Switchable() const override { return true; }

    StartupValueList Read(const StartupSource& source, EntryPlace place) const override
    {
        return ReadCommandValues(source.hive, place == EntryPlace::Startup ? source.keyPath : source.disabledKeyPath,
                                 source.view);
    }

    MoveResult Switch(const StartupSource& source, EntryPlace, const std::wstring& name, bool on) const override
    {
        return MoveValue(source, on, source.keyPath, name, name);
    }

    EntryAddress Address(const StartupSource& source, EntryPlace place, const std::wstring&) const override
    {
        return KeyAddress(source, place);
    }

    std::wstring DetailsCommand(const std::wstring&, const std::wstring&, const std::wstring& command) const override
    {
        return LibraryFile(command);
    }

private:
    const char* m_work;
};

} // namespace

const PlaceKind& AppCertPlaces()
{
    static const SwitchedLibraryKind kind("read: AppCert libraries");
    return kind;
}

const PlaceKind& NetshHelperPlaces()
{
    static const SwitchedLibraryKind kind("read: netsh helpers");
    return kind;
}
