// Reading the value lists: what is listed, in which order, and how data that
// is not a plain terminated string comes out; and every log-on place.

#include "pages/startup/compare/SavedList.h"
#include "pages/startup/store/PlaceKind.h"
#include "pages/startup/store/StartupApproved.h"
#include "pages/startup/store/StartupFolders.h"
#include "pages/startup/store/StartupMoves.h"
#include "pages/startup/store/StartupStore.h"
#include "support/RegistrySandbox.h"
#include "startup/StartupFolderSandbox.h"
#include "startup/store/StoredValue.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <map>

namespace {
std::vector<std::string> Names(const StartupValueList& values)
{
    std::vector<std::string> names;
    for (const StartupValue& value : values)
        names.push_back(U8(value.name));
    return names;
}

std::map<std::string, std::string> Commands(const StartupValueList& values)
{
    std::map<std::string, std::string> commands;
    for (const StartupValue& value : values)
        commands[U8(value.name)] = U8(value.command);
    return commands;
}

// The key's value names as the registry enumerates them.
std::vector<std::string> EnumeratedNames(HKEY hive, const wchar_t* path)
{
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(hive, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (::RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.push_back(U8(std::wstring(name, length)));
    }
    ::RegCloseKey(key);
    return names;
}
} // namespace

TEST(StartupStoreRead, ListsEveryValueInEnumerationOrderIncludingTheUnnamedDefault)
{
    RegistrySandbox sandbox;
    for (const char* name : {"zeta", "", "Alpha", "mid"})
        WriteStored(HKEY_CURRENT_USER, kRunKeyPath, name, Sz(std::string(name) + ".exe"));
    WriteStored(HKEY_LOCAL_MACHINE, kRunKeyPath, "machine", Sz("m.exe"));

    const StartupValueList values = ReadValueList(HKEY_CURRENT_USER, kRunKeyPath);
    EXPECT_EQ(Names(values), EnumeratedNames(HKEY_CURRENT_USER, kRunKeyPath));
    ASSERT_EQ(values.size(), 4u);
    for (const StartupValue& value : values) {
        EXPECT_EQ(value.command, value.name + L".exe");
        EXPECT_TRUE(value.isText);
    }
    EXPECT_EQ(Names(ReadValueList(HKEY_LOCAL_MACHINE, kRunKeyPath, kNativeView)), std::vector<std::string>{"machine"});
}

TEST(StartupStoreRead, LongNamesAndLargeDataAreReadWhole)
{
    RegistrySandbox sandbox;
    const std::string longName(8192, 'n');
    const std::string longestName(16383, 'x'); // the longest the registry allows
    const std::string largeText(100000, 't');
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "before", Sz("b.exe"));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, longName, Sz("n.exe"));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, longestName, Sz("x.exe"));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "large", Sz(largeText));
    ASSERT_TRUE(ReadStored(HKEY_CURRENT_USER, kRunKeyPath, longestName));

    EXPECT_EQ(Commands(ReadValueList(HKEY_CURRENT_USER, kRunKeyPath)),
              (std::map<std::string, std::string>{
                  {"before", "b.exe"}, {longName, "n.exe"}, {longestName, "x.exe"}, {"large", largeText}}));
}

TEST(StartupStoreRead, DataIsReadWithinItsOwnBytesAndNonTextIsRenderedAndMarked)
{
    RegistrySandbox sandbox;
    const struct {
        const char* name;
        StoredValue value;
        const char* shown;
        bool isText;
    } cases[] = {
        {"dword", Raw(REG_DWORD, std::string("\x00\x28\x6b\xee", 4)), "4000000000", false},
        {"qword", Raw(REG_QWORD, std::string("\x00\xf2\x05\x2a\x01\0\0\0", 8)), "5000000000", false},
        {"binary", Raw(REG_BINARY, std::string("\x01\xa0\xff", 3)), "01 a0 ff", false},
        {"multi", Raw(REG_MULTI_SZ, Utf16Bytes(std::string("a.exe\0b c\0\0", 11))), "a.exe; b c", false},
        {"multi without end", Raw(REG_MULTI_SZ, Utf16Bytes("a.exe")), "a.exe", false},
        {"none", Raw(REG_NONE, ""), "", false},
        {"no NUL", Raw(REG_SZ, Utf16Bytes("abc")), "abc", true},
        {"odd byte", Raw(REG_SZ, Utf16Bytes("abc") + "x"), "abc", true},
        {"inner NUL", Raw(REG_EXPAND_SZ, Utf16Bytes(std::string("ab\0zz", 5))), "ab", true},
        {"Cyrillic, CJK and beyond", Sz("C:\\Users\\Анна\\同步\\\xF0\x9F\x98\x80.exe"),
         "C:\\Users\\Анна\\同步\\\xF0\x9F\x98\x80.exe", true},
    };
    for (const auto& c : cases)
        WriteStored(HKEY_CURRENT_USER, kRunKeyPath, c.name, c.value);

    const StartupValueList values = ReadValueList(HKEY_CURRENT_USER, kRunKeyPath);
    ASSERT_EQ(values.size(), std::size(cases));
    for (const auto& c : cases) {
        const auto value = std::find_if(values.begin(), values.end(),
                                        [&](const StartupValue& v) { return v.name == W(c.name); });
        ASSERT_NE(value, values.end()) << c.name;
        EXPECT_EQ(U8(value->command), c.shown) << c.name;
        EXPECT_EQ(value->isText, c.isText) << c.name;
    }
}

