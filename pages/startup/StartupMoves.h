#pragma once
// Switching one start-up entry off or on: moving it between the place that
// Windows reads and the place where Quorvane keeps switched-off entries (a
// key of the same hive and view, or a folder of Quorvane's own for the
// Startup folders), and Windows' own switch for it.

#include "pages/startup/StartupStore.h"

#include <windows.h>

#include <string>

// What the user is told, once per entry, when a move fails.
extern const char kMoveFailedMessage[];
// What the user is told when the entry is no longer where it was listed.
extern const char kEntryGoneMessage[];

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
