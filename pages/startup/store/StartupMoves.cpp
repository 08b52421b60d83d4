#include "pages/startup/store/StartupMoves.h"

#include "framework/UniqueHandle.h"
#include "pages/startup/store/RegistryValueText.h"
#include "pages/startup/store/StartupApproved.h"
#include "pages/startup/store/StartupFolders.h"

#include <versionhelpers.h>

#include <algorithm>
#include <iterator>
#include <vector>

const char kMoveFailedMessage[] = "Could not make changes, not allowed!";
const char kEntryGoneMessage[] = "Could not make changes, the entry no longer exists!";
const char kNameTakenMessage[] = "Could not make changes, another entry of that name is already there!";

namespace {
class SystemCalls final : public StartupCalls {
public:
    LONG CreateKey(HKEY hive, const wchar_t* path, REGSAM view, HKEY* key) override
    {
        return ::RegCreateKeyExW(hive, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | view, nullptr,
                                 key, nullptr);
    }
    LONG OpenKey(HKEY hive, const wchar_t* path, REGSAM view, HKEY* key) override
    {
        return ::RegOpenKeyExW(hive, path, 0, KEY_ALL_ACCESS | view, key);
    }
    LONG QueryValue(HKEY key, const wchar_t* name, DWORD* type, BYTE* data, DWORD* size) override
    {
        return ::RegQueryValueExW(key, name, nullptr, type, data, size);
    }
    LONG SetValue(HKEY key, const wchar_t* name, DWORD type, const BYTE* data, DWORD size) override
    {
        return ::RegSetValueExW(key, name, 0, type, data, size);
    }
    LONG DeleteValue(HKEY key, const wchar_t* name) override { return ::RegDeleteValueW(key, name); }
    LONG CreateFolder(const wchar_t* path) override
    {
        return ::CreateDirectoryW(path, nullptr) ? ERROR_SUCCESS : static_cast<LONG>(::GetLastError());
    }
    LONG RenameFile(const wchar_t* from, const wchar_t* to) override
    {
        return ::MoveFileExW(from, to, 0) ? ERROR_SUCCESS : static_cast<LONG>(::GetLastError());
    }
    LONG RemoveFile(const wchar_t* path) override
    {
        return ::DeleteFileW(path) ? ERROR_SUCCESS : static_cast<LONG>(::GetLastError());
    }
    bool HonoursWindowsSwitches() override { return WindowsHonoursStartupSwitches(); }
};

StartupCalls* g_testCalls = nullptr;

StartupCalls& ActiveCalls() { return g_testCalls ? *g_testCalls : SystemStartupCalls(); }

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
    bool operator==(const RawValue& other) const { return type == other.type && bytes == other.bytes; }
};

enum class Lookup { Found, Missing, Failed };

// Reads a value's type and bytes, whatever their size.
Lookup ReadRawValue(StartupCalls& calls, HKEY key, const std::wstring& name, RawValue& value)
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
// last counted character is not one when the memory after the count happens
// to hold a NUL, so the bytes go from a buffer with non-NUL bytes behind them.
bool WriteRawValue(StartupCalls& calls, HKEY key, const std::wstring& name, const RawValue& value)
{
    std::vector<BYTE> guarded(value.bytes);
    guarded.insert(guarded.end(), sizeof(wchar_t), 0xff);
    return calls.SetValue(key, name.c_str(), value.type, guarded.data(), static_cast<DWORD>(value.bytes.size()))
           == ERROR_SUCCESS;
}

std::wstring ValueText(const RawValue& value)
{
    return RegistryValueText(value.type, value.bytes.data(), static_cast<DWORD>(value.bytes.size()));
}

MoveResult Moved(std::wstring command, EntryPlace place) { return {MoveOutcome::Moved, std::move(command), place}; }

MoveResult Refused(MoveOutcome outcome) { return {outcome, {}, EntryPlace::Startup}; }

// Windows' own switch for one entry: read before a move, set to enabled where
// it disables the entry, and put back as it was when the move fails later.
class WindowsSwitch {
public:
    WindowsSwitch(StartupCalls& calls, const StartupSource& source, const std::wstring& name)
        : m_calls(calls), m_source(source), m_name(name)
    {
    }

