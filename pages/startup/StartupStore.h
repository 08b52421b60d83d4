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
