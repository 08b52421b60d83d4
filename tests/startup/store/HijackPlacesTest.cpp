// Image hijacks, the libraries Windows loads into its programs, and the
// single values switched by moving them: what is listed where, what is not
// there (Windows' own, empty, of the wrong type) is not, and every switch
// moves the value whole and back again.

#include "pages/startup/store/PlaceKind.h"
#include "pages/startup/store/StartupMoves.h"
#include "pages/startup/store/StartupStore.h"
#include "support/RegistrySandbox.h"
#include "startup/StartupFolderSandbox.h"
#include "startup/store/StoredValue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

namespace {
using Stored = std::optional<StoredValue>;

const HKEY kUser = HKEY_CURRENT_USER;
const HKEY kMachine = HKEY_LOCAL_MACHINE;
const REGSAM k32 = KEY_WOW64_32KEY;

std::wstring Below(const wchar_t* path, const std::string& name) { return std::wstring(path) + L"\\" + W(name); }

StoredValue Dword(std::uint32_t number)
{
    return Raw(REG_DWORD, std::string(reinterpret_cast<const char*>(&number), sizeof(number)));
}

// Long texts by their length, so that a failure stays readable.
std::string Shown(const std::wstring& text)
{
    return text.size() > 300 ? "(" + std::to_string(text.size()) + " characters)" : U8(text);
}

// Every entry of the places as "Location[ off]: name = command[ (fixed)]".
std::vector<std::string> Listed(const std::vector<StartupSource>& sources)
{
    std::vector<std::string> lines;
    for (const StartupEntry& entry : ReadStartupEntries(sources)) {
        const StartupSource& source = sources[entry.source];
        lines.push_back(U8(source.location) + (entry.place == EntryPlace::Parked ? " off" : "") + ": "
                        + Shown(entry.value.name) + " = " + Shown(entry.value.command)
                        + (IsSwitchable(source) && !entry.value.fixed ? "" : " (fixed)"));
    }
    return lines;
}

const StartupSource& SourceAt(const std::vector<StartupSource>& sources, const std::string& location)
{
    const auto found = std::find_if(sources.begin(), sources.end(),
                                    [&](const StartupSource& s) { return U8(s.location) == location; });
    EXPECT_NE(found, sources.end()) << location;
    return *found;
}

std::string AddressOf(const std::vector<StartupSource>& sources, const std::string& location, EntryPlace place,
                      const std::string& name)
{
    const EntryAddress address = EntryAddressOf(SourceAt(sources, location), place, W(name));
    return U8(address.keyPath) + (address.view == k32 ? " (32-bit)" : "");
}
} // namespace

