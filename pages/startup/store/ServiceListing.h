#pragma once
// Services and drivers as the Service Control Manager lists them, with the
// start type and image path of each: what the services' and the drivers'
// kinds of place read. Only those that the test filter lets through (see
// SetServiceFilterForTesting) are ever listed or switched.

#include "pages/startup/store/StartupStore.h"

#include <windows.h>
#include <winsvc.h>

#include <optional>
#include <set>
#include <string>

// Whether the service `name` may be listed and switched here.
bool ServiceVisible(const std::wstring& name);

struct ServiceConfig {
    std::wstring displayName;
    std::wstring imagePath;
    DWORD startType = SERVICE_DEMAND_START;
    bool delayed = false;
};

// The configuration of a service of one of the `types` (SERVICE_WIN32,
// SERVICE_DRIVER); nothing for another type or one it cannot read. Whether
// it starts delayed is asked only `withDelayed`: a listing needs no more than
// the start type, and every question is a call to another process.
std::optional<ServiceConfig> ReadServiceConfig(SC_HANDLE service, DWORD types, bool withDelayed);

// The services of the `types` whose start type `keep` takes, of those named
// in `only` (every one where null), each named as the manager names it, its
// id the service's name, its command the image path; the start type and
// image path from each service's key where the manager keeps them, else from
// the manager. Where the manager refuses or breaks off the listing, the
// reading is reported failed (ReportReadingFailed).
StartupValueList ReadServices(DWORD types, const std::set<std::wstring>* only, bool (*keep)(DWORD startType));
