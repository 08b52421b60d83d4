#include "pages/startup/StartupSources.h"

#include "pages/startup/StartupApproved.h"

const char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kDisabledKeyPath[] = "Software\\Quorvane\\DisabledStartup";

const char kUserLocationText[] = "User Start-Up";
const char kSystemLocationText[] = "System Start-Up";
const char kSystem32LocationText[] = "System Start-Up (32-bit)";

std::vector<StartupSource> StartupSources(bool windows64)
{
    // A view is named only where there are two; 32-bit Windows has one.
    const REGSAM machineView = windows64 ? KEY_WOW64_64KEY : 0;
    std::vector<StartupSource> sources = {
        {kUserLocationText, HKEY_CURRENT_USER, 0, kRunKeyPath, kApprovedRunKeyPath, 0},
        {kSystemLocationText, HKEY_LOCAL_MACHINE, machineView, kRunKeyPath, kApprovedRunKeyPath, machineView},
    };
    if (windows64)
        sources.push_back({kSystem32LocationText, HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, kRunKeyPath,
                           kApprovedRun32KeyPath, machineView});
    return sources;
}

std::vector<StartupSource> StartupSources()
{
    return StartupSources(IsWindows64Bit());
}

bool IsWindows64Bit()
{
#ifdef _WIN64
    return true;
#else
    BOOL wow64 = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
#endif
}