TEST(HijackPlaces, EachIsListedWithItsLocationAndWhatIsNotThereOrWindowsOwnIsNot)
{
    RegistrySandbox sandbox;
    StartupFolderSandbox folders;
    const std::string huge(40000, 'h');
    const struct {
        HKEY hive;
        REGSAM view;
        std::wstring key;
        std::string name;
        StoredValue value;
    } stored[] = {
        // Debuggers: any text that is not empty, in any script and of any size.
        {kMachine, kNativeView, Below(kImageOptionsKeyPath, "evil.exe"), "Debugger", Sz("C:\\dbg\\evil.exe -q")},
        {kMachine, kNativeView, Below(kImageOptionsKeyPath, "程序.exe"), "Debugger",
         Sz("%SystemRoot%\\Анна.exe", REG_EXPAND_SZ)},
        {kMachine, kNativeView, Below(kImageOptionsKeyPath, "huge.exe"), "Debugger", Sz(huge)},
        {kMachine, kNativeView, Below(kImageOptionsKeyPath, "empty.exe"), "Debugger", Sz("")},
        {kMachine, kNativeView, Below(kImageOptionsKeyPath, "number.exe"), "Debugger", Dword(1)},
        {kMachine, kNativeView, Below(kImageOptionsKeyPath, "flags.exe"), "GlobalFlag", Dword(0x200)},
        {kMachine, kNativeView, Below(kImageOptionsKeyPath, "Your Image File Name Here without a path"), "Debugger",
         Sz("ntsd -d")},
        {kMachine, k32, Below(kImageOptionsKeyPath, "notepad.exe"), "Debugger", Sz("C:\\同步\\32.exe")},
        // Exit monitors, where the program's GlobalFlag in the same view holds 0x200.
        {kMachine, kNativeView, Below(kImageOptionsKeyPath, "dword.exe"), "GlobalFlag", Dword(0x10200)},
        {kMachine, kNativeView, Below(kImageOptionsKeyPath, "hex.exe"), "GlobalFlag", Sz(" 0x00000200")},
        {kMachine, kNativeView, Below(kImageOptionsKeyPath, "decimal.exe"), "GlobalFlag", Sz("512")},
        {kMachine, kNativeView, Below(kImageOptionsKeyPath, "other.exe"), "GlobalFlag", Dword(0x100)},
        {kMachine, kNativeView, Below(kImageOptionsKeyPath, "binary.exe"), "GlobalFlag",
         Raw(REG_BINARY, std::string("\0\x02\0\0", 4))},
        {kMachine, kNativeView, Below(kImageOptionsKeyPath, "view.exe"), "GlobalFlag", Dword(0x200)},
        {kMachine, kNativeView, Below(kSilentProcessExitKeyPath, "dword.exe"), "MonitorProcess", Sz("C:\\mon.exe")},
        {kMachine, kNativeView, Below(kSilentProcessExitKeyPath, "hex.exe"), "MonitorProcess", Sz("C:\\hex.exe")},
        {kMachine, kNativeView, Below(kSilentProcessExitKeyPath, "decimal.exe"), "MonitorProcess", Sz("dec.exe")},
        {kMachine, kNativeView, Below(kSilentProcessExitKeyPath, "other.exe"), "MonitorProcess", Sz("o.exe")},
        {kMachine, kNativeView, Below(kSilentProcessExitKeyPath, "binary.exe"), "MonitorProcess", Sz("b.exe")},
        {kMachine, kNativeView, Below(kSilentProcessExitKeyPath, "none.exe"), "MonitorProcess", Sz("n.exe")},
        {kMachine, k32, Below(kSilentProcessExitKeyPath, "view.exe"), "MonitorProcess", Sz("v.exe")},
        // AutoRun of the user and of each view of the machine.
        {kUser, 0, kCommandProcessorKeyPath, "AutoRun", Sz("echo hi & C:\\Анна\\init.cmd")},
        {kMachine, kNativeView, kCommandProcessorKeyPath, "AutoRun", Sz("")},
        {kMachine, k32, kCommandProcessorKeyPath, "AutoRun", Sz("C:\\auto32.cmd")},
        // Open commands: Windows' own are not listed, the user's stand beside the machine's.
        {kMachine, kNativeView, L"Software\\Classes\\exefile\\shell\\open\\command", "", Sz("\"%1\" %*")},
        {kMachine, kNativeView, L"Software\\Classes\\batfile\\shell\\open\\command", "", Sz(" \"%1\" %* ")},
        {kMachine, kNativeView, L"Software\\Classes\\cmdfile\\shell\\open\\command", "", Dword(0)},
        {kMachine, kNativeView, L"Software\\Classes\\comfile\\shell\\open\\command", "", Sz("C:\\x.exe \"%1\"")},
        {kMachine, kNativeView, L"Software\\Classes\\htmlfile\\shell\\open\\command", "",
         Sz("\"%ProgramFiles%\\Internet Explorer\\IEXPLORE.EXE\" -nohome %1", REG_EXPAND_SZ)},
        {kUser, 0, L"Software\\Classes\\exefile\\shell\\open\\command", "", Sz("\"C:\\evil.exe\" \"%1\" %*")},
        {kUser, 0, L"Software\\Classes\\htmlfile\\shell\\open\\command", "",
         Sz("\"%ProgramFiles%\\Internet Explorer\\iexplore.exe\" http://elsewhere")},
        {kUser, 0, L"Software\\Classes\\batfile\\shell\\open\\command", "", Sz("")},
    };
    for (const auto& s : stored)
        WriteStored(s.hive, s.key.c_str(), s.name, s.value, s.view);

    const std::vector<StartupSource> sources = StartupSources();
    EXPECT_EQ(Listed(sources), (std::vector<std::string>{
                                   "System Image Hijacks (Debugger): evil.exe = C:\\dbg\\evil.exe -q",
                                   "System Image Hijacks (Debugger): huge.exe = (40000 characters)",
                                   "System Image Hijacks (Debugger): 程序.exe = %SystemRoot%\\Анна.exe",
                                   "System Image Hijacks (Debugger) (32-bit): notepad.exe = C:\\同步\\32.exe",
                                   "System Image Hijacks (Exit Monitor): decimal.exe = dec.exe",
                                   "System Image Hijacks (Exit Monitor): dword.exe = C:\\mon.exe",
                                   "System Image Hijacks (Exit Monitor): hex.exe = C:\\hex.exe",
                                   "User Command Processor (AutoRun): AutoRun = echo hi & C:\\Анна\\init.cmd",
                                   "System Command Processor (AutoRun) (32-bit): AutoRun = C:\\auto32.cmd",
                                   "User Open Commands: exefile = \"C:\\evil.exe\" \"%1\" %* (fixed)",
                                   "User Open Commands: htmlfile = \"%ProgramFiles%\\Internet Explorer\\iexplore.exe\""
                                   " http://elsewhere (fixed)",
                                   "System Open Commands: comfile = C:\\x.exe \"%1\" (fixed)",
                               }));

    // Jump to Entry opens the key that holds it; an open command is never switched.
    EXPECT_EQ(AddressOf(sources, "System Image Hijacks (Debugger) (32-bit)", EntryPlace::Startup, "notepad.exe"),
              U8(kImageOptionsKeyPath) + "\\notepad.exe (32-bit)");
    EXPECT_EQ(AddressOf(sources, "System Image Hijacks (Exit Monitor)", EntryPlace::Parked, "hex.exe"),
              "Software\\Quorvane\\DisabledExitMonitors");
    EXPECT_EQ(AddressOf(sources, "User Open Commands", EntryPlace::Startup, "exefile"),
              "Software\\Classes\\exefile\\shell\\open\\command");
    EXPECT_EQ(SwitchEntry(SourceAt(sources, "User Open Commands"), EntryPlace::Startup, L"exefile", false).outcome,
              MoveOutcome::Failed);
    EXPECT_EQ(ReadStored(kUser, L"Software\\Classes\\exefile\\shell\\open\\command", "", 0),
              Sz("\"C:\\evil.exe\" \"%1\" %*"));

    // None of them is a program of the log-on; each is read once the window is drawn, in its group.
    const PlaceGroup hijacks = PlaceGroup::ImageHijacks, libraries = PlaceGroup::Libraries;
    const std::map<StartupKind, PlaceGroup> groups = {
        {StartupKind::Debugger, hijacks},      {StartupKind::ExitMonitor, hijacks},
        {StartupKind::AutoRun, hijacks},       {StartupKind::OpenCommand, hijacks},
        {StartupKind::AppInit, libraries},     {StartupKind::AppCert, libraries},
        {StartupKind::NetshHelper, libraries}, {StartupKind::ScreenSaver, PlaceGroup::LogOn},
        {StartupKind::OfficeTest, PlaceGroup::Office}};
    for (const StartupSource& source : sources) {
        if (groups.count(source.kind)) {
            EXPECT_TRUE(source.outsideLogOn && PlaceKindOf(source.kind).ReadInBackground()) << U8(source.location);
            EXPECT_EQ(source.group, groups.at(source.kind)) << U8(source.location);
        }
    }
}

