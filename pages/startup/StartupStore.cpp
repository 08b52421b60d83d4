#include "pages/startup/StartupStore.h"

const char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kDisabledKeyPath[] = "Software\\Quorvane\\DisabledStartup";

// Placeholder until the store is written: reads nothing, moves nothing.
StartupValueList ReadValueList(HKEY, const char*) { return {}; }
bool DisableEntry(StartupOrigin, const std::string&, const std::string&) { return false; }
bool EnableEntry(StartupOrigin, const std::string&, const std::string&) { return false; }
