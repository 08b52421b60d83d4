#include "pages/startup/StartupSources.h"

#include "pages/startup/StartupApproved.h"

#include <shlobj.h>

const char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunOnceKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const char kDisabledKeyPath[] = "Software\\Quorvane\\DisabledStartup";

const char kUserLocationText[] = "User Start-Up";
const char kSystemLocationText[] = "System Start-Up";
const char kSystem32LocationText[] = "System Start-Up (32-bit)";
const char kUserOnceLocationText[] = "User Run-Once";
const char kSystemOnceLocationText[] = "System Run-Once";
const char kSystem32OnceLocationText[] = "System Run-Once (32-bit)";
const char kUserFolderLocationText[] = "User Start-Up Folder";
const char kCommonFolderLocationText[] = "All Users Start-Up Folder";

std::vector<StartupSource> StartupSources(bool windows64)
{
    // A view is named only where there are two; 32-bit Windows has one.
    const REGSAM machineView = windows64 ? KEY_WOW64_64KEY : 0;
    const HKEY user = HKEY_CURRENT_USER;
    const HKEY machine = HKEY_LOCAL_MACHINE;
    const StartupKind run = StartupKind::Run;
    const StartupKind once = StartupKind::RunOnce;
    const StartupKind folder = StartupKind::Folder;
    std::vector<StartupSource> sources;
    sources.push_back({kUserLocationText, run, user, 0, kRunKeyPath, kApprovedRunKeyPath, 0});
    sources.push_back({kSystemLocationText, run, machine, machineView, kRunKeyPath, kApprovedRunKeyPath, machineView});
    if (windows64)
        sources.push_back({kSystem32LocationText, run, machine, KEY_WOW64_32KEY, kRunKeyPath, kApprovedRun32KeyPath,
                           machineView});
    sources.push_back({kUserFolderLocationText, folder, user, 0, nullptr, kApprovedFolderKeyPath, 0, CSIDL_STARTUP,
                       CSIDL_APPDATA});
    sources.push_back({kCommonFolderLocationText, folder, machine, 0, nullptr, kApprovedFolderKeyPath, machineView,
                       CSIDL_COMMON_STARTUP, CSIDL_COMMON_APPDATA});
    sources.push_back({kUserOnceLocationText, once, user, 0, kRunOnceKeyPath, nullptr, 0});
    sources.push_back({kSystemOnceLocationText, once, machine, machineView, kRunOnceKeyPath, nullptr, 0});
    if (windows64)
        sources.push_back({kSystem32OnceLocationText, once, machine, KEY_WOW64_32KEY, kRunOnceKeyPath, nullptr, 0});
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
