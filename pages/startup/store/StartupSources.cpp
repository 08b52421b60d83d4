#include "pages/startup/store/StartupSources.h"

#include "pages/startup/store/StartupApproved.h"

#include <shlobj.h>

#include <algorithm>
#include <cwctype>

const wchar_t kRunKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kRunOnceKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const wchar_t kRunOnceExKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx";
const wchar_t kPolicyRunKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run";
const wchar_t kDisabledKeyPath[] = L"Software\\Quorvane\\DisabledStartup";
const wchar_t kDisabledPolicyKeyPath[] = L"Software\\Quorvane\\DisabledPolicyStartup";
const wchar_t kWinlogonKeyPath[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const wchar_t kSessionManagerKeyPath[] = L"System\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kRemoteDesktopKeyPath[] = L"System\\CurrentControlSet\\Control\\Terminal Server\\Wds\\rdpwd";
const wchar_t kBootVerificationKeyPath[] = L"System\\CurrentControlSet\\Control\\BootVerificationProgram";
const wchar_t kInstallRunKeyPath[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Terminal Server\\Install\\"
                                     L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kInstallRunOnceKeyPath[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Terminal Server\\"
                                         L"Install\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const wchar_t kInstallRunOnceExKeyPath[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Terminal Server\\"
                                           L"Install\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx";
const wchar_t kDisabledInstallKeyPath[] = L"Software\\Quorvane\\DisabledInstallStartup";
const wchar_t kWindowsKeyPath[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
const wchar_t kPolicySystemKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
const wchar_t kEnvironmentKeyPath[] = L"Environment";
const wchar_t kLogonScriptsKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Group Policy\\Scripts\\Logon";
const wchar_t kStartupScriptsKeyPath[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Group Policy\\Scripts\\Startup";
const wchar_t kActiveSetupKeyPath[] = L"Software\\Microsoft\\Active Setup\\Installed Components";
const wchar_t kSafeBootKeyPath[] = L"System\\CurrentControlSet\\Control\\SafeBoot";
const wchar_t kRdpTcpKeyPath[] = L"System\\CurrentControlSet\\Control\\Terminal Server\\WinStations\\RDP-Tcp";
const wchar_t kPackageRepositoryKeyPath[] = L"Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\"
                                            L"CurrentVersion\\AppModel\\Repository\\Packages";
const wchar_t kPackageStateKeyPath[] = L"Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\"
                                       L"CurrentVersion\\AppModel\\SystemAppData";
const wchar_t kServicesKeyPath[] = L"System\\CurrentControlSet\\Services";
const wchar_t kDisabledServicesKeyPath[] = L"Software\\Quorvane\\DisabledServices";
const wchar_t kUserShellFoldersKeyPath[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
// Libraries and providers that Windows' own services load.
const wchar_t kWinlogonNotifyKeyPath[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Notify";
const wchar_t kGroupPolicyExtensionsKeyPath[] =
    L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\GPExtensions";
const wchar_t kLsaKeyPath[] = L"System\\CurrentControlSet\\Control\\Lsa";
const wchar_t kLsaOSConfigKeyPath[] = L"System\\CurrentControlSet\\Control\\Lsa\\OSConfig";
const wchar_t kSecurityProvidersKeyPath[] = L"System\\CurrentControlSet\\Control\\SecurityProviders";
const wchar_t kPrintMonitorsKeyPath[] = L"System\\CurrentControlSet\\Control\\Print\\Monitors";
const wchar_t kPrintEnvironmentsKeyPath[] = L"System\\CurrentControlSet\\Control\\Print\\Environments";
const wchar_t kNetworkProviderOrderKeyPath[] = L"System\\CurrentControlSet\\Control\\NetworkProvider\\Order";
const wchar_t kWinsockCatalogKeyPath[] =
    L"System\\CurrentControlSet\\Services\\WinSock2\\Parameters\\NameSpace_Catalog5\\Catalog_Entries";
const wchar_t kWinsockCatalog64KeyPath[] =
    L"System\\CurrentControlSet\\Services\\WinSock2\\Parameters\\NameSpace_Catalog5\\Catalog_Entries64";
const wchar_t kTimeProvidersKeyPath[] = L"System\\CurrentControlSet\\Services\\W32Time\\TimeProviders";
const wchar_t kDrivers32KeyPath[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32";
const wchar_t kInstalledShimDatabasesKeyPath[] =
    L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\InstalledSDB";
const wchar_t kCustomShimsKeyPath[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Custom";
// Classes that Windows, Explorer and Office load, and the user's classes that shadow the machine's.
const wchar_t kCredentialProvidersKeyPath[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Authentication\\Credential Providers";
const wchar_t kShellServiceObjectsKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad";
const wchar_t kSharedTaskSchedulerKeyPath[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\SharedTaskScheduler";
const wchar_t kIconOverlaysKeyPath[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellIconOverlayIdentifiers";
const wchar_t kShellExecuteHooksKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellExecuteHooks";
const wchar_t kBrowserHelperObjectsKeyPath[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
const wchar_t kClassIdsKeyPath[] = L"Software\\Classes\\CLSID";
// Image hijacks, libraries and single values switched by moving them.
const wchar_t kImageOptionsKeyPath[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options";
const wchar_t kSilentProcessExitKeyPath[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\SilentProcessExit";
const wchar_t kCommandProcessorKeyPath[] = L"Software\\Microsoft\\Command Processor";
const wchar_t kClassesKeyPath[] = L"Software\\Classes";
const wchar_t kAppCertDllsKeyPath[] = L"System\\CurrentControlSet\\Control\\Session Manager\\AppCertDlls";
const wchar_t kNetshKeyPath[] = L"Software\\Microsoft\\NetSh";
const wchar_t kDesktopKeyPath[] = L"Control Panel\\Desktop";
const wchar_t kOfficeTestKeyPath[] = L"Software\\Microsoft\\Office test\\Special\\Perf";
const wchar_t kDisabledDebuggersKeyPath[] = L"Software\\Quorvane\\DisabledDebuggers";
const wchar_t kDisabledExitMonitorsKeyPath[] = L"Software\\Quorvane\\DisabledExitMonitors";
const wchar_t kDisabledAutoRunKeyPath[] = L"Software\\Quorvane\\DisabledAutoRun";
const wchar_t kDisabledAppInitKeyPath[] = L"Software\\Quorvane\\DisabledAppInitDlls";
const wchar_t kDisabledAppCertKeyPath[] = L"Software\\Quorvane\\DisabledAppCertDlls";
const wchar_t kDisabledNetshKeyPath[] = L"Software\\Quorvane\\DisabledNetshHelpers";
const wchar_t kDisabledScreenSaverKeyPath[] = L"Software\\Quorvane\\DisabledScreenSaver";
const wchar_t kDisabledOfficeTestKeyPath[] = L"Software\\Quorvane\\DisabledOfficeTest";

const wchar_t kUserLocationText[] = L"User Start-Up";
const wchar_t kSystemLocationText[] = L"System Start-Up";
const wchar_t kSystem32LocationText[] = L"System Start-Up (32-bit)";

namespace {
StartupSource RunSource(const wchar_t* location, HKEY hive, REGSAM view, const wchar_t* keyPath,
                        const wchar_t* disabledKeyPath, const wchar_t* approvedKeyPath, REGSAM approvedView)
{
    return {location, StartupKind::Run, hive, view, keyPath, disabledKeyPath, approvedKeyPath, approvedView};
}

StartupSource ListedSource(const wchar_t* location, StartupKind kind, HKEY hive, REGSAM view, const wchar_t* keyPath)
{
    return {location, kind, hive, view, keyPath, nullptr, nullptr, 0};
}

// A Startup folder, found where the User Shell Folders key of its hive and
// view says.
StartupSource FolderSource(const wchar_t* location, HKEY hive, REGSAM view, int folder, int dataFolder)
{
    return {location, StartupKind::Folder, hive, view, nullptr, nullptr, kApprovedFolderKeyPath, view,
            folder, dataFolder};
}

StartupSource ValueSource(const wchar_t* location, HKEY hive, REGSAM view, const wchar_t* keyPath,
                          const wchar_t* valueName, const wchar_t* windowsDefault)
{
    return {location,  StartupKind::Value, hive, view, keyPath, nullptr, nullptr, 0, 0, 0,
            valueName, windowsDefault};
}

StartupSource InGroup(StartupSource source, PlaceGroup group)
{
    source.group = group;
    return source;
}

// A source whose entries Windows starts before anyone logs on.
StartupSource AtBoot(StartupSource source, PlaceGroup group = PlaceGroup::Boot)
{
    source.outsideLogOn = true;
    source.group = group;
    return source;
}

// A source of places whose entries Windows loads or starts outside the
// log-on: each entry one value (of the key, or of a subkey per program),
// named `valueName` where it is one value of a key that holds more.
StartupSource OutsideLogOn(const wchar_t* location, StartupKind kind, HKEY hive, REGSAM view, const wchar_t* keyPath,
                           const wchar_t* disabledKeyPath, const wchar_t* valueName, PlaceGroup group)
{
    StartupSource source{location,  kind,   hive, view, keyPath, disabledKeyPath, nullptr, 0, 0, 0,
                         valueName, nullptr};
    source.outsideLogOn = true;
    source.group = group;
    return source;
}

std::wstring Lower(std::wstring text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
    return text;
}

std::wstring Trimmed(const std::wstring& text)
{
    const std::size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos)
        return {};
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

std::wstring Expanded(const std::wstring& text)
{
    const DWORD length = ::ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (length == 0)
        return text;
    std::wstring expanded(length, L'\0');
    expanded.resize(::ExpandEnvironmentStringsW(text.c_str(), expanded.data(), length));
    if (!expanded.empty() && expanded.back() == L'\0')
        expanded.pop_back();
    return expanded;
}

std::wstring WithoutQuotes(const std::wstring& text)
{
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"')
        return text.substr(1, text.size() - 2);
    return text;
}

// The programs of a value, each in lower case, a program in the system's own
// folders by its file name alone.
std::vector<std::wstring> Programs(const std::wstring& text)
{
    wchar_t folder[MAX_PATH];
    std::vector<std::wstring> ownFolders;
    if (UINT length = ::GetSystemDirectoryW(folder, MAX_PATH); length && length < MAX_PATH)
        ownFolders.push_back(Lower(folder) + L"\\");
    if (UINT length = ::GetSystemWindowsDirectoryW(folder, MAX_PATH); length && length < MAX_PATH)
        ownFolders.push_back(Lower(folder) + L"\\");

    std::vector<std::wstring> programs;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(L',', start);
        std::wstring program = Lower(WithoutQuotes(Trimmed(Expanded(text.substr(start, comma - start)))));
        for (const std::wstring& own : ownFolders) {
            if (program.size() > own.size() && program.compare(0, own.size(), own) == 0
                && program.find(L'\\', own.size()) == std::wstring::npos)
                program.erase(0, own.size());
        }
        if (!program.empty())
            programs.push_back(program);
        if (comma == std::wstring::npos)
            return programs;
        start = comma + 1;
    }
}
} // namespace

std::vector<StartupSource> StartupSources(bool windows64)
{
    // A view is named only where there are two; 32-bit Windows has one.
    const REGSAM native = windows64 ? KEY_WOW64_64KEY : 0;
    const REGSAM view32 = KEY_WOW64_32KEY;
    const HKEY user = HKEY_CURRENT_USER;
    const HKEY machine = HKEY_LOCAL_MACHINE;
    const StartupKind once = StartupKind::RunOnce;
    const StartupKind onceEx = StartupKind::RunOnceEx;
    std::vector<StartupSource> sources;
    auto add = [&](bool wanted, StartupSource source) {
        if (wanted)
            sources.push_back(source);
    };
    add(true, RunSource(kUserLocationText, user, 0, kRunKeyPath, kDisabledKeyPath, kApprovedRunKeyPath, 0));
    add(true, RunSource(kSystemLocationText, machine, native, kRunKeyPath, kDisabledKeyPath, kApprovedRunKeyPath,
                        native));
    add(windows64, RunSource(kSystem32LocationText, machine, view32, kRunKeyPath, kDisabledKeyPath,
                             kApprovedRun32KeyPath, native));
    add(true, RunSource(L"User Policy Start-Up", user, 0, kPolicyRunKeyPath, kDisabledPolicyKeyPath, nullptr, 0));
    add(true, RunSource(L"System Policy Start-Up", machine, native, kPolicyRunKeyPath, kDisabledPolicyKeyPath,
                        nullptr, 0));
    add(windows64, RunSource(L"System Policy Start-Up (32-bit)", machine, view32, kPolicyRunKeyPath,
                             kDisabledPolicyKeyPath, nullptr, 0));
    add(true, FolderSource(L"User Start-Up Folder", user, 0, CSIDL_STARTUP, CSIDL_APPDATA));
    add(true, FolderSource(L"All Users Start-Up Folder", machine, native, CSIDL_COMMON_STARTUP, CSIDL_COMMON_APPDATA));
    add(true, ListedSource(L"User Run-Once", once, user, 0, kRunOnceKeyPath));
    add(true, ListedSource(L"System Run-Once", once, machine, native, kRunOnceKeyPath));
    add(windows64, ListedSource(L"System Run-Once (32-bit)", once, machine, view32, kRunOnceKeyPath));
    add(true, ListedSource(L"System Run-Once Ex", onceEx, machine, native, kRunOnceExKeyPath));
    add(windows64, ListedSource(L"System Run-Once Ex (32-bit)", onceEx, machine, view32, kRunOnceExKeyPath));
    add(true, ValueSource(L"System Logon (Userinit)", machine, native, kWinlogonKeyPath, L"Userinit", L"userinit.exe"));
    add(true, ValueSource(L"System Logon (Shell)", machine, native, kWinlogonKeyPath, L"Shell", L"explorer.exe"));
    add(true, ValueSource(L"User Logon (Shell)", user, 0, kWinlogonKeyPath, L"Shell", nullptr));
    add(true, AtBoot(ValueSource(L"System Boot (BootExecute)", machine, native, kSessionManagerKeyPath,
                                 L"BootExecute", L"autocheck autochk *")));
    add(true, AtBoot(ValueSource(L"System Boot (Verification)", machine, native, kBootVerificationKeyPath,
                                 L"ImagePath", nullptr)));
    add(true, ValueSource(L"Remote Desktop Start-Up", machine, native, kRemoteDesktopKeyPath, L"StartupPrograms",
                          L"rdpclip"));
    // Terminal Server's install mode: the same three keys, read at log-on too.
    add(true, RunSource(L"User Install Start-Up", user, 0, kInstallRunKeyPath, kDisabledInstallKeyPath, nullptr, 0));
    add(true, RunSource(L"System Install Start-Up", machine, native, kInstallRunKeyPath, kDisabledInstallKeyPath,
                        nullptr, 0));
    add(true, ListedSource(L"User Install Run-Once", once, user, 0, kInstallRunOnceKeyPath));
    add(true, ListedSource(L"System Install Run-Once", once, machine, native, kInstallRunOnceKeyPath));
    add(true, ListedSource(L"User Install Run-Once Ex", onceEx, user, 0, kInstallRunOnceExKeyPath));
    add(true, ListedSource(L"System Install Run-Once Ex", onceEx, machine, native, kInstallRunOnceExKeyPath));
    // More values that log-on runs whole.
    add(true, ValueSource(L"User Logon (Load)", user, 0, kWindowsKeyPath, L"Load", nullptr));
    add(true, ValueSource(L"User Logon (Run)", user, 0, kWindowsKeyPath, L"Run", nullptr));
    add(true, ValueSource(L"System Logon (Taskman)", machine, native, kWinlogonKeyPath, L"Taskman", nullptr));
    add(true, ValueSource(L"System Logon (AppSetup)", machine, native, kWinlogonKeyPath, L"AppSetup", nullptr));
    add(true, ValueSource(L"System Logon (VmApplet)", machine, native, kWinlogonKeyPath, L"VmApplet",
                          L"SystemPropertiesPerformance.exe /pagefile"));
    add(true, ValueSource(L"User Policy Logon (Shell)", user, 0, kPolicySystemKeyPath, L"Shell", nullptr));
    add(true, ValueSource(L"System Policy Logon (Shell)", machine, native, kPolicySystemKeyPath, L"Shell", nullptr));
    add(true, ValueSource(L"User Logon Script", user, 0, kEnvironmentKeyPath, L"UserInitMprLogonScript", nullptr));
    add(true, ListedSource(L"User Logon Scripts (Group Policy)", StartupKind::Script, user, 0, kLogonScriptsKeyPath));
    add(true, AtBoot(ListedSource(L"System Start-Up Scripts (Group Policy)", StartupKind::Script, machine, native,
                                  kStartupScriptsKeyPath)));
    add(true, ListedSource(L"System Active Setup", StartupKind::ActiveSetup, machine, native, kActiveSetupKeyPath));
    add(windows64, ListedSource(L"System Active Setup (32-bit)", StartupKind::ActiveSetup, machine, view32,
                                kActiveSetupKeyPath));
    add(true, ValueSource(L"Safe Mode (AlternateShell)", machine, native, kSafeBootKeyPath, L"AlternateShell",
                          L"cmd.exe"));
    add(true, ValueSource(L"Remote Desktop Initial Program", machine, native, kRdpTcpKeyPath, L"InitialProgram",
                          nullptr));
    add(true, ListedSource(L"Packaged App Start-Up", StartupKind::Packaged, user, 0, kPackageRepositoryKeyPath));
    add(true, InGroup(ListedSource(L"Scheduled Task (Log-On)", StartupKind::LogOnTask, machine, native, nullptr),
                      PlaceGroup::ScheduledTasks));
    add(true, AtBoot(ListedSource(L"Scheduled Task (Boot)", StartupKind::BootTask, machine, native, nullptr),
                     PlaceGroup::ScheduledTasks));
    add(true, AtBoot({L"System Services", StartupKind::Service, machine, native, kServicesKeyPath,
                      kDisabledServicesKeyPath, nullptr, 0},
                     PlaceGroup::Services));
    // Libraries and providers that Windows' own services load, and drivers:
    // none is a program of the log-on. Winlogon and Group Policy read the
    // machine's native view alone; HKLM\System has one view.
    auto loaded = [](const wchar_t* location, StartupKind kind, HKEY hive, REGSAM view, const wchar_t* keyPath,
                     const wchar_t* valueName, PlaceGroup group = PlaceGroup::Libraries) {
        return OutsideLogOn(location, kind, hive, view, keyPath, nullptr, valueName, group);
    };
    using K = StartupKind;
    add(true, loaded(L"User Winlogon Notify", K::WinlogonNotify, user, 0, kWinlogonNotifyKeyPath, L"DllName"));
    add(true, loaded(L"System Winlogon Notify", K::WinlogonNotify, machine, native, kWinlogonNotifyKeyPath,
                     L"DllName"));
    add(true, loaded(L"System Group Policy Extensions", K::GroupPolicyExtension, machine, native,
                     kGroupPolicyExtensionsKeyPath, L"DllName"));
    add(true, loaded(L"System LSA (Authentication Packages)", K::LsaPackages, machine, native, kLsaKeyPath,
                     L"Authentication Packages"));
    add(true, loaded(L"System LSA (Notification Packages)", K::LsaPackages, machine, native, kLsaKeyPath,
                     L"Notification Packages"));
    add(true, loaded(L"System LSA (Security Packages)", K::LsaPackages, machine, native, kLsaKeyPath,
                     L"Security Packages"));
    add(true, loaded(L"System LSA (OSConfig Security Packages)", K::LsaPackages, machine, native,
                     kLsaOSConfigKeyPath, L"Security Packages"));
    add(true, loaded(L"System Security Providers", K::SecurityProviders, machine, native, kSecurityProvidersKeyPath,
                     L"SecurityProviders"));
    add(true, loaded(L"System Print Monitors", K::PrintMonitor, machine, native, kPrintMonitorsKeyPath, L"Driver"));
    add(true, loaded(L"System Print Processors", K::PrintProcessor, machine, native, kPrintEnvironmentsKeyPath,
                     L"Driver"));
    add(true, loaded(L"System Network Providers", K::NetworkProvider, machine, native, kNetworkProviderOrderKeyPath,
                     L"ProviderOrder"));
    // 64-bit Windows keeps a catalog for each kind of program; 32-bit Windows the one.
    add(windows64, loaded(L"System Winsock Providers", K::WinsockProvider, machine, native, kWinsockCatalog64KeyPath,
                          L"LibraryPath"));
    add(true, loaded(windows64 ? L"System Winsock Providers (32-bit)" : L"System Winsock Providers",
                     K::WinsockProvider, machine, native, kWinsockCatalogKeyPath, L"LibraryPath"));
    add(true, loaded(L"System Time Providers", K::TimeProvider, machine, native, kTimeProvidersKeyPath, L"DllName"));
    add(true, loaded(L"System Codecs", K::Codec, machine, native, kDrivers32KeyPath, nullptr));
    add(windows64, loaded(L"System Codecs (32-bit)", K::Codec, machine, view32, kDrivers32KeyPath, nullptr));
    add(true, loaded(L"System Shim Databases", K::ShimDatabase, machine, native,
                     kInstalledShimDatabasesKeyPath, L"DatabasePath"));
    add(windows64, loaded(L"System Shim Databases (32-bit)", K::ShimDatabase, machine, view32,
                          kInstalledShimDatabasesKeyPath, L"DatabasePath"));
    add(true, loaded(L"System Shimmed Programs", K::ShimProgram, machine, native, kCustomShimsKeyPath, nullptr));
    add(windows64, loaded(L"System Shimmed Programs (32-bit)", K::ShimProgram, machine, view32,
                          kCustomShimsKeyPath, nullptr));
    add(true, loaded(L"System Drivers", K::Driver, machine, native, kServicesKeyPath, nullptr, PlaceGroup::Drivers));
    // Classes that Windows, Explorer and Office load, and the user's classes that shadow the machine's.
    {
        // Libraries loaded into other programs: no program of the log-on.
        auto classPlace = [&](bool wanted, PlaceGroup group, const wchar_t* location, StartupKind kind, HKEY hive,
                              REGSAM view, const wchar_t* keyPath) {
            add(wanted, OutsideLogOn(location, kind, hive, view, keyPath, nullptr, nullptr, group));
        };
        // A place of the user's, read once, and of the machine in each view.
        auto everywhere = [&](PlaceGroup group, const wchar_t* userLocation, const wchar_t* systemLocation,
                              const wchar_t* system32Location, StartupKind kind, const wchar_t* keyPath) {
            classPlace(userLocation != nullptr, group, userLocation, kind, user, 0, keyPath);
            classPlace(true, group, systemLocation, kind, machine, native, keyPath);
            classPlace(windows64, group, system32Location, kind, machine, view32, keyPath);
        };
        const PlaceGroup explorer = PlaceGroup::Explorer;
        classPlace(true, PlaceGroup::Libraries, L"Credential Providers", StartupKind::CredentialProvider, machine, native,
               kCredentialProvidersKeyPath);
        everywhere(explorer, L"User Shell Service Objects", L"System Shell Service Objects",
                   L"System Shell Service Objects (32-bit)", StartupKind::ClassValue, kShellServiceObjectsKeyPath);
        everywhere(explorer, nullptr, L"Shared Task Scheduler", L"Shared Task Scheduler (32-bit)",
                   StartupKind::ClassNamedValue, kSharedTaskSchedulerKeyPath);
        everywhere(explorer, L"User Icon Overlays", L"System Icon Overlays", L"System Icon Overlays (32-bit)",
                   StartupKind::IconOverlay, kIconOverlaysKeyPath);
        everywhere(explorer, nullptr, L"Shell Execute Hooks", L"Shell Execute Hooks (32-bit)",
                   StartupKind::ClassNamedValue, kShellExecuteHooksKeyPath);
        const struct {
            const wchar_t* user;
            const wchar_t* system;
            const wchar_t* system32;
            const wchar_t* keyPath;
        } menus[] = {
            {L"User Context Menu (*)", L"System Context Menu (*)", L"System Context Menu (*) (32-bit)",
             L"Software\\Classes\\*\\shellex\\ContextMenuHandlers"},
            {L"User Context Menu (Directory)", L"System Context Menu (Directory)",
             L"System Context Menu (Directory) (32-bit)", L"Software\\Classes\\Directory\\shellex\\ContextMenuHandlers"},
            {L"User Context Menu (Directory Background)", L"System Context Menu (Directory Background)",
             L"System Context Menu (Directory Background) (32-bit)",
             L"Software\\Classes\\Directory\\Background\\shellex\\ContextMenuHandlers"},
            {L"User Context Menu (Folder)", L"System Context Menu (Folder)", L"System Context Menu (Folder) (32-bit)",
             L"Software\\Classes\\Folder\\shellex\\ContextMenuHandlers"},
            {L"User Context Menu (Drive)", L"System Context Menu (Drive)", L"System Context Menu (Drive) (32-bit)",
             L"Software\\Classes\\Drive\\shellex\\ContextMenuHandlers"},
            {L"User Context Menu (AllFilesystemObjects)", L"System Context Menu (AllFilesystemObjects)",
             L"System Context Menu (AllFilesystemObjects) (32-bit)",
             L"Software\\Classes\\AllFilesystemObjects\\shellex\\ContextMenuHandlers"},
        };
        for (const auto& menu : menus)
            everywhere(explorer, menu.user, menu.system, menu.system32, StartupKind::ContextMenuHandler, menu.keyPath);
        everywhere(explorer, nullptr, L"Browser Helper Objects", L"Browser Helper Objects (32-bit)",
                   StartupKind::BrowserHelper, kBrowserHelperObjectsKeyPath);
        const struct {
            const wchar_t* user;
            const wchar_t* system;
            const wchar_t* system32;
            const wchar_t* keyPath;
        } office[] = {
            {L"User Office Add-Ins (Word)", L"System Office Add-Ins (Word)", L"System Office Add-Ins (Word) (32-bit)",
             L"Software\\Microsoft\\Office\\Word\\Addins"},
            {L"User Office Add-Ins (Excel)", L"System Office Add-Ins (Excel)", L"System Office Add-Ins (Excel) (32-bit)",
             L"Software\\Microsoft\\Office\\Excel\\Addins"},
            {L"User Office Add-Ins (PowerPoint)", L"System Office Add-Ins (PowerPoint)",
             L"System Office Add-Ins (PowerPoint) (32-bit)", L"Software\\Microsoft\\Office\\PowerPoint\\Addins"},
            {L"User Office Add-Ins (Outlook)", L"System Office Add-Ins (Outlook)",
             L"System Office Add-Ins (Outlook) (32-bit)", L"Software\\Microsoft\\Office\\Outlook\\Addins"},
        };
        for (const auto& app : office)
            everywhere(PlaceGroup::Office, app.user, app.system, app.system32, StartupKind::OfficeAddIn, app.keyPath);
        // The user's classes in each view they have (on 64-bit Windows the
        // 32-bit programs' are apart), against the machine's of that view.
        classPlace(true, PlaceGroup::ComHijacks, L"User COM Hijacks", StartupKind::ComHijack, user, native,
               kClassIdsKeyPath);
        classPlace(windows64, PlaceGroup::ComHijacks, L"User COM Hijacks (32-bit)", StartupKind::ComHijack, user, view32,
               kClassIdsKeyPath);
    }
    // Image hijacks, libraries and single values switched by moving them.
    const PlaceGroup hijacks = PlaceGroup::ImageHijacks;
    const PlaceGroup libraries = PlaceGroup::Libraries;
    add(true, OutsideLogOn(L"System Image Hijacks (Debugger)", StartupKind::Debugger, machine, native,
                           kImageOptionsKeyPath, kDisabledDebuggersKeyPath, L"Debugger", hijacks));
    add(windows64, OutsideLogOn(L"System Image Hijacks (Debugger) (32-bit)", StartupKind::Debugger, machine, view32,
                                kImageOptionsKeyPath, kDisabledDebuggersKeyPath, L"Debugger", hijacks));
    add(true, OutsideLogOn(L"System Image Hijacks (Exit Monitor)", StartupKind::ExitMonitor, machine, native,
                           kSilentProcessExitKeyPath, kDisabledExitMonitorsKeyPath, L"MonitorProcess", hijacks));
    add(windows64, OutsideLogOn(L"System Image Hijacks (Exit Monitor) (32-bit)", StartupKind::ExitMonitor, machine,
                                view32, kSilentProcessExitKeyPath, kDisabledExitMonitorsKeyPath, L"MonitorProcess",
                                hijacks));
    add(true, OutsideLogOn(L"User Command Processor (AutoRun)", StartupKind::AutoRun, user, 0,
                           kCommandProcessorKeyPath, kDisabledAutoRunKeyPath, L"AutoRun", hijacks));
    add(true, OutsideLogOn(L"System Command Processor (AutoRun)", StartupKind::AutoRun, machine, native,
                           kCommandProcessorKeyPath, kDisabledAutoRunKeyPath, L"AutoRun", hijacks));
    add(windows64, OutsideLogOn(L"System Command Processor (AutoRun) (32-bit)", StartupKind::AutoRun, machine, view32,
                                kCommandProcessorKeyPath, kDisabledAutoRunKeyPath, L"AutoRun", hijacks));
    add(true, OutsideLogOn(L"User Open Commands", StartupKind::OpenCommand, user, 0, kClassesKeyPath, nullptr,
                           nullptr, hijacks));
    add(true, OutsideLogOn(L"System Open Commands", StartupKind::OpenCommand, machine, native, kClassesKeyPath,
                           nullptr, nullptr, hijacks));
    add(true, OutsideLogOn(L"System AppInit Libraries", StartupKind::AppInit, machine, native, kWindowsKeyPath,
                           kDisabledAppInitKeyPath, L"AppInit_DLLs", libraries));
    add(windows64, OutsideLogOn(L"System AppInit Libraries (32-bit)", StartupKind::AppInit, machine, view32,
                                kWindowsKeyPath, kDisabledAppInitKeyPath, L"AppInit_DLLs", libraries));
    add(true, OutsideLogOn(L"System AppCert Libraries", StartupKind::AppCert, machine, native, kAppCertDllsKeyPath,
                           kDisabledAppCertKeyPath, nullptr, libraries));
    add(true, OutsideLogOn(L"System Netsh Helpers", StartupKind::NetshHelper, machine, native, kNetshKeyPath,
                           kDisabledNetshKeyPath, nullptr, libraries));
    add(windows64, OutsideLogOn(L"System Netsh Helpers (32-bit)", StartupKind::NetshHelper, machine, view32,
                                kNetshKeyPath, kDisabledNetshKeyPath, nullptr, libraries));
    add(true, OutsideLogOn(L"User Screen Saver", StartupKind::ScreenSaver, user, 0, kDesktopKeyPath,
                           kDisabledScreenSaverKeyPath, L"SCRNSAVE.EXE", PlaceGroup::LogOn));
    add(true, OutsideLogOn(L"User Office Test Library", StartupKind::OfficeTest, user, 0, kOfficeTestKeyPath,
                           kDisabledOfficeTestKeyPath, L"", PlaceGroup::Office));
    return sources;
}

std::vector<StartupSource> StartupSources()
{
    return StartupSources(IsWindows64Bit());
}

const wchar_t* PlaceGroupText(PlaceGroup group)
{
    switch (group) {
    case PlaceGroup::LogOn: return L"Log-on";
    case PlaceGroup::Boot: return L"Boot";
    case PlaceGroup::Services: return L"Services";
    case PlaceGroup::ScheduledTasks: return L"Scheduled tasks";
    case PlaceGroup::Drivers: return L"Drivers";
    case PlaceGroup::Explorer: return L"Explorer";
    case PlaceGroup::ImageHijacks: return L"Image hijacks";
    case PlaceGroup::Libraries: return L"Libraries and providers";
    case PlaceGroup::Office: return L"Office";
    case PlaceGroup::ComHijacks: return L"COM hijacks";
    }
    return L"";
}

bool IsWindows64Bit()
{
#ifdef _WIN64
    return true;
#else
    BOOL wow64 = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
#endif
}

bool IsWindowsDefault(const StartupSource& source, const std::wstring& text)
{
    return Programs(text) == Programs(source.windowsDefault ? source.windowsDefault : L"");
}
