// Classes that Windows, Explorer and Office load: how a class's library is
// found, and each place that names classes, listed with its Location, never
// switched, and addressed at its key.

#include "pages/startup/store/ClassLibrary.h"
#include "pages/startup/store/PlaceKind.h"
#include "pages/startup/store/StartupMoves.h"
#include "pages/startup/store/StartupStore.h"
#include "support/RegistrySandbox.h"
#include "startup/store/StoredValue.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

namespace {

const REGSAM kView32 = KEY_WOW64_32KEY;

// A class id of its own for each number.
std::string Clsid(int n)
{
    char text[40];
    std::snprintf(text, sizeof(text), "{00000000-0000-0000-0000-%012d}", n);
    return text;
}

std::wstring ClassPath(const std::string& clsid, const std::string& sub = "")
{
    return W("Software\\Classes\\CLSID\\" + clsid + (sub.empty() ? "" : "\\" + sub));
}

// The default value of CLSID\{clsid}\<sub> in one hive and view.
void Register(HKEY hive, const std::string& clsid, const std::string& sub, const StoredValue& value,
              REGSAM view = kNativeView)
{
    WriteStored(hive, ClassPath(clsid, sub).c_str(), "", value, view);
}

void RegisterLibrary(HKEY hive, const std::string& clsid, const std::string& name, const std::string& library,
                     REGSAM view = kNativeView)
{
    if (!name.empty())
        Register(hive, clsid, "", Sz(name), view);
    Register(hive, clsid, "InprocServer32", Sz(library), view);
}

// The entries of the sources of the given kinds, as "Location: name =
// command (fixed)" lines; each fixed entry's switch is tried and must fail.
std::vector<std::string> Listed(const std::set<StartupKind>& kinds)
{
    const std::vector<StartupSource> sources = StartupSources();
    std::vector<std::string> lines;
    for (const StartupEntry& entry : ReadStartupEntries(sources)) {
        const StartupSource& source = sources[entry.source];
        if (!kinds.count(source.kind))
            continue;
        lines.push_back(U8(source.location) + ": " + U8(entry.value.name) + " = " + U8(entry.value.command)
                        + (IsSwitchable(source) ? "" : " (fixed)"));
        EXPECT_EQ(SwitchEntry(source, EntryPlace::Startup, EntryId(entry.value), false).outcome, MoveOutcome::Failed);
    }
    return lines;
}

const StartupSource& SourceAt(const std::string& location)
{
    static const std::vector<StartupSource> sources = StartupSources();
    for (const StartupSource& source : sources) {
        if (U8(source.location) == location)
            return source;
    }
    throw std::runtime_error("no source " + location);
}

std::string AddressOf(const std::string& location, const std::string& id)
{
    const StartupSource& source = SourceAt(location);
    const EntryAddress address = EntryAddressOf(source, EntryPlace::Startup, W(id));
    return (address.hive == HKEY_CURRENT_USER ? "HKCU" : "HKLM")
           + std::string(address.view == KEY_WOW64_32KEY ? "/32" : address.view ? "/64" : "") + " "
           + U8(address.keyPath);
}

const std::wstring kCv = L"Software\\Microsoft\\Windows\\CurrentVersion\\";

} // namespace