TEST(StartupStoreRead, EveryOtherLogOnPlaceIsListedWithItsLocationAndWindowsOwnDefaultsAreNot)
{
    RegistrySandbox sandbox;
    StartupFolderSandbox folders;
    const HKEY user = HKEY_CURRENT_USER, machine = HKEY_LOCAL_MACHINE;
    const std::wstring onceEx = kInstallRunOnceExKeyPath;
    WriteStored(user, kInstallRunKeyPath, "sync", Sz("C:\\Users\\Анна\\sync.exe"));
    WriteStored(machine, kInstallRunKeyPath, "agent", Sz("agent.exe"), kNativeView);
    WriteStored(user, kInstallRunOnceKeyPath, "finish", Sz("finish.exe"));
    WriteStored(machine, kInstallRunOnceKeyPath, "cleanup", Sz("cleanup.exe"), kNativeView);
    WriteStored(user, (onceEx + L"\\0001").c_str(), "step", Sz("step.exe"));
    WriteStored(machine, (onceEx + L"\\0002\\Depend").c_str(), "dep", Sz("dep.exe"), kNativeView);
    WriteStored(user, kWindowsKeyPath, "Load", Sz("C:\\old\\load.exe"));
    WriteStored(user, kWindowsKeyPath, "Run", Sz(""));
    WriteStored(machine, kWinlogonKeyPath, "Taskman", Sz("C:\\taskman.exe"), kNativeView);
    WriteStored(machine, kWinlogonKeyPath, "VmApplet", Sz("SystemPropertiesPerformance.exe /pagefile"), kNativeView);
    WriteStored(user, kPolicySystemKeyPath, "Shell", Sz("C:\\kiosk.exe"));
    WriteStored(user, kEnvironmentKeyPath, "UserInitMprLogonScript", Sz("logon.bat"));
    const std::wstring logon = std::wstring(kLogonScriptsKeyPath) + L"\\0\\0";
    WriteStored(user, logon.c_str(), "Script", Sz("\\\\server\\share\\map drives.cmd"));
    WriteStored(user, logon.c_str(), "Parameters", Sz("/quiet"));
    WriteStored(user, (std::wstring(kLogonScriptsKeyPath) + L"\\0\\1").c_str(), "Parameters", Sz("no script"));
    WriteStored(machine, (std::wstring(kStartupScriptsKeyPath) + L"\\1\\0").c_str(), "Script", Sz("C:\\boot.ps1"),
                kNativeView);
    const std::wstring setup = kActiveSetupKeyPath;
    WriteStored(machine, (setup + L"\\{AAAA}").c_str(), "StubPath", Sz("C:\\setup\\stub.exe /user"), kNativeView);
    WriteStored(machine, (setup + L"\\{AAAA}").c_str(), "", Sz("A component"), kNativeView);
    WriteStored(machine, (setup + L"\\{BBBB}").c_str(), "Version", Sz("1,0"), kNativeView); // no StubPath
    WriteStored(machine, kSafeBootKeyPath, "AlternateShell", Sz("cmd.exe"), kNativeView);
    WriteStored(machine, kRdpTcpKeyPath, "InitialProgram", Sz(""), kNativeView);

    const std::vector<StartupSource> sources = StartupSources();
    std::vector<std::string> listed;
    for (const StartupEntry& entry : ReadStartupEntries(sources)) {
        const StartupSource& source = sources[entry.source];
        listed.push_back(U8(source.location) + ": " + U8(entry.value.name) + " = " + U8(entry.value.command)
                         + (IsSwitchable(source) ? "" : " (fixed)"));
    }
    EXPECT_EQ(listed, (std::vector<std::string>{
                          "User Install Start-Up: sync = C:\\Users\\Анна\\sync.exe",
                          "System Install Start-Up: agent = agent.exe",
                          "User Install Run-Once: finish = finish.exe (fixed)",
                          "System Install Run-Once: cleanup = cleanup.exe (fixed)",
                          "User Install Run-Once Ex: 0001\\step = step.exe (fixed)",
                          "System Install Run-Once Ex: 0002\\Depend\\dep = dep.exe (fixed)",
                          "User Logon (Load): Load = C:\\old\\load.exe (fixed)",
                          "System Logon (Taskman): Taskman = C:\\taskman.exe (fixed)",
                          "User Policy Logon (Shell): Shell = C:\\kiosk.exe (fixed)",
                          "User Logon Script: UserInitMprLogonScript = logon.bat (fixed)",
                          "User Logon Scripts (Group Policy): 0\\0\\map drives.cmd = "
                          "\"\\\\server\\share\\map drives.cmd\" /quiet (fixed)",
                          "System Start-Up Scripts (Group Policy): 1\\0\\boot.ps1 = C:\\boot.ps1 (fixed)",
                          "System Active Setup: {AAAA} = C:\\setup\\stub.exe /user (fixed)",
                      }))
        << "empty values and Windows' own defaults are not listed";

    // A fixed entry is never moved, and is addressed where it stands.
    for (std::size_t index = 0; index < sources.size(); ++index) {
        const StartupSource& source = sources[index];
        if (source.kind == StartupKind::Script && source.hive == user) {
            EXPECT_EQ(SwitchEntry(source, EntryPlace::Startup, L"0\\0\\map drives.cmd", false).outcome,
                      MoveOutcome::Failed);
            EXPECT_EQ(EntryAddressOf(source, EntryPlace::Startup, L"0\\0\\map drives.cmd").keyPath, logon);
        }
        if (source.kind == StartupKind::ActiveSetup && source.view != KEY_WOW64_32KEY) {
            EXPECT_EQ(EntryAddressOf(source, EntryPlace::Startup, L"{AAAA}").keyPath, setup + L"\\{AAAA}");
        }
    }
    EXPECT_TRUE(ReadStored(user, logon.c_str(), "Script"));
}

