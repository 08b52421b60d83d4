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

#include <winsvc.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace {

// The kept value: the start type, and in this bit whether it started delayed.
constexpr DWORD kDelayedBit = 0x10000;

bool (*g_visibleForTesting)(const wchar_t* name) = nullptr;

bool Visible(const std::wstring& name)
{
    return !g_visibleForTesting || g_visibleForTesting(name.c_str());
}

struct ServiceConfig {
    std::wstring displayName;
    std::wstring imagePath;
    DWORD startType = SERVICE_DEMAND_START;
    bool delayed = false;
};

// The service's configuration; nothing for a driver or a service it cannot
// read. Whether it starts delayed is asked only `withDelayed`: a listing needs
// no more than the start type, and every question is a call to another process.
std::optional<ServiceConfig> ReadConfig(SC_HANDLE service, bool withDelayed)
{
    // Asked once with room for what nearly every service has, again with the
    // room it says it needs (up to 64 KiB) where that is more.
    DWORD size = 4096;
    std::unique_ptr<BYTE[]> buffer(new BYTE[size]);
    if (!::QueryServiceConfigW(service, reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.get()), size, &size)) {
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || size > 64 * 1024)
            return std::nullopt;
        buffer.reset(new BYTE[size]);
        if (!::QueryServiceConfigW(service, reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.get()), size, &size))
            return std::nullopt;
    }
    const auto* config = reinterpret_cast<const QUERY_SERVICE_CONFIGW*>(buffer.get());
    if (!(config->dwServiceType & SERVICE_WIN32))
        return std::nullopt;
    ServiceConfig read;
    read.displayName = config->lpDisplayName ? config->lpDisplayName : L"";
    read.imagePath = config->lpBinaryPathName ? config->lpBinaryPathName : L"";
    read.startType = config->dwStartType;
    if (withDelayed && read.startType == SERVICE_AUTO_START) {
        SERVICE_DELAYED_AUTO_START_INFO info{};
        DWORD needed = 0;
        read.delayed = ::QueryServiceConfig2W(service, SERVICE_CONFIG_DELAYED_AUTO_START_INFO,
                                              reinterpret_cast<BYTE*>(&info), sizeof(info), &needed)
                       && info.fDelayedAutostart;
    }
    return read;
}

StartupValue Entry(const std::wstring& name, const ServiceConfig& config)
{
    StartupValue entry(config.displayName.empty() ? name : config.displayName, config.imagePath);
    entry.id = name;
    return entry;
}

// A Win32 service as the Service Control Manager lists it.
struct ListedService {
    std::wstring name;
    std::wstring displayName; // resolved, where the registry may hold an indirect one
};

// Every Win32 service, in one call to the Service Control Manager where the
// buffer has room for a typical machine's: each call is one to another process.
std::vector<ListedService> ListServices(SC_HANDLE manager)
{
    std::vector<ListedService> listed;
    DWORD size = 64 * 1024;
    std::unique_ptr<BYTE[]> buffer(new BYTE[size]);
    DWORD needed = 0;
    DWORD count = 0;
    DWORD resume = 0;
    for (;;) {
        const BOOL done = ::EnumServicesStatusExW(manager, SC_ENUM_PROCESS_INFO, SERVICE_WIN32, SERVICE_STATE_ALL,
                                                  buffer.get(), size, &needed, &count, &resume, nullptr);
        const auto* services = reinterpret_cast<const ENUM_SERVICE_STATUS_PROCESSW*>(buffer.get());
        for (DWORD i = 0; i < count; ++i)
            listed.push_back({services[i].lpServiceName,
                              services[i].lpDisplayName ? services[i].lpDisplayName : L""});
        if (done)
            return listed;
        if (::GetLastError() != ERROR_MORE_DATA || needed == 0) {
            ReportReadingFailed(); // the listing broke off: what it gave is not every service
            return listed;
        }
        if (needed > size) {
            size = needed;
            buffer.reset(new BYTE[size]);
        }
        count = 0;
    }
}

fw::UniqueServiceHandle OpenToRead(SC_HANDLE manager, const std::wstring& name)
{
    return fw::UniqueServiceHandle(::OpenServiceW(manager, name.c_str(), SERVICE_QUERY_CONFIG));
}

// The start type and image path of a service from its key, where the Service
// Control Manager keeps them for itself: read in this process, where asking
// the manager for each service is a call to another one (about 2.6 ms each
// under Wine). Nothing where the key does not say.
std::optional<ServiceConfig> ReadKeptConfig(HKEY services, const std::wstring& name)
{
    fw::UniqueRegKey key;
    if (!services || ::RegOpenKeyExW(services, name.c_str(), 0, KEY_QUERY_VALUE, key.Put()) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD start = 0;
    DWORD size = sizeof(start);
    if (::RegGetValueW(key.Get(), nullptr, L"Start", RRF_RT_REG_DWORD, nullptr, &start, &size) != ERROR_SUCCESS)
        return std::nullopt;
    const std::optional<std::wstring> image = ReadValueText(key.Get(), L"ImagePath");
    if (!image)
        return std::nullopt;
    ServiceConfig config;
    config.startType = start;
    config.imagePath = *image;
    return config;
}

// The Win32 services whose start type `keep` takes, of those named in `only`
// (every one where null): the start type and image path from each service's
// key, else from the manager; the name the manager lists.
template <class Keep>
StartupValueList ReadServices(const std::set<std::wstring>* only, Keep keep)
{
    StartupValueList entries;
    const fw::UniqueServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE));
    if (!manager) {
        ReportReadingFailed(); // no account of the services, not a machine without them
        return entries;
    }
    fw::UniqueRegKey services;
    ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kServicesKeyPath, 0, KEY_READ, services.Put());
    for (const ListedService& listed : ListServices(manager.Get())) {
        if (!Visible(listed.name) || (only && only->count(listed.name) == 0))
            continue;
        std::optional<ServiceConfig> config = ReadKeptConfig(services.Get(), listed.name);
        if (!config) {
            const fw::UniqueServiceHandle service = OpenToRead(manager.Get(), listed.name);
            if (service)
                config = ReadConfig(service.Get(), false);
        }
        if (!config || !keep(config->startType))
            continue;
        if (!listed.displayName.empty())
            config->displayName = listed.displayName;
        entries.push_back(Entry(listed.name, *config));
    }
    return entries;
}

StartupValueList ReadAutomatic()
{
    return ReadServices(nullptr, [](DWORD start) { return start == SERVICE_AUTO_START; });
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
    return ReadServices(&kept, [](DWORD start) { return start != SERVICE_AUTO_START; });
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
        if (!Visible(name))
            return Refused(MoveOutcome::Gone);
        StartupCalls& calls = ActiveCalls();
        SC_HANDLE opened = nullptr;
        const LONG status = calls.OpenService(name.c_str(), &opened);
        const fw::UniqueServiceHandle service(opened);
        if (status != ERROR_SUCCESS)
            return Refused(status == ERROR_SERVICE_DOES_NOT_EXIST ? MoveOutcome::Gone : MoveOutcome::Failed);
        const std::optional<ServiceConfig> config = ReadConfig(service.Get(), true);
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

void SetServiceFilterForTesting(bool (*visible)(const wchar_t* name))
{
    g_visibleForTesting = visible;
}

const PlaceKind& ServicePlaces()
{
    static const ServiceKind kind;
    return kind;
}
