#pragma once
// The store of the start-up manager: reads the entries of every source, and
// switches one entry off or on by moving it between the place that Windows
// reads and the place where Quorvane keeps switched-off entries: a key of the
// same hive and view, or a folder of Quorvane's own for the Startup folders.
// Nothing is cached; every call works on what stands there now.

#include "pages/startup/StartupSources.h"

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

// What the user is told, once per entry, when a move fails.
extern const char kMoveFailedMessage[];
// What the user is told when the entry is no longer where it was listed.
extern const char kEntryGoneMessage[];

struct StartupValue {
    std::string name;    // the value's name: the program's name in the key
    std::string command; // text data up to its first NUL, or a rendering of non-text data
    bool isText = true;  // REG_SZ or REG_EXPAND_SZ; other types are shown but never moved
};

using StartupValueList = std::vector<StartupValue>;

// Every readable value of hive\keyPath in the given view, in enumeration
// order; empty when the key is missing or cannot be read. Unnamed values are
// included.
StartupValueList ReadValueList(HKEY hive, const char* keyPath, REGSAM view = 0);

// Where an entry stands: where Windows finds it, or where Quorvane keeps it
// while it is switched off.
enum class EntryPlace { Startup, Parked };

struct StartupEntry {
    std::size_t source = 0; // index in the source table that was read
    EntryPlace place = EntryPlace::Startup;
    StartupValue value;
    // Where Windows finds it, but its own start-up settings switch it off.
    bool offForWindows = false;
};

// The entries of the sources in `which`: first those in the places Windows
// reads, then the switched-off ones, each group in the order of the sources.
std::vector<StartupEntry> ReadStartupEntries(const std::vector<StartupSource>& sources,
                                             SourceSet which = kAllSources);

enum class MoveOutcome { Moved, Failed, Gone };

struct MoveResult {
    MoveOutcome outcome = MoveOutcome::Failed;
    std::string command; // once moved: the text of what was moved
};

// Switches the entry `name` of `source`, standing in `from`, on or off. The
// entry is looked up anew by its name and moved with its exact type and
// bytes; switched on, it is also left enabled in Windows' own settings, which
// for an entry that Windows alone switched off is the whole change. Whatever
// happens, afterwards it stands whole in exactly one of its two places, and a
// failed move leaves Windows' switch as it was. Gone, with nothing written,
// when the entry no longer stands in `from`.
MoveResult SwitchEntry(const StartupSource& source, EntryPlace from, const std::string& name, bool on);

// The registry and file calls that a move makes. By default they go straight
// to the system; tests put their own in place, for example to make one call
// fail.
class StartupCalls {
public:
    virtual ~StartupCalls() = default;
    // RegCreateKeyExA with full access: the disabled key, created if missing.
    virtual LONG CreateKey(HKEY hive, const char* path, REGSAM view, HKEY* key) = 0;
    // RegOpenKeyExA with full access: never created.
    virtual LONG OpenKey(HKEY hive, const char* path, REGSAM view, HKEY* key) = 0;
    virtual LONG QueryValue(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* size) = 0;
    virtual LONG SetValue(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size) = 0;
    virtual LONG DeleteValue(HKEY key, const char* name) = 0;
    // CreateDirectoryA; ERROR_ALREADY_EXISTS when the folder is there.
    virtual LONG CreateFolder(const char* path) = 0;
    // MoveFileExA without replacing: a name taken at `to` fails the move.
    virtual LONG MoveFile(const char* from, const char* to) = 0;
};

// The plain system calls, which the moves use unless a test says otherwise.
StartupCalls& SystemStartupCalls();

// The calls the moves use from now on; nullptr goes back to the real ones.
void SetStartupCallsForTesting(StartupCalls* calls);