    // False when the switch cannot be read; a missing key or value is no switch.
    bool Read()
    {
        if (!m_source.approvedKeyPath)
            return true;
        const LONG opened =
            m_calls.OpenKey(m_source.hive, m_source.approvedKeyPath, m_source.approvedView, m_key.Put());
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

    // Switches the entry off for Windows, as Windows' own tools do: the last
    // step of a change, never put back. Only where Windows reads the switch.
    bool Disable()
    {
        if (!m_source.approvedKeyPath || !m_calls.HonoursWindowsSwitches())
            return false;
        fw::UniqueRegKey key;
        if (m_calls.CreateKey(m_source.hive, m_source.approvedKeyPath, m_source.approvedView, key.Put())
            != ERROR_SUCCESS)
            return false;
        FILETIME now{};
        ::GetSystemTimeAsFileTime(&now);
        BYTE value[kApprovedValueSize];
        ApprovedDisabledValue(now, value);
        return WriteRawValue(m_calls, key.Get(), m_name, {REG_BINARY, {std::begin(value), std::end(value)}});
    }

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
MoveResult SwitchOffInPlace(WindowsSwitch& windows, bool on, std::wstring command)
{
    if (!on && windows.Disable())
        return Moved(std::move(command), EntryPlace::Startup);
    return Refused(MoveOutcome::NameTaken);
}

// Moves `name` between the place Windows reads and the disabled key of the
// source's hive and view, exactly as it stands. Every step that can fail
// comes before the source value is deleted, and a failed deletion takes back
// the copy and Windows' switch, so the entry is never lost and never left in
// both keys.
MoveResult MoveRegistryEntry(const StartupSource& source, bool on, const std::wstring& name)
{
    StartupCalls& calls = ActiveCalls();
    fw::UniqueRegKey disabledKey;
    if (calls.CreateKey(source.hive, source.disabledKeyPath, source.view, disabledKey.Put()) != ERROR_SUCCESS)
        return Refused(MoveOutcome::Failed);
    fw::UniqueRegKey runKey;
    const LONG opened = calls.OpenKey(source.hive, source.keyPath, source.view, runKey.Put());
    if (opened != ERROR_SUCCESS)
        return Refused(!on && opened == ERROR_FILE_NOT_FOUND ? MoveOutcome::Gone : MoveOutcome::Failed);
    const HKEY from = on ? disabledKey.Get() : runKey.Get();
    const HKEY to = on ? runKey.Get() : disabledKey.Get();
    const EntryPlace target = on ? EntryPlace::Startup : EntryPlace::Parked;

    RawValue moving;
    const Lookup found = ReadRawValue(calls, from, name, moving);
    if (found != Lookup::Found)
        return Refused(found == Lookup::Missing ? MoveOutcome::Gone : MoveOutcome::Failed);
    // Only command lines are moved; anything else stays where it is.
    if (!IsTextValueType(moving.type))
        return Refused(MoveOutcome::Failed);

    WindowsSwitch windows(calls, source, name);
    if (on && !windows.Read())
        return Refused(MoveOutcome::Failed);
    RawValue standing;
    const Lookup taken = ReadRawValue(calls, to, name, standing);
    if (taken == Lookup::Failed)
        return Refused(MoveOutcome::Failed);
    if (taken == Lookup::Found && !(standing == moving))
        return SwitchOffInPlace(windows, on, ValueText(moving));
    // The same entry standing at the target already is not written again.
    const bool copied = taken == Lookup::Missing;
    if (copied && !WriteRawValue(calls, to, name, moving))
        return Refused(MoveOutcome::Failed);
    if (windows.Enable() && calls.DeleteValue(from, name.c_str()) == ERROR_SUCCESS)
        return Moved(ValueText(moving), target);

    windows.Restore();
    if (copied)
        calls.DeleteValue(to, name.c_str());
    return Refused(MoveOutcome::Failed);
}

// An entry that stays in the Run key and that only Windows' own settings
// switched off: switching it on is writing that switch.
MoveResult EnableForWindows(const StartupSource& source, const std::wstring& name)
{
    StartupCalls& calls = ActiveCalls();
    fw::UniqueRegKey runKey;
    const LONG opened = calls.OpenKey(source.hive, source.keyPath, source.view, runKey.Put());
    if (opened != ERROR_SUCCESS)
        return Refused(opened == ERROR_FILE_NOT_FOUND ? MoveOutcome::Gone : MoveOutcome::Failed);
    RawValue value;
    const Lookup found = ReadRawValue(calls, runKey.Get(), name, value);
    if (found != Lookup::Found)
        return Refused(found == Lookup::Missing ? MoveOutcome::Gone : MoveOutcome::Failed);
    WindowsSwitch windows(calls, source, name);
    if (!windows.Read() || !windows.Enable())
        return Refused(MoveOutcome::Failed);
    return Moved(ValueText(value), EntryPlace::Startup);
}

bool FileExists(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Whether two files hold the same bytes; false when either cannot be read.
bool SameFileContent(const std::wstring& a, const std::wstring& b)
{
    auto open = [](const std::wstring& path) {
        return fw::UniqueFileHandle(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    };
    const fw::UniqueFileHandle first = open(a);
    const fw::UniqueFileHandle second = open(b);
    LARGE_INTEGER firstSize{};
    LARGE_INTEGER secondSize{};
    if (!first || !second || !::GetFileSizeEx(first.Get(), &firstSize) || !::GetFileSizeEx(second.Get(), &secondSize)
        || firstSize.QuadPart != secondSize.QuadPart)
        return false;
    std::vector<char> firstBytes(64 * 1024);
    std::vector<char> secondBytes(firstBytes.size());
    for (;;) {
        DWORD firstRead = 0;
        DWORD secondRead = 0;
        if (!::ReadFile(first.Get(), firstBytes.data(), static_cast<DWORD>(firstBytes.size()), &firstRead, nullptr)
            || !::ReadFile(second.Get(), secondBytes.data(), static_cast<DWORD>(secondBytes.size()), &secondRead,
                           nullptr)
            || firstRead != secondRead)
            return false;
        if (firstRead == 0)
            return true;
        if (!std::equal(firstBytes.begin(), firstBytes.begin() + firstRead, secondBytes.begin()))
            return false;
    }
}

// Creates the folder and the one above it, where missing.
bool CreateParkedFolder(StartupCalls& calls, const std::wstring& folder)
{
    const std::wstring parent = folder.substr(0, folder.rfind(L'\\'));
    for (const std::wstring& path : {parent, folder}) {
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
MoveResult MoveFolderEntry(const StartupSource& source, EntryPlace from, bool on, const std::wstring& name)
{
    StartupCalls& calls = ActiveCalls();
    const std::wstring startup = StartupFolderPath(source);
    const std::wstring parked = ParkedFolderPath(source);
    if (startup.empty() || parked.empty())
        return Refused(MoveOutcome::Failed);
    const std::wstring fromPath = (from == EntryPlace::Startup ? startup : parked) + L"\\" + name;
    if (!FileExists(fromPath))
        return Refused(MoveOutcome::Gone);

    WindowsSwitch windows(calls, source, name);
    if (on && !windows.Read())
        return Refused(MoveOutcome::Failed);
    if (from == EntryPlace::Startup && on) // switched off by Windows alone
        return windows.Enable() ? Moved(FileCommand(fromPath), EntryPlace::Startup) : Refused(MoveOutcome::Failed);

    const EntryPlace target = on ? EntryPlace::Startup : EntryPlace::Parked;
    const std::wstring toPath = (on ? startup : parked) + L"\\" + name;
    if (FileExists(toPath)) {
        if (!SameFileContent(fromPath, toPath))
            return SwitchOffInPlace(windows, on, FileCommand(fromPath));
        // The same file stands at the target already: the one here goes.
        if (windows.Enable() && calls.RemoveFile(fromPath.c_str()) == ERROR_SUCCESS)
            return Moved(FileCommand(toPath), target);
        windows.Restore();
        return Refused(MoveOutcome::Failed);
    }
    if ((!on && !CreateParkedFolder(calls, parked)) || calls.RenameFile(fromPath.c_str(), toPath.c_str()) != ERROR_SUCCESS)
        return Refused(MoveOutcome::Failed);
    if (windows.Enable())
        return Moved(FileCommand(toPath), target);
    calls.RenameFile(toPath.c_str(), fromPath.c_str());
    return Refused(MoveOutcome::Failed);
}

} // namespace

bool WindowsHonoursStartupSwitches()
{
    return ::IsWindows8OrGreater();
}

StartupCalls& SystemStartupCalls()
{
    static SystemCalls calls;
    return calls;
}

void SetStartupCallsForTesting(StartupCalls* calls)
{
    g_testCalls = calls;
}

MoveResult SwitchEntry(const StartupSource& source, EntryPlace from, const std::wstring& name, bool on)
{
    if (!IsSwitchable(source) || (from == EntryPlace::Parked && !on))
        return Refused(MoveOutcome::Failed); // nothing to move: the page asks only for a change of state
    if (source.kind == StartupKind::Folder)
        return MoveFolderEntry(source, from, on, name);
    if (from == EntryPlace::Startup && on)
        return EnableForWindows(source, name);
    return MoveRegistryEntry(source, on, name);
}