// Explorer and Windows' own log-on read the machine's User Shell Folders in
// the native view: an all-users Startup folder moved there is the one read,
// also by the 32-bit program, whatever the 32-bit view says.
TEST(StartupStoreRead, TheAllUsersStartupFolderIsWhereTheNativeViewPutsIt)
{
    RegistrySandbox sandbox;
    StartupFolderSandbox folders;
    SetKnownFolderPathsForTesting([&](int csidl) {
        return csidl == CSIDL_COMMON_STARTUP ? std::wstring() : W(folders.Path(csidl));
    });
    const std::string native = folders.Path(CSIDL_COMMON_APPDATA) + "\\native";
    const std::string view32 = folders.Path(CSIDL_COMMON_APPDATA) + "\\32-bit";
    for (const std::string& folder : {native, view32})
        ::CreateDirectoryW(W(folder).c_str(), nullptr);
    WriteFileText(native + "\\native.cmd", "n");
    WriteFileText(view32 + "\\redirected.cmd", "r");
    WriteStored(HKEY_LOCAL_MACHINE, kUserShellFoldersKeyPath, "Common Startup", Sz(native, REG_EXPAND_SZ), kNativeView);
    WriteStored(HKEY_LOCAL_MACHINE, kUserShellFoldersKeyPath, "Common Startup", Sz(view32, REG_EXPAND_SZ),
                KEY_WOW64_32KEY);

    const std::vector<StartupSource> sources = StartupSources();
    std::vector<std::string> listed;
    for (const StartupEntry& entry : ReadStartupEntries(sources))
        listed.push_back(U8(sources[entry.source].location) + ": " + U8(entry.value.command));
    EXPECT_EQ(listed, std::vector<std::string>{"All Users Start-Up Folder: " + native + "\\native.cmd"});
}

namespace {
// A subkey under its name as counted, which may hold a NUL, through the
// native call; closed by the caller.
HKEY CreateCountedKey(HKEY hive, const wchar_t* path, const std::wstring& name)
{
    using CreateKey = NTSTATUS(NTAPI*)(HANDLE*, ACCESS_MASK, OBJECT_ATTRIBUTES*, ULONG, UNICODE_STRING*, ULONG, ULONG*);
    const auto create = reinterpret_cast<CreateKey>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtCreateKey")));
    HKEY parent = nullptr;
    ::RegCreateKeyExW(hive, path, 0, nullptr, 0, KEY_ALL_ACCESS | kNativeView, nullptr, &parent, nullptr);
    UNICODE_STRING counted{static_cast<USHORT>(name.size() * sizeof(wchar_t)),
                           static_cast<USHORT>(name.size() * sizeof(wchar_t)), const_cast<wchar_t*>(name.data())};
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &counted, 0, parent, nullptr);
    HANDLE key = nullptr;
    create(&key, KEY_ALL_ACCESS, &attributes, 0, nullptr, 0, nullptr);
    ::RegCloseKey(parent);
    return static_cast<HKEY>(key);
}
} // namespace

