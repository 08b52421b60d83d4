#include "pages/startup/store/ServiceListing.h"

#include "framework/UniqueHandle.h"
#include "pages/startup/store/PlaceKind.h"

#include <memory>
#include <vector>

namespace {

bool (*g_visibleForTesting)(const wchar_t* name) = nullptr;

StartupValue Entry(const std::wstring& name, const ServiceConfig& config)
{
    StartupValue entry(config.displayName.empty() ? name : config.displayName, config.imagePath);
    entry.id = name;
    return entry;
}

// A service as the Service Control Manager lists it.
struct ListedService {
    std::wstring name;
    std::wstring displayName; // resolved, where the registry may hold an indirect one
};

// Every service of the `types`, in one call to the Service Control Manager
// where the buffer has room for a typical machine's: each call is one to
// another process.
std::vector<ListedService> ListServices(SC_HANDLE manager, DWORD types)
{
    std::vector<ListedService> listed;
    DWORD size = 64 * 1024;
    std::unique_ptr<BYTE[]> buffer(new BYTE[size]);
    DWORD needed = 0;
    DWORD count = 0;
    DWORD resume = 0;
    for (;;) {
        const BOOL done = ::EnumServicesStatusExW(manager, SC_ENUM_PROCESS_INFO, types, SERVICE_STATE_ALL,
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

} // namespace

bool ServiceVisible(const std::wstring& name)
{
    return !g_visibleForTesting || g_visibleForTesting(name.c_str());
}

void SetServiceFilterForTesting(bool (*visible)(const wchar_t* name))
{
    g_visibleForTesting = visible;
}

std::optional<ServiceConfig> ReadServiceConfig(SC_HANDLE service, DWORD types, bool withDelayed)
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
    if (!(config->dwServiceType & types))
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

StartupValueList ReadServices(DWORD types, const std::set<std::wstring>* only, bool (*keep)(DWORD startType))
{
    StartupValueList entries;
    const fw::UniqueServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE));
    if (!manager) {
        ReportReadingFailed(); // no account of the services, not a machine without them
        return entries;
    }
    fw::UniqueRegKey services;
    ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kServicesKeyPath, 0, KEY_READ, services.Put());
    for (const ListedService& listed : ListServices(manager.Get(), types)) {
        if (!ServiceVisible(listed.name) || (only && only->count(listed.name) == 0))
            continue;
        std::optional<ServiceConfig> config = ReadKeptConfig(services.Get(), listed.name);
        if (!config) {
            const fw::UniqueServiceHandle service = OpenToRead(manager.Get(), listed.name);
            if (service)
                config = ReadServiceConfig(service.Get(), types, false);
        }
        if (!config || !keep(config->startType))
            continue;
        if (!listed.displayName.empty())
            config->displayName = listed.displayName;
        entries.push_back(Entry(listed.name, *config));
    }
    return entries;
}
