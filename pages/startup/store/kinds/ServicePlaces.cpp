// Services that start with Windows: every Win32 service (own process or
// shared host; not drivers) that the Service Control Manager lists and whose
// start type is automatic, delayed or not. Switched off by setting it to
// start on demand, so that what needs it can still start it; its exact start
// type and delayed flag are kept first, a value per service, so switching it
// on gives back exactly what was there, also after the program was ended.

#include "framework/RegistryText.h"
#include "framework/SystemFolder.h"
#include "framework/UniqueHandle.h"
#include "pages/startup/details/ProgramResolver.h"
#include "pages/startup/store/MoveSteps.h"
#include "pages/startup/store/PlaceKind.h"
#include "pages/startup/store/ServiceListing.h"

#include <winsvc.h>

#include <cstring>
#include <optional>
#include <set>

namespace {

// The kept value: the start type, and in this bit whether it started delayed.
constexpr DWORD kDelayedBit = 0x10000;

StartupValueList ReadAutomatic()
{
    return ReadServices(SERVICE_WIN32, nullptr, [](DWORD start) { return start == SERVICE_AUTO_START; });
}

// The services switched off here: a kept value, and a start type that is
// not automatic (one that is again was switched on by someone else).
StartupValueList ReadSwitchedOff(const StartupSource& source)
{
    std::set<std::wstring> kept;
    for (const StartupValue& value : ReadValueList(source.hive, source.disabledKeyPath, source.view))
        kept.insert(value.name);
    if (kept.empty())
        return {};
    return ReadServices(SERVICE_WIN32, &kept, [](DWORD start) { return start != SERVICE_AUTO_START; });
}

// The kept start of a service: nothing where none is kept, Failed where it
// cannot be read.
Lookup ReadKept(StartupCalls& calls, HKEY key, const std::wstring& name, DWORD& kept)
{
    RawValue value;
    const Lookup found = ReadRawValue(calls, key, name, value);
    if (found != Lookup::Found)
        return found;
    if (value.type != REG_DWORD || value.bytes.size() != sizeof(kept))
        return Lookup::Failed;
    std::memcpy(&kept, value.bytes.data(), sizeof(kept));
    return Lookup::Found;
}

// Whether the image path starts Windows' own service host, the system
// folder's svchost.exe, which runs the DLLs of the services it hosts. The type
// of the service (own or shared process) does not matter: the host runs the
// DLL in either.
bool RunByWindowsHost(const std::wstring& imagePath)
{
    const std::wstring folder = fw::SystemFolderPath();
    if (folder.empty())
        return false;
    const std::wstring host = folder + L"\\svchost.exe";
    const std::wstring program = ResolveProgramFile(imagePath);
    return ::CompareStringOrdinal(program.c_str(), static_cast<int>(program.size()), host.c_str(),
                                  static_cast<int>(host.size()), TRUE)
           == CSTR_EQUAL;
}

// The ServiceDll of the key at `path` below the machine's hive, of any length
// (REG_EXPAND_SZ expanded): Missing where the key or the value is not there,
// Failed where it is no text or cannot be read.
Lookup ReadServiceDll(const std::wstring& path, std::wstring& dll)
{
    const LONG status = fw::ReadRegistryText(HKEY_LOCAL_MACHINE, path.c_str(), L"ServiceDll", dll);
    return status == ERROR_SUCCESS ? Lookup::Found : status == ERROR_FILE_NOT_FOUND ? Lookup::Missing : Lookup::Failed;
}

class ServiceKind final : public PlaceKind {
public:
    const char* ReadingWork() const override { return "read: services"; }
    bool Switchable() const override { return true; }
    bool ReadInBackground() const override { return true; }

    StartupValueList Read(const StartupSource& source, EntryPlace place) const override
    {
        return place == EntryPlace::Startup ? ReadAutomatic() : ReadSwitchedOff(source);
    }