TEST(LibraryPlaces, EachLibraryIsListedOnceAndOnlyWhereWindowsLoadsIt)
{
    const std::vector<StartupSource> sources = StartupSources();
    // LoadAppInit_DLLs decides whether the list is read at all.
    const struct {
        Stored load;
        bool listed;
    } loads[] = {{std::nullopt, false}, {Dword(0), false}, {Dword(1), true}, {Sz("1"), false}};
    for (const auto& c : loads) {
        RegistrySandbox sandbox;
        StartupFolderSandbox folders;
        WriteStored(kMachine, kWindowsKeyPath, "AppInit_DLLs", Sz("lib.dll"));
        if (c.load)
            WriteStored(kMachine, kWindowsKeyPath, "LoadAppInit_DLLs", *c.load);
        EXPECT_EQ(Listed(sources), c.listed ? std::vector<std::string>{"System AppInit Libraries: lib.dll = lib.dll"}
                                            : std::vector<std::string>{});
    }

    RegistrySandbox sandbox;
    StartupFolderSandbox folders;
    const std::string huge(20000, 'h');
    WriteStored(kMachine, kWindowsKeyPath, "LoadAppInit_DLLs", Dword(1));
    WriteStored(kMachine, kWindowsKeyPath, "AppInit_DLLs",
                Sz(",a.dll,, b.dll  C:\\Libs\\Анна.dll,A.DLL ," + huge + " b.dll "));
    std::string many;
    for (int i = 0; i < 300; ++i)
        many += "m" + std::to_string(i) + ".dll ";
    WriteStored(kMachine, kWindowsKeyPath, "LoadAppInit_DLLs", Dword(1), k32);
    WriteStored(kMachine, kWindowsKeyPath, "AppInit_DLLs", Sz(many), k32);
    WriteStored(kMachine, kAppCertDllsKeyPath, "cert", Sz("C:\\certs\\cert.dll"));
    WriteStored(kMachine, kAppCertDllsKeyPath, "empty", Sz(""));
    WriteStored(kMachine, kAppCertDllsKeyPath, "number", Dword(7));
    WriteStoredCounted(kMachine, kAppCertDllsKeyPath, std::wstring(L"nul\0x", 5), Sz("C:\\nul.dll"));
    WriteStored(kMachine, kNetshKeyPath, "ifmon", Sz("ifmon.dll"));
    WriteStored(kMachine, kNetshKeyPath, "helper", Sz("msv1_0"), k32);

    std::vector<std::string> listed = Listed(sources);
    const std::string first256 = "System AppInit Libraries (32-bit): ";
    const auto many32 = std::stable_partition(listed.begin(), listed.end(),
                                              [&](const std::string& line) { return line.rfind(first256, 0) != 0; });
    EXPECT_EQ(listed.end() - many32, 256) << "no more libraries of one list than that";
    listed.erase(many32, listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{
                          "System AppInit Libraries: a.dll = a.dll",
                          "System AppInit Libraries: b.dll = b.dll",
                          "System AppInit Libraries: C:\\Libs\\Анна.dll = C:\\Libs\\Анна.dll",
                          "System AppInit Libraries: (20000 characters) = (20000 characters) (fixed)",
                          "System AppCert Libraries: cert = C:\\certs\\cert.dll",
                          "System AppCert Libraries: nul\\0x = C:\\nul.dll (fixed)",
                          "System Netsh Helpers: ifmon = ifmon.dll",
                          "System Netsh Helpers (32-bit): helper = msv1_0",
                      }));

    // The details are those of the library, found in the system folder where it is named alone.
    const struct {
        StartupKind kind;
        const char* command;
        const char* details;
    } details[] = {
        {StartupKind::AppCert, "C:\\certs\\my cert.dll", "\"C:\\certs\\my cert.dll\""},
        {StartupKind::NetshHelper, "ifmon.dll", "\"%SystemRoot%\\System32\\ifmon.dll\""},
        {StartupKind::AppInit, "msv1_0", "\"%SystemRoot%\\System32\\msv1_0.dll\""},
    };
    for (const auto& d : details)
        EXPECT_EQ(U8(PlaceKindOf(d.kind).DetailsCommand(L"x", L"x", W(d.command))), d.details) << d.command;
    EXPECT_EQ(AddressOf(sources, "System Netsh Helpers (32-bit)", EntryPlace::Startup, "helper"),
              "Software\\Microsoft\\NetSh (32-bit)");
}

