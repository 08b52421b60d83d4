#pragma once
// The registry side of the start-up manager: reads the Run keys and the keys
// of switched-off entries, and moves one entry between the two keys of its
// hive. Nothing is cached; every call works on the registry as it is now.

#include <windows.h>

#include <string>
#include <vector>

// Key paths, the same in both hives.
extern const char kRunKeyPath[];      // entries that run at log-on
extern const char kDisabledKeyPath[]; // entries the user switched off

// What the user is told, once per entry, when a move fails.
extern const char kMoveFailedMessage[];

enum class StartupOrigin { User, System };

struct StartupValue {
    std::string name;    // the value's name: the program's name in the key
    std::string command; // text data up to its first NUL, or a rendering of non-text data
    bool isText = true;  // REG_SZ or REG_EXPAND_SZ; other types are shown but never moved
};

using StartupValueList = std::vector<StartupValue>;

// Every readable value of hive\keyPath in enumeration order; empty when the
// key is missing or cannot be read. Unnamed values are included.
StartupValueList ReadValueList(HKEY hive, const char* keyPath);

// Moves the entry `name` from the Run key of its hive to the hive's disabled
// key (DisableEntry) or back (EnableEntry), written as REG_SZ with `command`.
// Whatever happens, afterwards the entry stands in exactly one of the two keys
// with its exact text; true exactly when that is the target key.
bool DisableEntry(StartupOrigin origin, const std::string& name, const std::string& command);
bool EnableEntry(StartupOrigin origin, const std::string& name, const std::string& command);

// The registry calls that a move makes. By default they go straight to the
// registry; tests put their own in place, for example to make one call fail.
class StartupRegistry {
public:
    virtual ~StartupRegistry() = default;
    // RegCreateKeyExA with full access: the disabled key, created if missing.
    virtual LONG CreateKey(HKEY hive, const char* path, HKEY* key) = 0;
    // RegOpenKeyExA with full access: the Run key, never created.
    virtual LONG OpenKey(HKEY hive, const char* path, HKEY* key) = 0;
    virtual LONG QueryValue(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* size) = 0;
    virtual LONG SetValue(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size) = 0;
    virtual LONG DeleteValue(HKEY key, const char* name) = 0;
};

// The plain Advapi calls, which the moves use unless a test says otherwise.
StartupRegistry& SystemStartupRegistry();

// The calls the moves use from now on; nullptr goes back to the real ones.
void SetStartupRegistryForTesting(StartupRegistry* registry);
