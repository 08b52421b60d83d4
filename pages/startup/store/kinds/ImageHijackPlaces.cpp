// Programs started in another program's place: the Debugger of a program's
// Image File Execution Options key, which Windows starts instead of the
// program, and the MonitorProcess that Windows starts as a program exits,
// where the program's GlobalFlag asks for it. A key per program, named as the
// program's file; an entry is switched off by moving its value into
// Quorvane's disabled key of the same hive and view, under the program's name.

#include "framework/UniqueHandle.h"
#include "pages/startup/store/MoveSteps.h"
#include "pages/startup/store/RegistryValueText.h"
#include "pages/startup/store/SwitchedValues.h"

#include <cstring>

namespace {

// The GlobalFlag bit that has Windows start the program's MonitorProcess.
constexpr std::uint32_t kMonitorSilentProcessExit = 0x200;

// The debugger older Windows put in a key of its own as an example.
const wchar_t kExampleProgram[] = L"Your Image File Name Here without a path";
const wchar_t kExampleDebugger[] = L"ntsd -d";

// Whether the program's GlobalFlag, in the same view, holds the bit, as a
// number or as text read as Windows' loader reads it.
bool MonitorsSilentExit(const StartupSource& source, const std::wstring& program)
{
    fw::UniqueRegKey key;
    const std::wstring path = std::wstring(kImageOptionsKeyPath) + L"\\" + program;
    if (::RegOpenKeyExW(source.hive, path.c_str(), 0, KEY_READ | source.view, key.Put()) != ERROR_SUCCESS)
        return false;
    RawValue value;
    if (ReadRawValue(SystemStartupCalls(), key.Get(), L"GlobalFlag", value) != Lookup::Found)
        return false;
    const DWORD type = value.type;
    const std::vector<BYTE>& bytes = value.bytes;
    std::uint32_t flags = 0;
    if (type == REG_DWORD && bytes.size() == sizeof(flags))
        std::memcpy(&flags, bytes.data(), sizeof(flags));
    else if (type == REG_SZ)
        flags = TextNumber(RegistryValueText(type, bytes.data(), static_cast<DWORD>(bytes.size())), true);
    return (flags & kMonitorSilentProcessExit) != 0;
}

// A name that cannot be a program's key: none, or a path of keys.
bool NoProgramName(const std::wstring& name)
{
    return name.empty() || name.find(L'\\') != std::wstring::npos;
}

class ProgramValueKind final : public UnwatchedKind {
public:
    ProgramValueKind(const char* work, bool exitMonitor) : m_work(work), m_exitMonitor(exitMonitor) {}

    const char* ReadingWork() const override { return m_work; }
    bool Switchable() const override { return true; }

    StartupValueList Read(const StartupSource& source, EntryPlace place) const override
    {
        if (place == EntryPlace::Parked) {
            // A value no switch of Quorvane's wrote cannot go back to a key.
            StartupValueList parked = ReadCommandValues(source.hive, source.disabledKeyPath, source.view);
            for (StartupValue& value : parked)
                value.fixed = value.fixed || NoProgramName(EntryId(value));
            return parked;
        }
        StartupValueList entries;
        fw::UniqueRegKey key;
        if (::RegOpenKeyExW(source.hive, source.keyPath, 0, KEY_READ | source.view, key.Put()) != ERROR_SUCCESS)
            return entries;
        for (const std::wstring& program : SubkeyNames(key.Get())) {
            fw::UniqueRegKey programKey;
            if (::RegOpenKeyExW(key.Get(), program.c_str(), 0, KEY_READ | source.view, programKey.Put())
                != ERROR_SUCCESS)
                continue;
            std::optional<std::wstring> command = ReadCommandText(programKey.Get(), source.valueName);
            if (!command || (m_exitMonitor && !MonitorsSilentExit(source, program)))
                continue;
            if (!m_exitMonitor && SameValueName(program, kExampleProgram) && *command == kExampleDebugger)
                continue;
            entries.push_back({program, std::move(*command)});
        }
        return entries;
    }

    MoveResult Switch(const StartupSource& source, EntryPlace, const std::wstring& name, bool on) const override
    {
        if (NoProgramName(name))
            return Refused(MoveOutcome::Failed);
        return MoveValue(source, on, std::wstring(source.keyPath) + L"\\" + name, source.valueName, name);
    }

    // The program's key, or the disabled key.
    EntryAddress Address(const StartupSource& source, EntryPlace place, const std::wstring& name) const override
    {
        EntryAddress address = KeyAddress(source, place);
        if (place == EntryPlace::Startup)
            address.keyPath += L"\\" + name;
        return address;
    }

private:
    const char* m_work;
    bool m_exitMonitor;
};

} // namespace

const PlaceKind& DebuggerPlaces()
{
    static const ProgramValueKind kind("read: image hijacks (Debugger)", false);
    return kind;
}

const PlaceKind& ExitMonitorPlaces()
{
    static const ProgramValueKind kind("read: image hijacks (exit monitors)", true);
    return kind;
}