TEST(ClassLibrary, TheUserFirstThenTheMachineFollowingTreatAsWithinItsBound)
{
    RegistrySandbox sandbox;
    const HKEY user = HKEY_CURRENT_USER, machine = HKEY_LOCAL_MACHINE;
    RegisterLibrary(user, Clsid(1), "Mine", "C:\\Users\\Анна\\mine.dll");
    RegisterLibrary(machine, Clsid(1), "Theirs", "%SystemRoot%\\System32\\theirs.dll");
    Register(user, Clsid(2), "", Sz("")); // the user's key has only an empty name
    RegisterLibrary(machine, Clsid(2), "Machine's", "C:\\m2.dll");
    Register(machine, Clsid(3), "", Sz("No server"));
    Register(machine, Clsid(4), "", Raw(REG_DWORD, std::string("\1\0\0\0", 4)));
    Register(machine, Clsid(4), "InprocServer32", Raw(REG_DWORD, std::string("\1\0\0\0", 4)));
    Register(machine, Clsid(4), "LocalServer32", Sz("\"C:\\srv.exe\" -Embedding"));
    RegisterLibrary(machine, Clsid(5), "Shadowed by a wrong type", "C:\\m5.dll");
    Register(user, Clsid(5), "InprocServer32", Raw(REG_BINARY, "\1\2"));
    // TreatAs: a step, a loop, one to itself, one that is no class, a chain.
    RegisterLibrary(machine, Clsid(10), "Emulated", "C:\\old.dll");
    Register(machine, Clsid(10), "TreatAs", Sz(Clsid(11)));
    RegisterLibrary(user, Clsid(11), "", "C:\\new.dll");
    Register(machine, Clsid(12), "TreatAs", Sz(Clsid(13)));
    Register(machine, Clsid(13), "TreatAs", Sz(Clsid(12)));
    RegisterLibrary(machine, Clsid(13), "", "C:\\loop.dll");
    RegisterLibrary(machine, Clsid(14), "Itself", "C:\\self.dll");
    Register(machine, Clsid(14), "TreatAs", Sz(Clsid(14)));
    RegisterLibrary(machine, Clsid(15), "", "C:\\own.dll");
    Register(machine, Clsid(15), "TreatAs", Sz("not a class"));
    HKEY classes = nullptr;
    ::RegCreateKeyExW(machine, L"Software\\Classes\\CLSID", 0, nullptr, 0, KEY_ALL_ACCESS | kNativeView, nullptr,
                      &classes, nullptr);
    for (int link = 0; link < 1000; ++link) {
        HKEY treatAs = nullptr;
        const std::wstring next = W(Clsid(1001 + link));
        ::RegCreateKeyExW(classes, W(Clsid(1000 + link) + "\\TreatAs").c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                          &treatAs, nullptr);
        ::RegSetValueExW(treatAs, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(next.c_str()),
                         static_cast<DWORD>((next.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(treatAs);
    }
    ::RegCloseKey(classes);
    RegisterLibrary(machine, Clsid(2000), "", "C:\\far.dll");
    for (int link = 0; link < kMaxTreatAsSteps; ++link)
        Register(machine, Clsid(3000 + link), "TreatAs", Sz(Clsid(3001 + link)));
    RegisterLibrary(machine, Clsid(3000 + kMaxTreatAsSteps), "", "C:\\near.dll");
    RegisterLibrary(machine, Clsid(20), "32-bit only", "C:\\x86.dll", kView32);

    const struct {
        std::string clsid;
        REGSAM view;
        ClassScope scope;
        std::string name, library, localServer;
    } cases[] = {
        {Clsid(1), kNativeView, ClassScope::UserAndMachine, "Mine", "C:\\Users\\Анна\\mine.dll", ""},
        {Clsid(1), kNativeView, ClassScope::MachineOnly, "Theirs", "%SystemRoot%\\System32\\theirs.dll", ""},
        {Clsid(2), kNativeView, ClassScope::UserAndMachine, "Machine's", "C:\\m2.dll", ""},
        {Clsid(3), kNativeView, ClassScope::UserAndMachine, "No server", "", ""},
        {Clsid(4), kNativeView, ClassScope::UserAndMachine, "", "", "\"C:\\srv.exe\" -Embedding"},
        {Clsid(5), kNativeView, ClassScope::UserAndMachine, "Shadowed by a wrong type", "", ""},
        {Clsid(10), kNativeView, ClassScope::UserAndMachine, "Emulated", "C:\\new.dll", ""},
        {Clsid(10), kNativeView, ClassScope::MachineOnly, "Emulated", "", ""},
        {Clsid(12), kNativeView, ClassScope::UserAndMachine, "", "", ""},
        {Clsid(14), kNativeView, ClassScope::UserAndMachine, "Itself", "", ""},
        {Clsid(15), kNativeView, ClassScope::UserAndMachine, "", "C:\\own.dll", ""},
        {Clsid(1000), kNativeView, ClassScope::UserAndMachine, "", "", ""},
        {Clsid(3000), kNativeView, ClassScope::UserAndMachine, "", "C:\\near.dll", ""},
        {Clsid(20), kNativeView, ClassScope::UserAndMachine, "", "", ""},
        {Clsid(20), kView32, ClassScope::UserAndMachine, "32-bit only", "C:\\x86.dll", ""},
        {Clsid(99), kNativeView, ClassScope::UserAndMachine, "", "", ""},
        {"{00000000-0000-0000-0000-00000000001}", kNativeView, ClassScope::UserAndMachine, "", "", ""},
        {Clsid(1) + "\\InprocServer32", kNativeView, ClassScope::UserAndMachine, "", "", ""},
    };
    for (const auto& c : cases) {
        const ClassRegistration found = LookUpClass(W(c.clsid), c.view, c.scope);
        EXPECT_EQ(U8(found.name), c.name) << c.clsid;
        EXPECT_EQ(U8(found.library), c.library) << c.clsid;
        EXPECT_EQ(U8(found.localServer), c.localServer) << c.clsid;
    }
    EXPECT_TRUE(IsClassId(L"{0aB9fFfF-0000-0000-0000-000000000000}"));
    for (const wchar_t* text : {L"{0000000-00000-0000-0000-000000000000}", L"00000000-0000-0000-0000-000000000000",
                                L"{00000000-0000-0000-0000-00000000000g}", L"{00000000-0000-0000-0000-00000000000０}"})
        EXPECT_FALSE(IsClassId(text)) << U8(text);
}

TEST(ClassLibrary, DetailsAreFoundForTheFileWindowsLoads)
{
    const struct {
        const char* library;
        const char* details;
    } cases[] = {
        {"msv1_0", "\"%SystemRoot%\\System32\\msv1_0.dll\""},
        {"shell32.dll", "\"%SystemRoot%\\System32\\shell32.dll\""},
        {"C:\\Program Files\\Sync Tool\\ext.DLL", "\"C:\\Program Files\\Sync Tool\\ext.DLL\""},
        {"\"C:\\quoted.dll\"", "\"C:\\quoted.dll\""},
        {"C:\\Program Files\\App\\app.exe /automation", "C:\\Program Files\\App\\app.exe /automation"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(U8(ServerDetailsCommand(W(c.library))), c.details) << c.library;
}

TEST(ClassPlaces, ExplorersAndLogOnsClassesAreListedByTheirPlacesWithTheirLibraries)
{
    RegistrySandbox sandbox;
    const HKEY user = HKEY_CURRENT_USER, machine = HKEY_LOCAL_MACHINE;
    RegisterLibrary(user, Clsid(1), "Sync Extension", "C:\\Users\\Анна\\sync.dll");
    RegisterLibrary(machine, Clsid(1), "Sync Extension", "C:\\Program Files\\Sync\\sync.dll");
    RegisterLibrary(machine, Clsid(2), "Archiver", "C:\\Program Files\\Archiver\\menu.dll");
    RegisterLibrary(machine, Clsid(3), "Old Helper", "C:\\x86\\old.dll", kView32);
    RegisterLibrary(machine, Clsid(4), "Password Provider", "credprov.dll");
    RegisterLibrary(user, Clsid(4), "", "C:\\Users\\Анна\\fake.dll"); // LogonUI does not see it
    const std::string unregistered = Clsid(9);

    const std::wstring delayLoad = kCv + L"ShellServiceObjectDelayLoad";
    WriteStored(user, delayLoad.c_str(), "Синхронизация", Sz(Clsid(1)));
    WriteStored(machine, delayLoad.c_str(), "Archiver", Sz(Clsid(2)));
    WriteStored(machine, delayLoad.c_str(), "not a class", Sz("{archiver}"));
    WriteStored(machine, delayLoad.c_str(), "empty", Sz(""));
    WriteStored(machine, delayLoad.c_str(), "number", Raw(REG_DWORD, std::string(4, '\0')));
    WriteStored(machine, delayLoad.c_str(), "huge", Sz(std::string(100000, 'h')));
    WriteStored(machine, delayLoad.c_str(), "", Sz(Clsid(2)));
    WriteStoredCounted(machine, delayLoad.c_str(), std::wstring(L"nul\0name", 8), Sz(Clsid(2)));
    WriteStored(machine, delayLoad.c_str(), "Old", Sz(Clsid(3)), kView32);
    const std::wstring scheduler = kCv + L"Explorer\\SharedTaskScheduler";
    WriteStored(machine, scheduler.c_str(), Clsid(2), Sz("Archive Watcher"));
    WriteStored(machine, scheduler.c_str(), unregistered, Sz(""));
    WriteStored(machine, scheduler.c_str(), "Archive Watcher", Sz(Clsid(2)));
    const std::wstring overlays = kCv + L"Explorer\\ShellIconOverlayIdentifiers";
    WriteStored(user, (overlays + L"\\   SyncOverlay").c_str(), "", Sz(Clsid(1)));
    WriteStored(machine, (overlays + L"\\Unregistered").c_str(), "", Sz(unregistered));
    WriteStored(machine, (overlays + L"\\" + W(Clsid(2))).c_str(), "", Sz("")); // not named by its class
    const std::wstring hooks = kCv + L"Explorer\\ShellExecuteHooks";
    WriteStored(machine, hooks.c_str(), Clsid(2), Sz(""));
    const std::wstring menus = L"Software\\Classes\\Directory\\shellex\\ContextMenuHandlers";
    WriteStored(machine, (menus + L"\\Archiver").c_str(), "", Sz(Clsid(2)));
    WriteStored(machine, (menus + L"\\Archiver Again").c_str(), "", Sz(Clsid(2)));
    WriteStored(machine, (menus + L"\\" + W(Clsid(1))).c_str(), "", Sz(""));
    WriteStored(machine, (menus + L"\\Nothing").c_str(), "", Sz(""));
    WriteStored(machine, (menus + L"\\Number").c_str(), "", Raw(REG_DWORD, std::string(4, '\0')));
    WriteStored(machine, (menus + L"\\Old Menu").c_str(), "", Sz(Clsid(3)), kView32);
    WriteStored(machine, (menus + L"\\Native Only").c_str(), "", Sz(Clsid(2)), kView32);
    WriteStored(user, L"Software\\Classes\\*\\shellex\\ContextMenuHandlers\\Send With Sync", "", Sz(Clsid(1)));
    const std::wstring helpers = kCv + L"Explorer\\Browser Helper Objects";
    WriteStored(machine, (helpers + L"\\" + W(Clsid(2))).c_str(), "", Sz("Archive Toolbar"));
    WriteStored(machine, (helpers + L"\\" + W(Clsid(3))).c_str(), "NoExplorer", Sz("1"), kView32);
    CreateEmptyKey(machine, (helpers + L"\\Toolbar").c_str());
    const std::wstring providers = kCv + L"Authentication\\Credential Providers";
    CreateEmptyKey(machine, (providers + L"\\" + W(Clsid(4))).c_str());
    WriteStored(machine, (providers + L"\\" + W(unregistered)).c_str(), "", Sz("Card Reader"));

    const std::string sync = "C:\\Users\\Анна\\sync.dll", archiver = "C:\\Program Files\\Archiver\\menu.dll";
    EXPECT_EQ(Listed({StartupKind::CredentialProvider, StartupKind::BrowserHelper, StartupKind::ClassValue,
                      StartupKind::ClassNamedValue, StartupKind::IconOverlay, StartupKind::ContextMenuHandler}),
              (std::vector<std::string>{
                  "Credential Providers: Password Provider = credprov.dll (fixed)",
                  "Credential Providers: Card Reader =  (fixed)",
                  "User Shell Service Objects: Синхронизация = " + sync + " (fixed)",
                  "System Shell Service Objects: Archiver = " + archiver + " (fixed)",
                  "System Shell Service Objects: nul\\0name = " + archiver + " (fixed)",
                  "System Shell Service Objects (32-bit): Old = C:\\x86\\old.dll (fixed)",
                  "Shared Task Scheduler: Archive Watcher = " + archiver + " (fixed)",
                  "Shared Task Scheduler: " + unregistered + " =  (fixed)",
                  "User Icon Overlays:    SyncOverlay = " + sync + " (fixed)",
                  "System Icon Overlays: Unregistered =  (fixed)",
                  "Shell Execute Hooks: Archiver = " + archiver + " (fixed)",
                  "User Context Menu (*): Send With Sync = " + sync + " (fixed)",
                  "System Context Menu (Directory): Archiver = " + archiver + " (fixed)",
                  "System Context Menu (Directory): Archiver Again = " + archiver + " (fixed)",
                  "System Context Menu (Directory): Sync Extension = " + sync + " (fixed)",
                  "System Context Menu (Directory) (32-bit): Old Menu = C:\\x86\\old.dll (fixed)",
                  "Browser Helper Objects: Archive Toolbar = " + archiver + " (fixed)",
                  "Browser Helper Objects (32-bit): Old Helper = C:\\x86\\old.dll (fixed)",
              }));
    EXPECT_EQ(ReadStored(machine, delayLoad.c_str(), "Archiver"), Sz(Clsid(2))) << "a failed switch changes nothing";

    EXPECT_EQ(AddressOf("System Shell Service Objects (32-bit)", "Old"), "HKLM/32 " + U8(delayLoad));
    EXPECT_EQ(AddressOf("Shared Task Scheduler", Clsid(2)), "HKLM/64 " + U8(scheduler));
    EXPECT_EQ(AddressOf("User Icon Overlays", "   SyncOverlay"), "HKCU " + U8(overlays) + "\\   SyncOverlay");
    EXPECT_EQ(AddressOf("System Context Menu (Directory)", Clsid(1)), "HKLM/64 " + U8(menus) + "\\" + Clsid(1));
    EXPECT_EQ(AddressOf("Credential Providers", Clsid(4)), "HKLM/64 " + U8(providers) + "\\" + Clsid(4));
    EXPECT_EQ(U8(PlaceKindOf(StartupKind::CredentialProvider).DetailsCommand(W(Clsid(4)), L"", L"credprov.dll")),
              "\"%SystemRoot%\\System32\\credprov.dll\"");
}

TEST(ClassPlaces, OfficeAddInsThatLoadAtStartAreListedWithTheirLibraryOrManifest)
{
    RegistrySandbox sandbox;
    const HKEY user = HKEY_CURRENT_USER, machine = HKEY_LOCAL_MACHINE;
    const std::wstring word = L"Software\\Microsoft\\Office\\Word\\Addins";
    const std::wstring excel = L"Software\\Microsoft\\Office\\Excel\\Addins";
    auto addIn = [&](HKEY hive, const std::wstring& app, const std::string& progId, const StoredValue& behavior,
                     const char* friendly, const char* manifest, REGSAM view = kNativeView) {
        const std::wstring key = app + L"\\" + W(progId);
        WriteStored(hive, key.c_str(), "LoadBehavior", behavior, view);
        if (friendly)
            WriteStored(hive, key.c_str(), "FriendlyName", Sz(friendly), view);
        if (manifest)
            WriteStored(hive, key.c_str(), "Manifest", Sz(manifest), view);
    };
    auto dword = [](DWORD value) { return Raw(REG_DWORD, std::string(reinterpret_cast<const char*>(&value), 4)); };
    RegisterLibrary(machine, Clsid(1), "", "C:\\Program Files\\Grammar\\grammar.dll");
    WriteStored(machine, L"Software\\Classes\\Grammar.Connect\\CLSID", "", Sz(Clsid(1)));
    RegisterLibrary(machine, Clsid(2), "", "C:\\x86\\ledger.dll", kView32);
    WriteStored(machine, L"Software\\Classes\\Ledger.Connect\\CLSID", "", Sz(Clsid(2)), kView32);
    addIn(user, word, "Grammar.Connect", dword(3), "Grammar Checker", nullptr);
    addIn(user, word, "Template.Connect", dword(19), nullptr, nullptr); // its class is not registered
    addIn(user, word, "Mail.Vsto", dword(3), "Mail Merge", "file:///C:/Add%20Ins/merge.vsto|vstolocal");
    for (DWORD off : {0u, 1u, 2u, 8u, 9u, 16u})
        addIn(user, word, "Off" + std::to_string(off) + ".Connect", dword(off), "Off", nullptr);
    addIn(user, word, "Text.Connect", Sz("3"), "Text", nullptr);
    addIn(user, word, "Short.Connect", Raw(REG_DWORD, "\3"), "Short", nullptr);
    addIn(machine, excel, "Ledger.Connect", dword(3), "", nullptr, kView32);

    EXPECT_EQ(Listed({StartupKind::OfficeAddIn}),
              (std::vector<std::string>{
                  "User Office Add-Ins (Word): Grammar Checker = C:\\Program Files\\Grammar\\grammar.dll (fixed)",
                  "User Office Add-Ins (Word): Mail Merge = file:///C:/Add%20Ins/merge.vsto|vstolocal (fixed)",
                  "User Office Add-Ins (Word): Template.Connect =  (fixed)",
                  "System Office Add-Ins (Excel) (32-bit): Ledger.Connect = C:\\x86\\ledger.dll (fixed)",
              }));
    EXPECT_TRUE(ReadStored(user, (word + L"\\Grammar.Connect").c_str(), "LoadBehavior"));
    EXPECT_EQ(AddressOf("User Office Add-Ins (Word)", "Grammar.Connect"), "HKCU " + U8(word) + "\\Grammar.Connect");
    EXPECT_EQ(AddressOf("System Office Add-Ins (Excel) (32-bit)", "Ledger.Connect"),
              "HKLM/32 " + U8(excel) + "\\Ledger.Connect");
    const PlaceKind& kind = PlaceKindOf(StartupKind::OfficeAddIn);
    EXPECT_EQ(U8(kind.DetailsCommand(L"Mail.Vsto", L"Mail Merge", L"file:///C:/Add%20Ins/merge.vsto|vstolocal")),
              "\"C:\\Add Ins\\merge.vsto\"");
    EXPECT_EQ(U8(kind.DetailsCommand(L"G", L"G", L"C:\\Program Files\\Grammar\\grammar.dll")),
              "\"C:\\Program Files\\Grammar\\grammar.dll\"");
}

TEST(ClassPlaces, TheUsersClassesThatShadowTheMachinesAreListedWithBothServers)
{
    RegistrySandbox sandbox;
    const HKEY user = HKEY_CURRENT_USER, machine = HKEY_LOCAL_MACHINE;
    RegisterLibrary(machine, Clsid(1), "Shell Folder", "%SystemRoot%\\System32\\shell32.dll");
    RegisterLibrary(user, Clsid(1), "", "C:\\Users\\Анна\\AppData\\evil.dll");
    RegisterLibrary(user, Clsid(2), "Only the user's", "C:\\Users\\Анна\\own.dll");
    Register(machine, Clsid(3), "", Sz("Named only"));
    Register(machine, Clsid(3), "InprocServer32", Sz("C:\\three.dll"));
    Register(user, Clsid(3), "", Sz("A name, no server"));
    Register(user, Clsid(3) + "\\ProgID", "", Sz("Three.1"));
    RegisterLibrary(machine, Clsid(4), "Automation", "C:\\four.dll");
    Register(user, Clsid(4), "LocalServer32", Sz("\"C:\\Users\\Анна\\srv.exe\" -Embedding"));
    RegisterLibrary(machine, Clsid(5), "", "C:\\five.dll");
    Register(user, Clsid(5), "TreatAs", Sz(Clsid(6)));
    RegisterLibrary(user, Clsid(6), "", "C:\\Users\\Анна\\six.dll");
    Register(machine, Clsid(7), "LocalServer32", Sz("C:\\seven.exe"));
    Register(user, Clsid(7), "InprocServer32", Sz(""));
    RegisterLibrary(machine, Clsid(8), "For 32-bit programs", "C:\\x86\\eight.dll", kView32);
    RegisterLibrary(user, Clsid(8), "", "C:\\Users\\Анна\\eight.dll", kView32);
    WriteStored(machine, L"Software\\Classes\\CLSID\\Not A Class\\InprocServer32", "", Sz("C:\\n.dll"));
    WriteStored(user, L"Software\\Classes\\CLSID\\Not A Class\\InprocServer32", "", Sz("C:\\u.dll"));

    EXPECT_EQ(Listed({StartupKind::ComHijack}),
              (std::vector<std::string>{
                  "User COM Hijacks: " + Clsid(1) + " Shell Folder (machine: %SystemRoot%\\System32\\shell32.dll)"
                      " = C:\\Users\\Анна\\AppData\\evil.dll (fixed)",
                  "User COM Hijacks: " + Clsid(4) + " Automation (machine: C:\\four.dll)"
                      " = \"C:\\Users\\Анна\\srv.exe\" -Embedding (fixed)",
                  "User COM Hijacks: " + Clsid(5) + " (machine: C:\\five.dll) = C:\\Users\\Анна\\six.dll (fixed)",
                  "User COM Hijacks: " + Clsid(7) + " (machine: C:\\seven.exe) =  (fixed)",
                  "User COM Hijacks (32-bit): " + Clsid(8)
                      + " For 32-bit programs (machine: C:\\x86\\eight.dll) = C:\\Users\\Анна\\eight.dll (fixed)",
              }));
    EXPECT_TRUE(ReadStored(user, ClassPath(Clsid(1), "InprocServer32").c_str(), ""));
    EXPECT_EQ(AddressOf("User COM Hijacks", Clsid(1)), "HKCU Software\\Classes\\CLSID\\" + Clsid(1));
    EXPECT_EQ(AddressOf("User COM Hijacks (32-bit)", Clsid(8)),
              "HKCU Software\\Classes\\Wow6432Node\\CLSID\\" + Clsid(8));
}

TEST(ClassPlaces, EveryPlaceIsReadAfterTheWindowIsDrawnInItsGroupOutsideTheLogOn)
{
    std::vector<std::string> groups;
    for (const StartupSource& source : StartupSources(true)) {
        if (source.kind < StartupKind::CredentialProvider || source.kind > StartupKind::ComHijack)
            continue;
        EXPECT_TRUE(PlaceKindOf(source.kind).ReadInBackground()) << U8(source.location);
        EXPECT_TRUE(source.outsideLogOn) << U8(source.location);
        EXPECT_FALSE(IsSwitchable(source)) << U8(source.location);
        const std::string group = U8(PlaceGroupText(source.group));
        if (groups.empty() || groups.back() != group)
            groups.push_back(group);
    }
    EXPECT_EQ(groups, (std::vector<std::string>{"Libraries and providers", "Explorer", "Office", "COM hijacks"}));
}
