#include "pages/startup/StartupSources.h"

const char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kDisabledKeyPath[] = "Software\\Quorvane\\DisabledStartup";

const char kUserLocationText[] = "User Start-Up";
const char kSystemLocationText[] = "System Start-Up";

std::vector<StartupSource> StartupSources()
{
    return {
        {kUserLocationText, HKEY_CURRENT_USER, 0, kRunKeyPath},
        {kSystemLocationText, HKEY_LOCAL_MACHINE, 0, kRunKeyPath},
    };
}
