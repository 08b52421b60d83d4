// The libraries and providers that Windows loads into its own programs: each
// place listed with its Location, nothing for what is not there (missing,
// empty, blank or wrong-type values, disabled providers), every entry fixed
// and addressed by the key that holds it, and the file its details look for.

#include "pages/startup/store/PlaceKind.h"
#include "pages/startup/store/StartupMoves.h"
#include "pages/startup/store/StartupStore.h"
#include "support/RegistrySandbox.h"
#include "startup/store/StoredValue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const StartupKind kLibraryKinds[] = {
    StartupKind::WinlogonNotify, StartupKind::GroupPolicyExtension, StartupKind::LsaPackages,
    StartupKind::SecurityProviders, StartupKind::PrintMonitor, StartupKind::PrintProcessor,
    StartupKind::NetworkProvider, StartupKind::WinsockProvider, StartupKind::TimeProvider,
    StartupKind::Codec, StartupKind::ShimDatabase, StartupKind::ShimProgram,
};

SourceSet LibrarySources(const std::vector<StartupSource>& sources)
{
    SourceSet which;
    for (std::size_t index = 0; index < sources.size(); ++index)
        if (std::count(std::begin(kLibraryKinds), std::end(kLibraryKinds), sources[index].kind))
            which |= SourceSet::Of(index);
    return which;
}

const StartupSource& SourceAt(const std::vector<StartupSource>& sources, const std::string& location)
{
    const auto found = std::find_if(sources.begin(), sources.end(),
                                    [&](const StartupSource& source) { return U8(source.location) == location; });
    EXPECT_NE(found, sources.end()) << location;
    return *found;
}

// "Location: name #id = command", the id where it is not the name, and
// "(fixed)" where the box cannot be changed.
std::vector<std::string> Listed(const std::vector<StartupSource>& sources, SourceSet which)
{
    std::vector<std::string> lines;
    for (const StartupEntry& entry : ReadStartupEntries(sources, which)) {
        const StartupSource& source = sources[entry.source];
        lines.push_back(U8(source.location) + ": " + U8(entry.value.name)
                        + (entry.value.id.empty() ? "" : " #" + U8(entry.value.id)) + " = "
                        + U8(entry.value.command) + (IsSwitchable(source) && !entry.value.fixed ? "" : " (fixed)"));
    }
    return lines;
}

// Every entry listed refuses to be switched either way, and nothing changes.
void ExpectNoneSwitches(const std::vector<StartupSource>& sources, SourceSet which)
{
    const std::vector<std::string> before = Listed(sources, which);
    for (const StartupEntry& entry : ReadStartupEntries(sources, which))
        for (const bool on : {false, true})
            EXPECT_EQ(SwitchEntry(sources[entry.source], entry.place, EntryId(entry.value), on).outcome,
                      MoveOutcome::Failed)
                << U8(EntryId(entry.value));
    EXPECT_EQ(Listed(sources, which), before);
}

StoredValue Multi(const std::vector<std::string>& members)
{
    std::string bytes;
    for (const std::string& member : members)
        bytes += Utf16Bytes(member) + std::string(2, '\0');
    return Raw(REG_MULTI_SZ, bytes + std::string(2, '\0'));
}

StoredValue Dword(DWORD value) { return Raw(REG_DWORD, std::string(reinterpret_cast<const char*>(&value), 4)); }

std::wstring Path(const wchar_t* key, const std::string& subkey) { return std::wstring(key) + L"\\" + W(subkey); }

struct Written {
    const wchar_t* key;
    std::string subkey; // below the key; "" for the key itself
    std::string name;
    StoredValue value;
    REGSAM view = kNativeView;
};

void Write(const std::vector<Written>& values, HKEY hive = HKEY_LOCAL_MACHINE)
{
    for (const Written& w : values)
        WriteStored(hive, w.subkey.empty() ? w.key : Path(w.key, w.subkey).c_str(), w.name, w.value, w.view);
}

} // namespace

