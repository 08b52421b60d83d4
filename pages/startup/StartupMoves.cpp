#include "pages/startup/StartupMoves.h"

#include "framework/UniqueHandle.h"
#include "pages/startup/RegistryValueText.h"
#include "pages/startup/StartupApproved.h"
#include "pages/startup/StartupFolders.h"

#include <iterator>
#include <vector>

const char kMoveFailedMessage[] = "Could not make changes, not allowed!";
const char kEntryGoneMessage[] = "Could not make changes, the entry no longer exists!";

namespace {
class SystemCalls final : public StartupCalls {
public:
    LONG CreateKey(HKEY hive, const char* path, REGSAM view, HKEY* key) override
    {
        return ::RegCreateKeyExA(hive, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | view, nullptr,
                                 key, nullptr);
    }
    LONG OpenKey(HKEY hive, const char* path, REGSAM view, HKEY* key) override
    {
        return ::RegOpenKeyExA(hive, path, 0, KEY_ALL_ACCESS | view, key);
    }
    LONG QueryValue(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* size) override
    {
        return ::RegQueryValueExA(key, name, nullptr, type, data, size);
    }
    LONG SetValue(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size) override
    {
        return ::RegSetValueExA(key, name, 0, type, data, size);
    }
    LONG DeleteValue(HKEY key, const char* name) override { return ::RegDeleteValueA(key, name); }
    LONG CreateFolder(const char* path) override
    {
        return ::CreateDirectoryA(path, nullptr) ? ERROR_SUCCESS : static_cast<LONG>(::GetLastError());
    }
    LONG MoveFile(const char* from, const char* to) override
    {
        return ::MoveFileExA(from, to, 0) ? ERROR_SUCCESS : static_cast<LONG>(::GetLastError());
    }
};

StartupCalls* g_testCalls = nullptr;

StartupCalls& ActiveCalls() { return g_testCalls ? *g_testCalls : SystemStartupCalls(); }

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
};

enum class Lookup { Found, Missing, Failed };

// Reads a value's type and bytes, whatever their size.
Lookup ReadRawValue(StartupCalls& calls, HKEY key, const std::string& name, RawValue& value)
{
    for (;;) {
        DWORD size = 0;
        LONG status = calls.QueryValue(key, name.c_str(), &value.type, nullptr, &size);
        if (status == ERROR_SUCCESS) {
            value.bytes.resize(size);
            status = calls.QueryValue(key, name.c_str(), &value.type, value.bytes.data(), &size);
            if (status == ERROR_MORE_DATA)
                continue; // it grew in between
        }
        if (status == ERROR_FILE_NOT_FOUND)
            return Lookup::Missing;
        if (status != ERROR_SUCCESS)
            return Lookup::Failed;
        value.bytes.resize(size);
        return Lookup::Found;
    }
}

// Writes exactly the value's bytes. The registry adds a NUL to text whose
// last counted byte is not one when the byte after the count happens to be a
// NUL, so the bytes go from a buffer with a non-NUL byte behind them.
bool WriteRawValue(StartupCalls& calls, HKEY key, const std::string& name, const RawValue& value)
{
    std::vector<BYTE> guarded(value.bytes);
    guarded.push_back(0xff);
    return calls.SetValue(key, name.c_str(), value.type, guarded.data(), static_cast<DWORD>(value.bytes.size()))
           == ERROR_SUCCESS;
}

std::string ValueText(const RawValue& value)
{
    return RegistryValueText(value.type, value.bytes.data(), static_cast<DWORD>(value.bytes.size()));
}

// Windows' own switch for one entry: read before a move, set to enabled where
// it disables the entry, and put back as it was when the move fails later.
class WindowsSwitch {
public:
    WindowsSwitch(StartupCalls& calls, const std::string& name) : m_calls(calls), m_name(name) {}

    // False when the switch cannot be read; a missing key or value is no switch.
    bool Read(const StartupSource& source)
    {
        if (!source.approvedKeyPath)
            return true;
        const LONG opened = m_calls.OpenKey(source.hive, source.approvedKeyPath, source.approvedView, m_key.Put());
        if (opened == ERROR_FILE_NOT_FOUND)
            return true;
        if (opened != ERROR_SUCCESS)
            return false;
        const Lookup found = ReadRawValue(m_calls, m_key.Get(), m_name, m_before);
        m_disables = found == Lookup::Found
                     && DecodeStartupApproved(m_before.type, m_before.bytes.data(),
                                              static_cast<DWORD>(m_before.bytes.size()))
                            == ApprovedState::Disabled;
        return found != Lookup::Failed;
    }

    // Leaves the entry enabled for Windows; true when nothing needed writing.
    bool Enable()
    {
        if (!m_disables)
            return true;
        RawValue enabled{REG_BINARY, {std::begin(kApprovedEnabledValue), std::end(kApprovedEnabledValue)}};
        m_written = WriteRawValue(m_calls, m_key.Get(), m_name, enabled);
        return m_written;
    }

    void Restore()
    {
        if (m_written)
            WriteRawValue(m_calls, m_key.Get(), m_name, m_before);
    }

private:
    StartupCalls& m_calls;
    const std::string& m_name;
    fw::UniqueRegKey m_key;
    RawValue m_before;
    bool m_disables = false;
    bool m_written = false;
};