TEST(StartupStoreRead, ANameHoldingANulIsShownWithItAndNeverTakenForAnother)
{
    RegistrySandbox sandbox;
    StartupFolderSandbox folders;
    const HKEY user = HKEY_CURRENT_USER;
    const std::wstring nul(L"GoodApp\0x", 9);
    const std::wstring section = std::wstring(kRunOnceExKeyPath) + L"\\0001";
    WriteStored(user, kRunKeyPath, "GoodApp", Sz("good.exe"));
    WriteStoredCounted(user, kRunKeyPath, nul, Sz("other.exe"));
    WriteStoredCounted(user, kDisabledKeyPath, nul, Sz("parked.exe"));
    WriteStoredCounted(user, kRunOnceKeyPath, nul, Sz("once.exe"));
    WriteStoredCounted(HKEY_LOCAL_MACHINE, section.c_str(), nul, Sz("step.exe"));
    // Windows' own switch off for the name before the NUL, and for the name as shown.
    WriteStored(user, kApprovedRunKeyPath, "GoodApp", kWindowsOff);
    WriteStored(user, kApprovedRunKeyPath, "GoodApp\\0x", kWindowsOff);
    // A component whose key name holds a NUL, beside the key the name before it names.
    WriteStored(HKEY_LOCAL_MACHINE, (std::wstring(kActiveSetupKeyPath) + L"\\{AAAA}").c_str(), "StubPath",
                Sz("setup.exe"));
    const HKEY component = CreateCountedKey(HKEY_LOCAL_MACHINE, kActiveSetupKeyPath, L"{AAAA}" + nul.substr(7));
    ::RegSetValueExW(component, L"StubPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"other.exe"), 20);
    ::RegCloseKey(component);

    const std::vector<StartupSource> sources = StartupSources();
    const auto listed = [&] {
        std::vector<std::string> lines;
        for (const StartupEntry& entry : ReadStartupEntries(sources))
            lines.push_back(U8(sources[entry.source].location) + (entry.place == EntryPlace::Startup ? ": " : " off: ")
                            + U8(entry.value.name) + " = " + U8(entry.value.command)
                            + (EntryId(entry.value) == entry.value.name ? "" : " (by its counted name)")
                            + (entry.value.fixed ? " (fixed)" : "")
                            + (entry.offForWindows ? " (off for Windows)" : ""));
        return lines;
    };
    const std::vector<std::string> before = listed();
    EXPECT_EQ(before, (std::vector<std::string>{
                          "User Start-Up: GoodApp = good.exe (off for Windows)",
                          "User Start-Up: GoodApp\\0x = other.exe (by its counted name) (fixed)",
                          "User Run-Once: GoodApp\\0x = once.exe (by its counted name) (fixed)",
                          "System Run-Once Ex: 0001\\GoodApp\\0x = step.exe (by its counted name) (fixed)",
                          "System Active Setup: {AAAA} = setup.exe",
                          "User Start-Up off: GoodApp\\0x = parked.exe (by its counted name) (fixed)",
                      }));

    // No move can address it: its box is fixed, and a move is refused, nothing written.
    const StartupSource& run = sources.at(0);
    ASSERT_EQ(run.keyPath, kRunKeyPath);
    EXPECT_EQ(SwitchEntry(run, EntryPlace::Startup, nul, false).outcome, MoveOutcome::Failed);
    EXPECT_EQ(SwitchEntry(run, EntryPlace::Parked, nul, true).outcome, MoveOutcome::Failed);
    EXPECT_EQ(listed(), before);
    EXPECT_EQ(ReadStored(user, kApprovedRunKeyPath, "GoodApp"), kWindowsOff);

    // Jump to Entry goes to the key that holds it.
    for (const StartupSource& source : sources) {
        if (source.kind == StartupKind::RunOnceEx && source.keyPath == kRunOnceExKeyPath && source.view != KEY_WOW64_32KEY) {
            EXPECT_EQ(EntryAddressOf(source, EntryPlace::Startup, section.substr(section.size() - 4) + L"\\" + nul)
                          .keyPath,
                      section);
        }
    }

    // A saved list holds the name as shown, and reads back the same.
    std::vector<EntryReport> reports;
    for (const StartupEntry& entry : ReadStartupEntries(sources))
        reports.push_back({entry.value.name, sources[entry.source].location, entry.value.command, L"", L""});
    const SavedListReading reading = ReadSavedList(StartupListCsv(reports));
    EXPECT_EQ(reading.error, L"");
    ASSERT_EQ(reading.entries.size(), reports.size());
    for (std::size_t i = 0; i < reports.size(); ++i)
        EXPECT_EQ(reading.entries[i].program, reports[i].program);
}