    // Off: the start type is kept, then set to start on demand; on: the start
    // type and delayed flag kept are set back, then the kept value goes. A
    // step that fails undoes the ones before it; whenever the program ends,
    // a service not automatic has its kept value, and is listed.
    MoveResult Switch(const StartupSource& source, EntryPlace from, const std::wstring& name, bool on) const override
    {
        if (!ServiceVisible(name))
            return Refused(MoveOutcome::Gone);
        StartupCalls& calls = ActiveCalls();
        SC_HANDLE opened = nullptr;
        const LONG status = calls.OpenService(name.c_str(), &opened);
        const fw::UniqueServiceHandle service(opened);
        if (status != ERROR_SUCCESS)
            return Refused(status == ERROR_SERVICE_DOES_NOT_EXIST ? MoveOutcome::Gone : MoveOutcome::Failed);
        const std::optional<ServiceConfig> config = ReadServiceConfig(service.Get(), SERVICE_WIN32, true);
        if (!config || (from == EntryPlace::Startup) != (config->startType == SERVICE_AUTO_START))
            return Refused(MoveOutcome::Gone);
        fw::UniqueRegKey kept;
        if (calls.CreateKey(source.hive, source.disabledKeyPath, source.view, kept.Put()) != ERROR_SUCCESS)
            return Refused(MoveOutcome::Failed);

        if (!on) {
            const DWORD value = config->startType | (config->delayed ? kDelayedBit : 0);
            if (calls.SetValue(kept.Get(), name.c_str(), REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                               sizeof(value))
                != ERROR_SUCCESS)
                return Refused(MoveOutcome::Failed);
            if (calls.ChangeServiceStart(service.Get(), SERVICE_DEMAND_START, false) != ERROR_SUCCESS) {
                calls.DeleteValue(kept.Get(), name.c_str());
                return Refused(MoveOutcome::Failed);
            }
            return Moved(config->imagePath, EntryPlace::Parked);
        }

        DWORD value = 0;
        const Lookup found = ReadKept(calls, kept.Get(), name, value);
        if (found != Lookup::Found)
            return Refused(found == Lookup::Missing ? MoveOutcome::Gone : MoveOutcome::Failed);
        // Only what switching off keeps is set back: a kept value that says
        // anything but automatic was written by something else.
        if ((value & ~kDelayedBit) != SERVICE_AUTO_START)
            return Refused(MoveOutcome::Failed);
        if (calls.ChangeServiceStart(service.Get(), SERVICE_AUTO_START, (value & kDelayedBit) != 0)
            != ERROR_SUCCESS) {
            calls.ChangeServiceStart(service.Get(), config->startType, false);
            return Refused(MoveOutcome::Failed);
        }
        // The kept value goes last: where it stays, the service is automatic
        // again and listed as such, and the stale value is overwritten by the
        // next switch off.
        calls.DeleteValue(kept.Get(), name.c_str());
        return Moved(config->imagePath, EntryPlace::Startup);
    }

    // Services created and deleted (subkeys of the services' key), and the
    // kept start types. A start type changed by another program shows on F5.
    void Watch(const StartupSource& source, WatchList& list) const override
    {
        list.Key(source.hive, source.keyPath, source.view);
        list.Key(source.hive, source.disabledKeyPath, source.view);
    }

    EntryAddress Address(const StartupSource& source, EntryPlace place, const std::wstring& name) const override
    {
        EntryAddress address;
        address.hive = source.hive;
        address.view = source.view;
        address.keyPath = place == EntryPlace::Startup ? std::wstring(source.keyPath) + L"\\" + name
                                                       : std::wstring(source.disabledKeyPath);
        return address;
    }

    // A service that Windows' own host (svchost.exe) runs is the DLL it names
    // in ServiceDll: the host is Windows' own and runs nothing of itself. Any
    // other service is its image, whatever ServiceDll it names. A host's
    // service whose DLL cannot be read, or that names none, has no program
    // file known (an empty command): it is never shown as the host.
    std::wstring DetailsCommand(const std::wstring& id, const std::wstring&, const std::wstring& command) const override
    {
        if (!RunByWindowsHost(command))
            return command;
        const std::wstring key = std::wstring(kServicesKeyPath) + L"\\" + id;
        for (const std::wstring& path : {key + L"\\Parameters", key}) {
            std::wstring dll;
            const Lookup found = ReadServiceDll(path, dll);
            if (found == Lookup::Found)
                return dll.empty() ? std::wstring() : L"\"" + dll + L"\"";
            if (found == Lookup::Failed)
                return {};
        }
        return {};
    }
};

} // namespace

const PlaceKind& ServicePlaces()
{
    static const ServiceKind kind;
    return kind;
}