TEST(LibraryPlaces, EachSubkeyThatNamesALibraryIsAnEntryAndOneWithoutIsNot)
{
    RegistrySandbox sandbox;
    const std::string print = "Windows x64\\Print Processors\\";
    WriteStored(HKEY_CURRENT_USER, Path(kWinlogonNotifyKeyPath, "sync").c_str(), "DllName",
                Sz("C:\\Users\\Анна\\notify.dll"));
    Write({
        {kWinlogonNotifyKeyPath, "crypt", "DllName", Sz("wlnotify.dll")},
        {kWinlogonNotifyKeyPath, "no library", "Asynchronous", Dword(1)},
        {kWinlogonNotifyKeyPath, "empty", "DllName", Sz("")},
        {kWinlogonNotifyKeyPath, "number", "DllName", Dword(1)},
        {kGroupPolicyExtensionsKeyPath, "{AAAA}", "", Sz("Registry")},
        {kGroupPolicyExtensionsKeyPath, "{AAAA}", "DllName", Sz("userenv.dll")},
        {kGroupPolicyExtensionsKeyPath, "{BBBB}", "DllName", Sz("C:\\gp\\ext.dll")},
        {kGroupPolicyExtensionsKeyPath, "{CCCC}", "", Sz("")},
        {kGroupPolicyExtensionsKeyPath, "{CCCC}", "DllName", Sz("C:\\gp\\unnamed.dll")},
        {kPrintMonitorsKeyPath, "Local Port", "Driver", Sz("localspl.dll")},
        {kPrintMonitorsKeyPath, "No Driver", "Other", Sz("x.dll")},
        {kPrintEnvironmentsKeyPath, "Windows x64", "Directory", Sz("x64")},
        {kPrintEnvironmentsKeyPath, print + "winprint", "Driver", Sz("winprint.dll")},
        {kPrintEnvironmentsKeyPath, print + "empty", "Driver", Sz("")},
        {kPrintEnvironmentsKeyPath, "Windows NT x86\\Print Processors\\winprint", "Driver", Sz("winprint.dll")},
        {kWinsockCatalog64KeyPath, "000000000001", "LibraryPath",
         Sz("%SystemRoot%\\system32\\NLAapi.dll", REG_EXPAND_SZ)},
        {kWinsockCatalog64KeyPath, "000000000001", "DisplayString", Sz("Network Location Awareness")},
        {kWinsockCatalog64KeyPath, "000000000002", "LibraryPath", Sz("C:\\ns\\провайдер.dll")},
        {kWinsockCatalog64KeyPath, "000000000003", "DisplayString", Sz("no library")},
        {kWinsockCatalogKeyPath, "000000000001", "LibraryPath", Sz("%SystemRoot%\\system32\\mswsock.dll", REG_EXPAND_SZ)},
        {kWinsockCatalogKeyPath, "000000000001", "DisplayString", Sz("@%SystemRoot%\\system32\\wshtcpip.dll,-60100")},
        {kTimeProvidersKeyPath, "NtpClient", "DllName", Sz("%SystemRoot%\\System32\\w32time.dll", REG_EXPAND_SZ)},
        {kTimeProvidersKeyPath, "NtpClient", "Enabled", Dword(1)},
        {kTimeProvidersKeyPath, "NtpServer", "DllName", Sz("%SystemRoot%\\System32\\w32time.dll")},
        {kTimeProvidersKeyPath, "NtpServer", "Enabled", Dword(0)},
        {kTimeProvidersKeyPath, "Text", "DllName", Sz("text.dll")},
        {kTimeProvidersKeyPath, "Text", "Enabled", Sz("1")},
        {kInstalledShimDatabasesKeyPath, "{1111}", "DatabasePath", Sz("C:\\Windows\\AppPatch\\Custom\\Custom64\\{1111}.sdb")},
        {kInstalledShimDatabasesKeyPath, "{1111}", "DatabaseDescription", Sz("Tool fixes")},
        {kInstalledShimDatabasesKeyPath, "{3333}", "DatabaseDescription", Sz("no path")},
        {kInstalledShimDatabasesKeyPath, "{2222}", "DatabasePath", Sz("C:\\Windows\\AppPatch\\Custom\\{2222}.sdb"),
         KEY_WOW64_32KEY},
    });

    const std::vector<StartupSource> sources = StartupSources();
    const SourceSet libraries = LibrarySources(sources);
    EXPECT_EQ(Listed(sources, libraries),
              (std::vector<std::string>{
                  "User Winlogon Notify: sync = C:\\Users\\Анна\\notify.dll (fixed)",
                  "System Winlogon Notify: crypt = wlnotify.dll (fixed)",
                  "System Group Policy Extensions: Registry #{AAAA} = userenv.dll (fixed)",
                  "System Group Policy Extensions: {BBBB} = C:\\gp\\ext.dll (fixed)",
                  "System Group Policy Extensions: {CCCC} = C:\\gp\\unnamed.dll (fixed)",
                  "System Print Monitors: Local Port = localspl.dll (fixed)",
                  "System Print Processors: Windows NT x86\\winprint = winprint.dll (fixed)",
                  "System Print Processors: Windows x64\\winprint = winprint.dll (fixed)",
                  "System Winsock Providers: Network Location Awareness #000000000001 = "
                  "%SystemRoot%\\system32\\NLAapi.dll (fixed)",
                  "System Winsock Providers: 000000000002 = C:\\ns\\провайдер.dll (fixed)",
                  "System Winsock Providers (32-bit): @%SystemRoot%\\system32\\wshtcpip.dll,-60100 #000000000001 = "
                  "%SystemRoot%\\system32\\mswsock.dll (fixed)",
                  "System Time Providers: NtpClient = %SystemRoot%\\System32\\w32time.dll (fixed)",
                  "System Shim Databases: Tool fixes #{1111} = C:\\Windows\\AppPatch\\Custom\\Custom64\\{1111}.sdb (fixed)",
                  "System Shim Databases (32-bit): {2222} = C:\\Windows\\AppPatch\\Custom\\{2222}.sdb (fixed)",
              }));
    ExpectNoneSwitches(sources, libraries);

    const struct {
        const char* location;
        const char* id;
        std::wstring keyPath;
        REGSAM view;
    } addresses[] = {
        {"User Winlogon Notify", "sync", Path(kWinlogonNotifyKeyPath, "sync"), 0},
        {"System Print Processors", "Windows x64\\winprint", Path(kPrintEnvironmentsKeyPath, print + "winprint"),
         kNativeView},
        {"System Winsock Providers (32-bit)", "000000000001", Path(kWinsockCatalogKeyPath, "000000000001"), kNativeView},
        {"System Shim Databases (32-bit)", "{2222}", Path(kInstalledShimDatabasesKeyPath, "{2222}"), KEY_WOW64_32KEY},
    };
    for (const auto& a : addresses) {
        const EntryAddress address = EntryAddressOf(SourceAt(sources, a.location), EntryPlace::Startup, W(a.id));
        EXPECT_EQ(U8(address.keyPath), U8(a.keyPath)) << a.location;
        EXPECT_EQ(address.hive, a.view ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER) << a.location;
        EXPECT_EQ(address.view, a.view) << a.location;
    }
}