// Moves `name` between the Run key and the disabled key of the source's hive
// and view, exactly as it stands. Every step that can fail comes before the
// source value is deleted, and a failed deletion puts back what the copy
// overwrote and Windows' switch, so the entry is never lost and never left in
// both keys.
MoveResult MoveRegistryEntry(const StartupSource& source, bool on, const std::string& name)
{
    StartupCalls& calls = ActiveCalls();
    fw::UniqueRegKey disabledKey;
    if (calls.CreateKey(source.hive, kDisabledKeyPath, source.view, disabledKey.Put()) != ERROR_SUCCESS)
        return {};
    fw::UniqueRegKey runKey;
    const LONG opened = calls.OpenKey(source.hive, source.keyPath, source.view, runKey.Put());
    if (opened != ERROR_SUCCESS)
        return {!on && opened == ERROR_FILE_NOT_FOUND ? MoveOutcome::Gone : MoveOutcome::Failed, {}};
    const HKEY from = on ? disabledKey.Get() : runKey.Get();
    const HKEY to = on ? runKey.Get() : disabledKey.Get();

    RawValue moving;
    const Lookup found = ReadRawValue(calls, from, name, moving);
    if (found != Lookup::Found)
        return {found == Lookup::Missing ? MoveOutcome::Gone : MoveOutcome::Failed, {}};
    // Only command lines are moved; anything else stays where it is.
    if (!IsTextValueType(moving.type))
        return {};

    WindowsSwitch windows(calls, name);
    if (on && !windows.Read(source))
        return {};
    RawValue overwritten;
    const Lookup previous = ReadRawValue(calls, to, name, overwritten);
    if (previous == Lookup::Failed || !WriteRawValue(calls, to, name, moving))
        return {};
    if (windows.Enable() && calls.DeleteValue(from, name.c_str()) == ERROR_SUCCESS)
        return {MoveOutcome::Moved, ValueText(moving)};

    windows.Restore();
    if (previous == Lookup::Found)
        WriteRawValue(calls, to, name, overwritten);
    else
        calls.DeleteValue(to, name.c_str());
    return {};
}

// An entry that stays in the Run key and that only Windows' own settings
// switched off: switching it on is writing that switch.
MoveResult EnableForWindows(const StartupSource& source, const std::string& name)
{
    StartupCalls& calls = ActiveCalls();
    fw::UniqueRegKey runKey;
    const LONG opened = calls.OpenKey(source.hive, source.keyPath, source.view, runKey.Put());
    if (opened != ERROR_SUCCESS)
        return {opened == ERROR_FILE_NOT_FOUND ? MoveOutcome::Gone : MoveOutcome::Failed, {}};
    RawValue value;
    const Lookup found = ReadRawValue(calls, runKey.Get(), name, value);
    if (found != Lookup::Found)
        return {found == Lookup::Missing ? MoveOutcome::Gone : MoveOutcome::Failed, {}};
    WindowsSwitch windows(calls, name);
    if (!windows.Read(source) || !windows.Enable())
        return {};
    return {MoveOutcome::Moved, ValueText(value)};
}

bool FileExists(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Creates the folder and the one above it, where missing.
bool CreateParkedFolder(StartupCalls& calls, const std::string& folder)
{
    const std::string parent = folder.substr(0, folder.rfind('\\'));
    for (const std::string& path : {parent, folder}) {
        const LONG status = calls.CreateFolder(path.c_str());
        if (status != ERROR_SUCCESS && status != ERROR_ALREADY_EXISTS)
            return false;
    }
    return true;
}

// Moves a file between a Startup folder and Quorvane's folder for it. The
// move is a rename, whole or not at all, and never replaces a file of the
// same name; when switching on, Windows' switch is written after it and the
// file goes back if that fails.
MoveResult MoveFolderEntry(const StartupSource& source, EntryPlace from, bool on, const std::string& name)
{
    StartupCalls& calls = ActiveCalls();
    const std::string startup = StartupFolderPath(source);
    const std::string parked = ParkedFolderPath(source);
    if (startup.empty() || parked.empty())
        return {};
    const std::string fromPath = (from == EntryPlace::Startup ? startup : parked) + "\\" + name;
    if (!FileExists(fromPath))
        return {MoveOutcome::Gone, {}};

    WindowsSwitch windows(calls, name);
    if (on && !windows.Read(source))
        return {};
    if (from == EntryPlace::Startup && on) // switched off by Windows alone
        return windows.Enable() ? MoveResult{MoveOutcome::Moved, FileCommand(fromPath)} : MoveResult{};

    const std::string toPath = (on ? startup : parked) + "\\" + name;
    if ((!on && !CreateParkedFolder(calls, parked)) || calls.MoveFile(fromPath.c_str(), toPath.c_str()) != ERROR_SUCCESS)
        return {};
    if (windows.Enable())
        return {MoveOutcome::Moved, FileCommand(toPath)};
    calls.MoveFile(toPath.c_str(), fromPath.c_str());
    return {};
}

} // namespace

StartupCalls& SystemStartupCalls()
{
    static SystemCalls calls;
    return calls;
}

void SetStartupCallsForTesting(StartupCalls* calls)
{
    g_testCalls = calls;
}

MoveResult SwitchEntry(const StartupSource& source, EntryPlace from, const std::string& name, bool on)
{
    if (!IsSwitchable(source) || (from == EntryPlace::Parked && !on))
        return {}; // nothing to move: the page asks only for a change of state
    if (source.kind == StartupKind::Folder)
        return MoveFolderEntry(source, from, on, name);
    if (from == EntryPlace::Startup && on)
        return EnableForWindows(source, name);
    return MoveRegistryEntry(source, on, name);
}
