#include "pages/startup/store/StartupMoves.h"

#include "framework/UniqueHandle.h"
#include "pages/startup/store/MoveSteps.h"
#include "pages/startup/store/PlaceKind.h"
#include "pages/startup/store/RegistryValueText.h"
#include "pages/startup/store/StartupApproved.h"

#include <versionhelpers.h>

#include <iterator>
#include <utility>

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
    LONG OpenService(const wchar_t* name, SC_HANDLE* service) override
    {
        const fw::UniqueServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
        if (!manager)
            return static_cast<LONG>(::GetLastError());
        *service = ::OpenServiceW(manager.Get(), name, SERVICE_QUERY_CONFIG | SERVICE_CHANGE_CONFIG);
        return *service ? ERROR_SUCCESS : static_cast<LONG>(::GetLastError());
    }
    LONG ChangeServiceStart(SC_HANDLE service, DWORD startType, bool delayed) override
    {
        if (!::ChangeServiceConfigW(service, SERVICE_NO_CHANGE, startType, SERVICE_NO_CHANGE, nullptr, nullptr,
                                    nullptr, nullptr, nullptr, nullptr, nullptr))
            return static_cast<LONG>(::GetLastError());
        // Switching off leaves the delayed flag as it was, so only a flag to
        // set back is ever written (which Wine cannot do).
        if (startType != SERVICE_AUTO_START || !delayed)
            return ERROR_SUCCESS;
        SERVICE_DELAYED_AUTO_START_INFO info{TRUE};
        return ::ChangeServiceConfig2W(service, SERVICE_CONFIG_DELAYED_AUTO_START_INFO, &info)
                   ? ERROR_SUCCESS
                   : static_cast<LONG>(::GetLastError());
    }
};

StartupCalls* g_testCalls = nullptr;
} // namespace

StartupCalls& ActiveCalls() { return g_testCalls ? *g_testCalls : SystemStartupCalls(); }

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

// The registry adds a NUL to text whose last counted character is not one
// when the memory after the count happens to hold a NUL, so the bytes go from
// a buffer with non-NUL bytes behind them.
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

WindowsSwitch::WindowsSwitch(StartupCalls& calls, const StartupSource& source, const std::wstring& name)
    : m_calls(calls), m_source(source), m_name(name)
{
}

bool WindowsSwitch::Read()
{
    if (!m_source.approvedKeyPath)
        return true;
    const LONG opened = m_calls.OpenKey(m_source.hive, m_source.approvedKeyPath, m_source.approvedView, m_key.Put());
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

bool WindowsSwitch::Enable()
{
    if (!m_disables)
        return true;
    RawValue enabled{REG_BINARY, {std::begin(kApprovedEnabledValue), std::end(kApprovedEnabledValue)}};
    m_written = WriteRawValue(m_calls, m_key.Get(), m_name, enabled);
    return m_written;
}

void WindowsSwitch::Restore()
{
    if (m_written)
        WriteRawValue(m_calls, m_key.Get(), m_name, m_before);
}

bool WindowsSwitch::Disable()
{
    if (!m_source.approvedKeyPath || !m_calls.HonoursWindowsSwitches())
        return false;
    fw::UniqueRegKey key;
    if (m_calls.CreateKey(m_source.hive, m_source.approvedKeyPath, m_source.approvedView, key.Put()) != ERROR_SUCCESS)
        return false;
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    BYTE value[kApprovedValueSize];
    ApprovedDisabledValue(now, value);
    return WriteRawValue(m_calls, key.Get(), m_name, {REG_BINARY, {std::begin(value), std::end(value)}});
}

// The entry's name is taken at the target by something else: switched off
// through Windows' own switch where it can be, otherwise left as it is.
MoveResult SwitchOffInPlace(WindowsSwitch& windows, bool on, std::wstring command)
{
    if (!on && windows.Disable())
        return Moved(std::move(command), EntryPlace::Startup);
    return Refused(MoveOutcome::NameTaken);
}

MoveResult MoveRegistryValue(const StartupSource& source, bool on, const ValueSlots& slots, WindowsSwitch& windows)
{
    StartupCalls& calls = ActiveCalls();
    fw::UniqueRegKey disabledKey;
    if (calls.CreateKey(source.hive, source.disabledKeyPath, source.view, disabledKey.Put()) != ERROR_SUCCESS)
        return Refused(MoveOutcome::Failed);
    // A key that is gone holds no entry to switch off.
    fw::UniqueRegKey startupKey;
    const LONG opened = calls.OpenKey(source.hive, slots.key.c_str(), source.view, startupKey.Put());
    const bool startupKeyGone = opened == ERROR_FILE_NOT_FOUND;
    if (opened != ERROR_SUCCESS && !(on && startupKeyGone))
        return Refused(startupKeyGone ? MoveOutcome::Gone : MoveOutcome::Failed);
    const HKEY from = on ? disabledKey.Get() : startupKey.Get();
    const std::wstring& fromName = on ? slots.parkedName : slots.name;
    const std::wstring& toName = on ? slots.name : slots.parkedName;
    const EntryPlace target = on ? EntryPlace::Startup : EntryPlace::Parked;

    RawValue moving;
    const Lookup found = ReadRawValue(calls, from, fromName, moving);
    if (found != Lookup::Found)
        return Refused(found == Lookup::Missing ? MoveOutcome::Gone : MoveOutcome::Failed);
    // Only command lines are moved; anything else stays where it is.
    if (!IsTextValueType(moving.type))
        return Refused(MoveOutcome::Failed);
    // Windows or a clean-up removed the key (a policy's Run key, the install
    // mode's) while the entry was switched off: it is made again where it
    // was, in the source's hive and view, so the same rights apply.
    if (startupKeyGone
        && calls.CreateKey(source.hive, slots.key.c_str(), source.view, startupKey.Put()) != ERROR_SUCCESS)
        return Refused(MoveOutcome::Failed);
    const HKEY to = on ? startupKey.Get() : disabledKey.Get();

    if (on && !windows.Read())
        return Refused(MoveOutcome::Failed);
    RawValue standing;
    const Lookup taken = ReadRawValue(calls, to, toName, standing);
    if (taken == Lookup::Failed)
        return Refused(MoveOutcome::Failed);
    if (taken == Lookup::Found && !(standing == moving))
        return SwitchOffInPlace(windows, on, ValueText(moving));
    // The same entry standing at the target already is not written again.
    const bool copied = taken == Lookup::Missing;
    if (copied && !WriteRawValue(calls, to, toName, moving))
        return Refused(MoveOutcome::Failed);
    if (windows.Enable() && calls.DeleteValue(from, fromName.c_str()) == ERROR_SUCCESS)
        return Moved(ValueText(moving), target);

    windows.Restore();
    if (copied)
        calls.DeleteValue(to, toName.c_str());
    return Refused(MoveOutcome::Failed);
}

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
    const PlaceKind& kind = PlaceKindOf(source.kind);
    if (!kind.Switchable() || (from == EntryPlace::Parked && !on))
        return Refused(MoveOutcome::Failed); // nothing to move: the page asks only for a change of state
    // The registry's calls end a name at its first NUL: they would move another entry.
    if (name.find(L'\0') != std::wstring::npos)
        return Refused(MoveOutcome::Failed);
    return kind.Switch(source, from, name, on);
}