namespace {
// Where a switchable kind's entry stands for Windows: its key and value name.
struct Slot {
    std::wstring key;
    std::string value;
};

Slot StartupSlot(const StartupSource& source, const std::string& program)
{
    switch (source.kind) {
    case StartupKind::Debugger:
    case StartupKind::ExitMonitor: return {Below(source.keyPath, program), U8(source.valueName)};
    case StartupKind::AppCert:
    case StartupKind::NetshHelper: return {source.keyPath, program};
    default: return {source.keyPath, U8(source.valueName)};
    }
}

// The entry as the list names it, and its value's name in the disabled key.
std::string ListedName(const StartupSource& source, const std::string& program)
{
    if (source.kind == StartupKind::OfficeTest)
        return "Perf";
    return source.valueName && source.kind != StartupKind::Debugger && source.kind != StartupKind::ExitMonitor
               ? U8(source.valueName)
               : program;
}

std::string ParkedName(const StartupSource& source, const std::string& program)
{
    return source.kind == StartupKind::OfficeTest ? "" : ListedName(source, program);
}
} // namespace

TEST(SwitchedValues, EverySwitchMovesTheValueWithItsBytesToTheDisabledKeyOfItsViewAndBack)
{
    const std::string program = "Анна 同步.exe";
    // Expandable text without its closing NUL: the bytes must come back exactly.
    const StoredValue entry = Raw(REG_EXPAND_SZ, Utf16Bytes("\"%ProgramFiles%\\Анна\\tool.exe\" /x"));
    const std::vector<StartupSource> sources = StartupSources();
    const std::set<StartupKind> moved = {StartupKind::Debugger, StartupKind::ExitMonitor, StartupKind::AutoRun,
                                         StartupKind::AppCert,  StartupKind::NetshHelper, StartupKind::ScreenSaver,
                                         StartupKind::OfficeTest};
    int kinds = 0;
    for (std::size_t index = 0; index < sources.size(); ++index) {
        const StartupSource& source = sources[index];
        if (moved.count(source.kind) == 0)
            continue;
        SCOPED_TRACE(U8(source.location));
        ++kinds;
        RegistrySandbox sandbox;
        const Slot slot = StartupSlot(source, program);
        const std::string name = ListedName(source, program);
        const std::string parked = ParkedName(source, program);
        WriteStored(source.hive, slot.key.c_str(), slot.value, entry, source.view);
        if (source.kind == StartupKind::ExitMonitor)
            WriteStored(source.hive, Below(kImageOptionsKeyPath, program).c_str(), "GlobalFlag", Dword(0x200),
                        source.view);
        if (source.kind == StartupKind::ScreenSaver)
            WriteStored(source.hive, source.keyPath, "ScreenSaveActive", Sz("1"), source.view);
        const auto listed = [&] {
            std::vector<std::string> lines;
            for (const StartupEntry& e : ReadStartupEntries(sources, SourceSet::Of(index)))
                lines.push_back((e.place == EntryPlace::Parked ? "off: " : "on: ") + U8(e.value.name) + " = "
                                + U8(e.value.command));
            return lines;
        };
        const std::string command = "\"%ProgramFiles%\\Анна\\tool.exe\" /x";
        EXPECT_EQ(listed(), std::vector<std::string>{"on: " + name + " = " + command});

        const MoveResult off = SwitchEntry(source, EntryPlace::Startup, W(name), false);
        EXPECT_EQ(off.outcome, MoveOutcome::Moved);
        EXPECT_EQ(off.place, EntryPlace::Parked);
        EXPECT_FALSE(ReadStored(source.hive, slot.key.c_str(), slot.value, source.view));
        EXPECT_EQ(ReadStored(source.hive, source.disabledKeyPath, parked, source.view), entry);
        EXPECT_EQ(listed(), std::vector<std::string>{"off: " + name + " = " + command});
        EXPECT_EQ(U8(EntryAddressOf(source, EntryPlace::Parked, W(name)).keyPath), U8(source.disabledKeyPath));

        // Back again, also where the key that held it is gone meanwhile; but
        // never over another value standing where it goes.
        WriteStored(source.hive, slot.key.c_str(), slot.value, Sz("other.exe"), source.view);
        EXPECT_EQ(SwitchEntry(source, EntryPlace::Parked, W(name), true).outcome, MoveOutcome::NameTaken);
        EXPECT_EQ(ReadStored(source.hive, slot.key.c_str(), slot.value, source.view), Sz("other.exe"));
        EXPECT_EQ(ReadStored(source.hive, source.disabledKeyPath, parked, source.view), entry);
        ::RegDeleteKeyExW(source.hive, slot.key.c_str(), source.view, 0);
        EXPECT_EQ(SwitchEntry(source, EntryPlace::Parked, W(name), true).outcome, MoveOutcome::Moved);
        EXPECT_EQ(ReadStored(source.hive, slot.key.c_str(), slot.value, source.view), entry);
        EXPECT_FALSE(ReadStored(source.hive, source.disabledKeyPath, parked, source.view));
        EXPECT_EQ(SwitchEntry(source, EntryPlace::Parked, W(name), true).outcome, MoveOutcome::Gone);
    }
    EXPECT_EQ(kinds, 12) << "every view of every kind that switches one value";
}

