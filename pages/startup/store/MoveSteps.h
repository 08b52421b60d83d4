#pragma once
// The steps that every kind of place's moves are made of (StartupMoves.cpp):
// values read and written exactly as they stand, through the calls a test may
// replace, and Windows' own switch for an entry.

#include "framework/UniqueHandle.h"
#include "pages/startup/store/StartupMoves.h"

#include <windows.h>

#include <string>
#include <vector>

// The calls the moves make: the system's, or a test's.
StartupCalls& ActiveCalls();

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
    bool operator==(const RawValue& other) const { return type == other.type && bytes == other.bytes; }
};

enum class Lookup { Found, Missing, Failed };

// Reads a value's type and bytes, whatever their size.
Lookup ReadRawValue(StartupCalls& calls, HKEY key, const std::wstring& name, RawValue& value);
// Writes exactly the value's bytes.
bool WriteRawValue(StartupCalls& calls, HKEY key, const std::wstring& name, const RawValue& value);
std::wstring ValueText(const RawValue& value);

MoveResult Moved(std::wstring command, EntryPlace place);
MoveResult Refused(MoveOutcome outcome);

// Windows' own switch for one entry: read before a move, set to enabled where
// it disables the entry, and put back as it was when the move fails later.
class WindowsSwitch {
public:
    WindowsSwitch(StartupCalls& calls, const StartupSource& source, const std::wstring& name);

    // False when the switch cannot be read; a missing key or value is no switch.
    bool Read();
    // Leaves the entry enabled for Windows; true when nothing needed writing.
    bool Enable();
    void Restore();
    // Switches the entry off for Windows, as Windows' own tools do: the last
    // step of a change, never put back. Only where Windows reads the switch.
    bool Disable();

private:
    StartupCalls& m_calls;
    const StartupSource& m_source;
    const std::wstring& m_name;
    fw::UniqueRegKey m_key;
    RawValue m_before;
    bool m_disables = false;
    bool m_written = false;
};

// The entry's name is taken at the target by something else: switched off
// through Windows' own switch where it can be, otherwise left as it is.
MoveResult SwitchOffInPlace(WindowsSwitch& windows, bool on, std::wstring command);

// An entry that is one registry value: the key where Windows reads it and its
// name there, and its name in the source's disabled key (of the same hive and
// view).
struct ValueSlots {
    std::wstring key;
    std::wstring name;
    std::wstring parkedName;
};

// Moves the entry between the place Windows reads and the source's disabled
// key, exactly as it stands (see SwitchEntry). Every step that can fail comes
// before the source value is deleted, and a failed deletion takes back the
// copy and Windows' switch, so the entry is never lost and never left in both
// places. A key Windows reads that is gone is made again to switch an entry on.
MoveResult MoveRegistryValue(const StartupSource& source, bool on, const ValueSlots& slots, WindowsSwitch& windows);
