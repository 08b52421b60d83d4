#pragma once
// Switching one start-up entry off or on: moving it between the place that
// Windows reads and the place where Quorvane keeps switched-off entries (a
// key of the same hive and view, or a folder of Quorvane's own for the
// Startup folders), and Windows' own switch for it. A move never replaces
// anything that stands at its target.

#include "pages/startup/store/StartupStore.h"

#include <windows.h>
#include <winsvc.h>

#include <string>

// What the user is told, once per entry, when a move fails.
extern const char kMoveFailedMessage[];
// What the user is told when the entry is no longer where it was listed.
extern const char kEntryGoneMessage[];
// What the user is told when another entry of the same name stands where
// this one would go, and nothing was changed.
extern const char kNameTakenMessage[];

enum class MoveOutcome { Moved, Failed, Gone, NameTaken };

struct MoveResult {
    MoveOutcome outcome = MoveOutcome::Failed;
    std::wstring command;                   // once moved: the text of what was moved
    EntryPlace place = EntryPlace::Startup; // once moved: where the entry stands now
};

// Switches the entry `name` of `source`, standing in `from`, on or off. The
// entry is looked up anew by its name and moved with its exact type and
// bytes; switched on, it is also left enabled in Windows' own settings, which
// for an entry that Windows alone switched off is the whole change. Whatever
// happens, afterwards it stands whole in exactly one of its two places, and a
// failed move leaves Windows' switch as it was. Gone, with nothing written,
// when the entry no longer stands in `from`; Failed, with nothing written,
// for a name holding a NUL, which the registry's calls cannot address.
//
// Where the target already holds an entry of the same name: the same type
// and bytes complete the move (the duplicate goes, nothing is lost); anything
// else is kept. Switching off then uses Windows' own switch where Windows
// honours it (the entry stays where Windows finds it, switched off, as
// Windows' own tools do it), and is refused with NameTaken elsewhere, as is
// switching on.
MoveResult SwitchEntry(const StartupSource& source, EntryPlace from, const std::wstring& name, bool on);

// Whether this Windows reads its own start-up switches (Windows 8 and later).
bool WindowsHonoursStartupSwitches();

// The registry and file calls that a move makes. By default they go straight
// to the system; tests put their own in place, for example to make one call
// fail.
class StartupCalls {
public:
    virtual ~StartupCalls() = default;
    // RegCreateKeyExW with full access: created if missing.
    virtual LONG CreateKey(HKEY hive, const wchar_t* path, REGSAM view, HKEY* key) = 0;
    // RegOpenKeyExW with full access: never created.
    virtual LONG OpenKey(HKEY hive, const wchar_t* path, REGSAM view, HKEY* key) = 0;
    virtual LONG QueryValue(HKEY key, const wchar_t* name, DWORD* type, BYTE* data, DWORD* size) = 0;
    virtual LONG SetValue(HKEY key, const wchar_t* name, DWORD type, const BYTE* data, DWORD size) = 0;
    virtual LONG DeleteValue(HKEY key, const wchar_t* name) = 0;
    // CreateDirectoryW; ERROR_ALREADY_EXISTS when the folder is there.
    virtual LONG CreateFolder(const wchar_t* path) = 0;
    // MoveFileExW without replacing: a name taken at `to` fails the move.
    virtual LONG RenameFile(const wchar_t* from, const wchar_t* to) = 0;
    virtual LONG RemoveFile(const wchar_t* path) = 0;
    // Whether Windows reads its own start-up switches.
    virtual bool HonoursWindowsSwitches() = 0;
    // OpenServiceW, to read the service's configuration and change it.
    virtual LONG OpenService(const wchar_t* name, SC_HANDLE* service) = 0;
    // The service's start type (ChangeServiceConfigW) and, for an automatic
    // one that starts delayed, that flag (ChangeServiceConfig2W).
    virtual LONG ChangeServiceStart(SC_HANDLE service, DWORD startType, bool delayed) = 0;
};

// The plain system calls, which the moves use unless a test says otherwise.
StartupCalls& SystemStartupCalls();

// The calls the moves use from now on; nullptr goes back to the real ones.
void SetStartupCallsForTesting(StartupCalls* calls);