TEST(SwitchedValues, AnAppInitLibraryLeavesTheListWithOneSeparatorAndComesBackAtItsEnd)
{
    const struct {
        const char* what;
        std::string before; // the list, as stored
        const char* library;
        MoveOutcome outcome;
        std::string after; // the list once it is switched off
        std::string back;  // and once it is switched on again
    } cases[] = {
        {"one in the middle", "a.dll b.dll,c.dll", "b.dll", MoveOutcome::Moved, "a.dll c.dll", "a.dll c.dll b.dll"},
        {"the last, after a comma", "a.dll,c.dll", "C.DLL", MoveOutcome::Moved, "a.dll", "a.dll c.dll"},
        {"named twice", "A.dll, b.dll a.dll", "a.dll", MoveOutcome::Moved, " b.dll", " b.dll A.dll"},
        {"the only one", "x.dll", "x.dll", MoveOutcome::Moved, "", "x.dll"},
        {"what follows the first NUL", std::string("a.dll b.dll\0junk", 16), "b.dll", MoveOutcome::Moved,
         std::string("a.dll\0junk", 10), std::string("a.dll b.dll\0junk", 16)},
        {"not in the list", "a.dll", "b.dll", MoveOutcome::Gone, "a.dll", "a.dll"},
    };
    const std::vector<StartupSource> sources = StartupSources();
    for (const auto& c : cases) {
        for (std::size_t index = 0; index < sources.size(); ++index) {
            const StartupSource& source = sources[index];
            if (source.kind != StartupKind::AppInit)
                continue;
            SCOPED_TRACE(std::string(c.what) + ", " + U8(source.location));
            RegistrySandbox sandbox;
            const auto list = [&] { return ReadStored(kMachine, kWindowsKeyPath, "AppInit_DLLs", source.view); };
            const StoredValue before = Raw(REG_EXPAND_SZ, Utf16Bytes(c.before) + std::string(2, '\0'));
            WriteStored(kMachine, kWindowsKeyPath, "LoadAppInit_DLLs", Dword(1), source.view);
            WriteStored(kMachine, kWindowsKeyPath, "AppInit_DLLs", before, source.view);

            const MoveResult off = SwitchEntry(source, EntryPlace::Startup, W(c.library), false);
            EXPECT_EQ(off.outcome, c.outcome);
            EXPECT_EQ(list(), Raw(REG_EXPAND_SZ, Utf16Bytes(c.after) + std::string(2, '\0')));
            if (off.outcome != MoveOutcome::Moved)
                continue;
            const std::string kept = U8(off.command);
            EXPECT_EQ(ReadStored(kMachine, kDisabledAppInitKeyPath, kept, source.view), Sz(kept));
            const std::vector<StartupEntry> entries = ReadStartupEntries(sources, SourceSet::Of(index));
            ASSERT_FALSE(entries.empty());
            EXPECT_EQ(U8(entries.back().value.name), kept);
            EXPECT_EQ(entries.back().place, EntryPlace::Parked);

            EXPECT_EQ(SwitchEntry(source, EntryPlace::Parked, W(kept), true).outcome, MoveOutcome::Moved);
            EXPECT_EQ(list(), Raw(REG_EXPAND_SZ, Utf16Bytes(c.back) + std::string(2, '\0')));
            EXPECT_FALSE(ReadStored(kMachine, kDisabledAppInitKeyPath, kept, source.view));
        }
    }

    // A kept library of that name that is not the same is never replaced, a
    // list of libraries never goes back, and a list that is gone is made again.
    RegistrySandbox sandbox;
    const StartupSource& native = SourceAt(sources, "System AppInit Libraries");
    WriteStored(kMachine, kWindowsKeyPath, "AppInit_DLLs", Sz("a.dll b.dll"));
    WriteStored(kMachine, kDisabledAppInitKeyPath, "b.dll", Sz("B.DLL"));
    WriteStored(kMachine, kDisabledAppInitKeyPath, "pair", Sz("c.dll d.dll"));
    WriteStored(kMachine, kDisabledAppInitKeyPath, "e.dll", Sz("e.dll"));
    EXPECT_EQ(SwitchEntry(native, EntryPlace::Startup, L"b.dll", false).outcome, MoveOutcome::NameTaken);
    EXPECT_EQ(SwitchEntry(native, EntryPlace::Parked, L"pair", true).outcome, MoveOutcome::Failed);
    EXPECT_EQ(ReadStored(kMachine, kWindowsKeyPath, "AppInit_DLLs"), Sz("a.dll b.dll"));
    EXPECT_EQ(ReadStored(kMachine, kDisabledAppInitKeyPath, "b.dll"), Sz("B.DLL"));
    ::RegDeleteKeyExW(kMachine, kWindowsKeyPath, kNativeView, 0);
    EXPECT_EQ(SwitchEntry(native, EntryPlace::Parked, L"e.dll", true).outcome, MoveOutcome::Moved);
    EXPECT_EQ(ReadStored(kMachine, kWindowsKeyPath, "AppInit_DLLs"), Sz("e.dll"));
}