// Lists of packages and providers, a row for each member that names one:
// each once, in the list's order, as stored.
TEST(LibraryPlaces, EachMemberOfAListIsAnEntryOnceAndWhatNamesNothingIsNot)
{
    const std::string huge(40000, 'h');
    std::vector<std::string> many;
    for (int i = 0; i < 2000; ++i)
        many.push_back("p" + std::to_string(i));
    std::vector<std::string> listedOfMany;
    for (int i = 0; i < 1024; ++i)
        listedOfMany.push_back(many[i] + " = " + many[i]);

    const struct {
        const char* what;
        const char* location;
        StoredValue value;
        std::vector<std::string> listed; // "name = command"
    } cases[] = {
        {"packages", "System LSA (Authentication Packages)", Multi({"msv1_0", "C:\\lsa\\пакет.dll"}),
         {"msv1_0 = msv1_0", "C:\\lsa\\пакет.dll = C:\\lsa\\пакет.dll"}},
        {"Windows' own empty list", "System LSA (Security Packages)", Multi({"\"\""}), {}},
        {"ends at its first empty string", "System LSA (Notification Packages)", Multi({"scecli", "", "hidden"}),
         {"scecli = scecli"}},
        {"blank and duplicate members", "System LSA (OSConfig Security Packages)",
         Multi({"kerberos", "  ", "KERBEROS", "msv1_0", "Kerberos"}), {"kerberos = kerberos", "msv1_0 = msv1_0"}},
        {"one text", "System LSA (Authentication Packages)", Sz("msv1_0"), {"msv1_0 = msv1_0"}},
        {"a number", "System LSA (Authentication Packages)", Dword(1), {}},
        {"a huge member", "System LSA (Security Packages)", Multi({huge, "tspkg"}),
         {huge + " = " + huge, "tspkg = tspkg"}},
        {"more members than are listed", "System LSA (Security Packages)", Multi(many), listedOfMany},
        {"comma-separated", "System Security Providers", Sz("credssp.dll, ,schannel.dll,,  digest.dll  ,CREDSSP.DLL,"),
         {"credssp.dll = credssp.dll", "schannel.dll = schannel.dll", "digest.dll = digest.dll"}},
        {"comma-separated, as several texts", "System Security Providers", Multi({"credssp.dll"}), {}},
        {"providers in order, each with its library", "System Network Providers",
         Sz("RDPNP,LanmanWorkstation,,webclient,Missing,NoPath,Number,rdpnp"),
         {"RDPNP = %SystemRoot%\\System32\\drprov.dll", "LanmanWorkstation = %SystemRoot%\\System32\\ntlanman.dll",
          "webclient = C:\\Program Files\\Веб\\davclnt.dll"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RegistrySandbox sandbox;
        Write({
            {kServicesKeyPath, "RDPNP\\NetworkProvider", "ProviderPath",
             Sz("%SystemRoot%\\System32\\drprov.dll", REG_EXPAND_SZ)},
            {kServicesKeyPath, "LanmanWorkstation\\NetworkProvider", "ProviderPath",
             Sz("%SystemRoot%\\System32\\ntlanman.dll")},
            {kServicesKeyPath, "webclient\\NetworkProvider", "ProviderPath", Sz("C:\\Program Files\\Веб\\davclnt.dll")},
            {kServicesKeyPath, "NoPath\\NetworkProvider", "Name", Sz("No path")},
            {kServicesKeyPath, "Number\\NetworkProvider", "ProviderPath", Dword(7)},
        });
        const std::vector<StartupSource> sources = StartupSources();
        const StartupSource& source = SourceAt(sources, c.location);
        WriteStored(HKEY_LOCAL_MACHINE, source.keyPath, U8(source.valueName), c.value);
        const SourceSet libraries = LibrarySources(sources);
        std::vector<std::string> expected;
        for (const std::string& line : c.listed)
            expected.push_back(std::string(c.location) + ": " + line + " (fixed)");
        EXPECT_EQ(Listed(sources, libraries), expected);
        if (!c.listed.empty() && c.listed.size() < 10)
            ExpectNoneSwitches(sources, libraries);
    }

    const std::vector<StartupSource> sources = StartupSources();
    EXPECT_EQ(U8(EntryAddressOf(SourceAt(sources, "System LSA (OSConfig Security Packages)"), EntryPlace::Startup,
                                L"kerberos")
                     .keyPath),
              U8(kLsaOSConfigKeyPath));
    EXPECT_EQ(U8(EntryAddressOf(SourceAt(sources, "System Network Providers"), EntryPlace::Startup, L"RDPNP").keyPath),
              U8(kServicesKeyPath) + "\\RDPNP\\NetworkProvider");
}

// Each value of a key an entry: a codec's library, a shimmed program's database.
TEST(LibraryPlaces, EachValueThatNamesALibraryIsAnEntry)
{
    RegistrySandbox sandbox;
    Write({
        {kDrivers32KeyPath, "", "msacm.imaadpcm", Sz("imaadp32.acm")},
        {kDrivers32KeyPath, "", "wave", Sz("wdmaud.drv")},
        {kDrivers32KeyPath, "", "vidc.кодек", Sz("C:\\codecs\\кодек.dll")},
        {kDrivers32KeyPath, "", "midi", Sz("")},
        {kDrivers32KeyPath, "", "aux", Dword(1)},
        {kDrivers32KeyPath, "", "", Sz("unnamed.dll")},
        {kDrivers32KeyPath, "", "msacm.l3acm", Sz("%SystemRoot%\\SysWOW64\\l3codeca.acm", REG_EXPAND_SZ),
         KEY_WOW64_32KEY},
        {kCustomShimsKeyPath, "setup.exe", "{1111}.sdb", Raw(REG_QWORD, std::string(8, '\1'))},
        {kCustomShimsKeyPath, "setup.exe", "{4444}.sdb", Raw(REG_QWORD, std::string(8, '\2'))},
        {kCustomShimsKeyPath, "setup.exe", "", Sz("")},
        {kCustomShimsKeyPath, "old.exe", "{2222}.sdb", Raw(REG_QWORD, std::string(8, '\3')), KEY_WOW64_32KEY},
    });
    WriteStoredCounted(HKEY_LOCAL_MACHINE, kDrivers32KeyPath, std::wstring(L"vidc.a\0b", 8), Sz("nul.dll"));

    const std::vector<StartupSource> sources = StartupSources();
    const SourceSet libraries = LibrarySources(sources);
    EXPECT_EQ(Listed(sources, libraries),
              (std::vector<std::string>{
                  "System Codecs: msacm.imaadpcm = imaadp32.acm (fixed)",
                  "System Codecs: vidc.a\\0b #" + std::string("vidc.a\0b", 8) + " = nul.dll (fixed)",
                  "System Codecs: vidc.кодек = C:\\codecs\\кодек.dll (fixed)",
                  "System Codecs: wave = wdmaud.drv (fixed)",
                  "System Codecs (32-bit): msacm.l3acm = %SystemRoot%\\SysWOW64\\l3codeca.acm (fixed)",
                  "System Shimmed Programs: setup.exe #setup.exe\\{1111}.sdb = {1111}.sdb (fixed)",
                  "System Shimmed Programs: setup.exe #setup.exe\\{4444}.sdb = {4444}.sdb (fixed)",
                  "System Shimmed Programs (32-bit): old.exe #old.exe\\{2222}.sdb = {2222}.sdb (fixed)",
              }));
    ExpectNoneSwitches(sources, libraries);
    const EntryAddress codec = EntryAddressOf(SourceAt(sources, "System Codecs (32-bit)"), EntryPlace::Startup, L"msacm.l3acm");
    EXPECT_EQ(U8(codec.keyPath), U8(kDrivers32KeyPath));
    EXPECT_EQ(codec.view, static_cast<REGSAM>(KEY_WOW64_32KEY));
    EXPECT_EQ(U8(EntryAddressOf(SourceAt(sources, "System Shimmed Programs"), EntryPlace::Startup,
                                L"setup.exe\\{1111}.sdb")
                     .keyPath),
              U8(kCustomShimsKeyPath) + "\\setup.exe");
}

// What the details look for: the file Windows loads, a bare library name in
// the system folder (a print processor's in its environment's folder), a
// driver's image path as the kernel reads it, a database where it is installed.
TEST(LibraryPlaces, TheDetailsLookForTheFileWindowsLoads)
{
    RegistrySandbox sandbox;
    Write({
        {kPrintEnvironmentsKeyPath, "Windows x64", "Directory", Sz("x64")},
        {kPrintEnvironmentsKeyPath, "Hostile", "Directory", Sz("..\\..\\evil")},
        {kInstalledShimDatabasesKeyPath, "{1111}", "DatabasePath", Sz("C:\\Patch Folder\\{1111}.sdb")},
        {kInstalledShimDatabasesKeyPath, "{2222}", "DatabasePath", Sz("C:\\32\\{2222}.sdb"), KEY_WOW64_32KEY},
    });
    const std::string system = "%SystemRoot%\\System32\\";
    const struct {
        StartupKind kind;
        const char* id;
        const char* command;
        std::string details;
    } cases[] = {
        {StartupKind::LsaPackages, "msv1_0", "msv1_0", "\"" + system + "msv1_0.dll\""},
        {StartupKind::LsaPackages, "\"kerberos\"", "\"kerberos\"", "\"" + system + "kerberos.dll\""},
        {StartupKind::LsaPackages, "p", "C:\\Program Files\\p\\p.dll", "\"C:\\Program Files\\p\\p.dll\""},
        {StartupKind::Codec, "wave", "wdmaud.drv", "\"" + system + "wdmaud.drv\""},
        {StartupKind::WinsockProvider, "1", "%SystemRoot%\\system32\\NLAapi.dll", "\"%SystemRoot%\\system32\\NLAapi.dll\""},
        {StartupKind::PrintProcessor, "Windows x64\\winprint", "winprint.dll",
         "\"" + system + "spool\\prtprocs\\x64\\winprint.dll\""},
        {StartupKind::PrintProcessor, "Hostile\\winprint", "winprint.dll", "\"" + system + "winprint.dll\""},
        {StartupKind::ShimProgram, "setup.exe\\{1111}.sdb", "{1111}.sdb", "\"C:\\Patch Folder\\{1111}.sdb\""},
        {StartupKind::ShimProgram, "old.exe\\{2222}.sdb", "{2222}.SDB", "\"C:\\32\\{2222}.sdb\""},
        {StartupKind::ShimProgram, "x.exe\\{5555}.sdb", "{5555}.sdb", "\"%SystemRoot%\\AppPatch\\Custom\\{5555}.sdb\""},
        {StartupKind::Driver, "QuorvaneDrv", "\\SystemRoot\\System32\\drivers\\q.sys",
         "\"%SystemRoot%\\System32\\drivers\\q.sys\""},
        {StartupKind::Driver, "QuorvaneDrv", "System32\\DRIVERS\\q.sys", "\"%SystemRoot%\\System32\\DRIVERS\\q.sys\""},
        {StartupKind::Driver, "QuorvaneDrv", "\\??\\C:\\Program Files\\q\\q.sys", "\"C:\\Program Files\\q\\q.sys\""},
        {StartupKind::Driver, "QuorvaneDrv", "\\\\?\\UNC\\server\\share\\q.sys", "\"\\\\server\\share\\q.sys\""},
        {StartupKind::Driver, "QuorvaneDrv", "", "\"%SystemRoot%\\System32\\drivers\\QuorvaneDrv.sys\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(U8(PlaceKindOf(c.kind).DetailsCommand(W(c.id), W(c.id), W(c.command))), c.details) << c.command;
}
