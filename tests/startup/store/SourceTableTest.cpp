// The start-up sources of 32-bit and of 64-bit Windows, and which values of
// the places that Windows alone fills are its own defaults.

#include "pages/startup/store/StartupSources.h"
#include "pages/startup/store/StartupWatcher.h"
#include "support/WideText.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <vector>

namespace {
std::string Text(const wchar_t* text)
{
    return text ? U8(text) : std::string();
}

// One source as a line: what it is, where, and where its switched-off entries go.
std::string Described(const StartupSource& source)
{
    const char* kinds[] = {"run", "once", "once-ex", "folder", "value", "scripts", "active-setup", "packaged",
                           "services", "log-on-task", "boot-task",
                           // Libraries and providers that Windows' own services load, and drivers.
                           "winlogon-notify", "gp-extension", "lsa-packages", "security-providers", "print-monitor",
                           "print-processor", "network-provider", "winsock", "time-provider", "codec",
                           "shim-database", "shim-program", "driver",
                           // Classes that Windows, Explorer and Office load, and the user's classes that shadow the machine's.
                           "credential-provider", "browser-helper", "class-value", "class-named-value", "icon-overlay",
                           "context-menu", "office-add-in", "com-hijack",
                           // Image hijacks, libraries and single values switched by moving them.
                           "debugger", "exit-monitor", "autorun", "open-command", "appinit", "appcert", "netsh",
                           "screen-saver", "office-test"};
    std::string view = source.view == KEY_WOW64_64KEY ? "/64" : source.view == KEY_WOW64_32KEY ? "/32" : "";
    std::string text = Text(source.location) + ": " + kinds[static_cast<int>(source.kind)]
                       + (source.hive == HKEY_CURRENT_USER ? " HKCU" : " HKLM") + view;
    if (source.keyPath)
        text += " " + Text(source.keyPath);
    if (source.valueName)
        text += " [" + Text(source.valueName) + "]";
    if (source.disabledKeyPath)
        text += " -> " + Text(source.disabledKeyPath);
    if (source.folder)
        text += " folder " + std::to_string(source.folder) + " -> " + std::to_string(source.dataFolder);
    if (source.approvedKeyPath)
        text += " switch " + Text(source.approvedKeyPath).substr(Text(source.approvedKeyPath).rfind('\\') + 1)
                + (source.approvedView == KEY_WOW64_64KEY ? "/64" : "");
    return text + (IsSwitchable(source) ? "" : " (listed)");
}

std::vector<std::string> Described(const std::vector<StartupSource>& sources)
{
    std::vector<std::string> lines;
    for (const StartupSource& source : sources)
        lines.push_back(Described(source));
    return lines;
}

const std::string kCv = "Software\\Microsoft\\Windows\\CurrentVersion\\";
const std::string kRun = kCv + "Run";
const std::string kOff = "Software\\Quorvane\\DisabledStartup";
const std::string kPolicy = kCv + "Policies\\Explorer\\Run -> Software\\Quorvane\\DisabledPolicyStartup";
const std::string kWinlogon = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const std::string kControl = "System\\CurrentControlSet\\Control\\";
const std::string kStartup = std::to_string(CSIDL_STARTUP) + " -> " + std::to_string(CSIDL_APPDATA);
const std::string kCommon = std::to_string(CSIDL_COMMON_STARTUP) + " -> " + std::to_string(CSIDL_COMMON_APPDATA);
const std::string kInstall = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Terminal Server\\Install\\" + kRun;
const std::string kScripts = kCv + "Group Policy\\Scripts\\";
const std::string kNt = "Software\\Microsoft\\Windows NT\\CurrentVersion\\";
const std::string kWinsock = "System\\CurrentControlSet\\Services\\WinSock2\\Parameters\\NameSpace_Catalog5\\Catalog_Entries";
// Classes that Windows, Explorer and Office load, and the user's classes that shadow the machine's.
std::string MenuKey(const std::string& type)
{
    return "Software\\Classes\\" + type + "\\shellex\\ContextMenuHandlers (listed)";
}
std::string AddInsKey(const std::string& app)
{
    return "Software\\Microsoft\\Office\\" + app + "\\Addins (listed)";
}
// Image hijacks, libraries and single values switched by moving them.
const std::string kCmd = "Software\\Microsoft\\Command Processor";
const std::string kKept = "Software\\Quorvane\\Disabled";

TEST(StartupSourceTable, EverySourceInListingOrderWithBothMachineViewsOnlyOn64BitWindows)
{
    EXPECT_EQ(Described(StartupSources(true)),
              (std::vector<std::string>{
                  "User Start-Up: run HKCU " + kRun + " -> " + kOff + " switch Run",
                  "System Start-Up: run HKLM/64 " + kRun + " -> " + kOff + " switch Run/64",
                  "System Start-Up (32-bit): run HKLM/32 " + kRun + " -> " + kOff + " switch Run32/64",
                  "User Policy Start-Up: run HKCU " + kPolicy,
                  "System Policy Start-Up: run HKLM/64 " + kPolicy,
                  "System Policy Start-Up (32-bit): run HKLM/32 " + kPolicy,
                  "User Start-Up Folder: folder HKCU folder " + kStartup + " switch StartupFolder",
                  "All Users Start-Up Folder: folder HKLM/64 folder " + kCommon + " switch StartupFolder/64",
                  "User Run-Once: once HKCU " + kRun + "Once (listed)",
                  "System Run-Once: once HKLM/64 " + kRun + "Once (listed)",
                  "System Run-Once (32-bit): once HKLM/32 " + kRun + "Once (listed)",
                  "System Run-Once Ex: once-ex HKLM/64 " + kRun + "OnceEx (listed)",
                  "System Run-Once Ex (32-bit): once-ex HKLM/32 " + kRun + "OnceEx (listed)",
                  "System Logon (Userinit): value HKLM/64 " + kWinlogon + " [Userinit] (listed)",
                  "System Logon (Shell): value HKLM/64 " + kWinlogon + " [Shell] (listed)",
                  "User Logon (Shell): value HKCU " + kWinlogon + " [Shell] (listed)",
                  "System Boot (BootExecute): value HKLM/64 " + kControl + "Session Manager [BootExecute] (listed)",
                  "System Boot (Verification): value HKLM/64 " + kControl + "BootVerificationProgram [ImagePath] (listed)",
                  "Remote Desktop Start-Up: value HKLM/64 " + kControl
                      + "Terminal Server\\Wds\\rdpwd [StartupPrograms] (listed)",
                  "User Install Start-Up: run HKCU " + kInstall + " -> Software\\Quorvane\\DisabledInstallStartup",
                  "System Install Start-Up: run HKLM/64 " + kInstall + " -> Software\\Quorvane\\DisabledInstallStartup",
                  "User Install Run-Once: once HKCU " + kInstall + "Once (listed)",
                  "System Install Run-Once: once HKLM/64 " + kInstall + "Once (listed)",
                  "User Install Run-Once Ex: once-ex HKCU " + kInstall + "OnceEx (listed)",
                  "System Install Run-Once Ex: once-ex HKLM/64 " + kInstall + "OnceEx (listed)",
                  "User Logon (Load): value HKCU Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows [Load] (listed)",
                  "User Logon (Run): value HKCU Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows [Run] (listed)",
                  "System Logon (Taskman): value HKLM/64 " + kWinlogon + " [Taskman] (listed)",
                  "System Logon (AppSetup): value HKLM/64 " + kWinlogon + " [AppSetup] (listed)",
                  "System Logon (VmApplet): value HKLM/64 " + kWinlogon + " [VmApplet] (listed)",
                  "User Policy Logon (Shell): value HKCU " + kCv + "Policies\\System [Shell] (listed)",
                  "System Policy Logon (Shell): value HKLM/64 " + kCv + "Policies\\System [Shell] (listed)",
                  "User Logon Script: value HKCU Environment [UserInitMprLogonScript] (listed)",
                  "User Logon Scripts (Group Policy): scripts HKCU " + kScripts + "Logon (listed)",
                  "System Start-Up Scripts (Group Policy): scripts HKLM/64 " + kScripts + "Startup (listed)",
                  "System Active Setup: active-setup HKLM/64 Software\\Microsoft\\Active Setup\\Installed Components (listed)",
                  "System Active Setup (32-bit): active-setup HKLM/32 Software\\Microsoft\\Active Setup\\Installed Components (listed)",
                  "Safe Mode (AlternateShell): value HKLM/64 " + kControl + "SafeBoot [AlternateShell] (listed)",
                  "Remote Desktop Initial Program: value HKLM/64 " + kControl
                      + "Terminal Server\\WinStations\\RDP-Tcp [InitialProgram] (listed)",
                  "Packaged App Start-Up: packaged HKCU Software\\Classes\\Local Settings\\" + kCv
                      + "AppModel\\Repository\\Packages",
                  "Scheduled Task (Log-On): log-on-task HKLM/64",
                  "Scheduled Task (Boot): boot-task HKLM/64",
                  "System Services: services HKLM/64 System\\CurrentControlSet\\Services"
                      " -> Software\\Quorvane\\DisabledServices",
                  // Libraries and providers that Windows' own services load, and drivers.
                  "User Winlogon Notify: winlogon-notify HKCU " + kWinlogon + "\\Notify [DllName] (listed)",
                  "System Winlogon Notify: winlogon-notify HKLM/64 " + kWinlogon + "\\Notify [DllName] (listed)",
                  "System Group Policy Extensions: gp-extension HKLM/64 " + kWinlogon + "\\GPExtensions [DllName] (listed)",
                  "System LSA (Authentication Packages): lsa-packages HKLM/64 " + kControl
                      + "Lsa [Authentication Packages] (listed)",
                  "System LSA (Notification Packages): lsa-packages HKLM/64 " + kControl
                      + "Lsa [Notification Packages] (listed)",
                  "System LSA (Security Packages): lsa-packages HKLM/64 " + kControl + "Lsa [Security Packages] (listed)",
                  "System LSA (OSConfig Security Packages): lsa-packages HKLM/64 " + kControl
                      + "Lsa\\OSConfig [Security Packages] (listed)",
                  "System Security Providers: security-providers HKLM/64 " + kControl
                      + "SecurityProviders [SecurityProviders] (listed)",
                  "System Print Monitors: print-monitor HKLM/64 " + kControl + "Print\\Monitors [Driver] (listed)",
                  "System Print Processors: print-processor HKLM/64 " + kControl + "Print\\Environments [Driver] (listed)",
                  "System Network Providers: network-provider HKLM/64 " + kControl
                      + "NetworkProvider\\Order [ProviderOrder] (listed)",
                  "System Winsock Providers: winsock HKLM/64 " + kWinsock + "64 [LibraryPath] (listed)",
                  "System Winsock Providers (32-bit): winsock HKLM/64 " + kWinsock + " [LibraryPath] (listed)",
                  "System Time Providers: time-provider HKLM/64 System\\CurrentControlSet\\Services\\W32Time\\TimeProviders"
                  " [DllName] (listed)",
                  "System Codecs: codec HKLM/64 " + kNt + "Drivers32 (listed)",
                  "System Codecs (32-bit): codec HKLM/32 " + kNt + "Drivers32 (listed)",
                  "System Shim Databases: shim-database HKLM/64 " + kNt + "AppCompatFlags\\InstalledSDB [DatabasePath] (listed)",
                  "System Shim Databases (32-bit): shim-database HKLM/32 " + kNt
                      + "AppCompatFlags\\InstalledSDB [DatabasePath] (listed)",
                  "System Shimmed Programs: shim-program HKLM/64 " + kNt + "AppCompatFlags\\Custom (listed)",
                  "System Shimmed Programs (32-bit): shim-program HKLM/32 " + kNt + "AppCompatFlags\\Custom (listed)",
                  "System Drivers: driver HKLM/64 System\\CurrentControlSet\\Services (listed)",
                  // Classes that Windows, Explorer and Office load, and the user's classes that shadow the machine's.
                  "Credential Providers: credential-provider HKLM/64 " + kCv + "Authentication\\Credential Providers (listed)",
                  "User Shell Service Objects: class-value HKCU " + kCv + "ShellServiceObjectDelayLoad (listed)",
                  "System Shell Service Objects: class-value HKLM/64 " + kCv + "ShellServiceObjectDelayLoad (listed)",
                  "System Shell Service Objects (32-bit): class-value HKLM/32 " + kCv
                      + "ShellServiceObjectDelayLoad (listed)",
                  "Shared Task Scheduler: class-named-value HKLM/64 " + kCv + "Explorer\\SharedTaskScheduler (listed)",
                  "Shared Task Scheduler (32-bit): class-named-value HKLM/32 " + kCv
                      + "Explorer\\SharedTaskScheduler (listed)",
                  "User Icon Overlays: icon-overlay HKCU " + kCv + "Explorer\\ShellIconOverlayIdentifiers (listed)",
                  "System Icon Overlays: icon-overlay HKLM/64 " + kCv + "Explorer\\ShellIconOverlayIdentifiers (listed)",
                  "System Icon Overlays (32-bit): icon-overlay HKLM/32 " + kCv
                      + "Explorer\\ShellIconOverlayIdentifiers (listed)",
                  "Shell Execute Hooks: class-named-value HKLM/64 " + kCv + "Explorer\\ShellExecuteHooks (listed)",
                  "Shell Execute Hooks (32-bit): class-named-value HKLM/32 " + kCv + "Explorer\\ShellExecuteHooks (listed)",
                  "User Context Menu (*): context-menu HKCU " + MenuKey("*"),
                  "System Context Menu (*): context-menu HKLM/64 " + MenuKey("*"),
                  "System Context Menu (*) (32-bit): context-menu HKLM/32 " + MenuKey("*"),
                  "User Context Menu (Directory): context-menu HKCU " + MenuKey("Directory"),
                  "System Context Menu (Directory): context-menu HKLM/64 " + MenuKey("Directory"),
                  "System Context Menu (Directory) (32-bit): context-menu HKLM/32 " + MenuKey("Directory"),
                  "User Context Menu (Directory Background): context-menu HKCU " + MenuKey("Directory\\Background"),
                  "System Context Menu (Directory Background): context-menu HKLM/64 " + MenuKey("Directory\\Background"),
                  "System Context Menu (Directory Background) (32-bit): context-menu HKLM/32 "
                      + MenuKey("Directory\\Background"),
                  "User Context Menu (Folder): context-menu HKCU " + MenuKey("Folder"),
                  "System Context Menu (Folder): context-menu HKLM/64 " + MenuKey("Folder"),
                  "System Context Menu (Folder) (32-bit): context-menu HKLM/32 " + MenuKey("Folder"),
                  "User Context Menu (Drive): context-menu HKCU " + MenuKey("Drive"),
                  "System Context Menu (Drive): context-menu HKLM/64 " + MenuKey("Drive"),
                  "System Context Menu (Drive) (32-bit): context-menu HKLM/32 " + MenuKey("Drive"),
                  "User Context Menu (AllFilesystemObjects): context-menu HKCU " + MenuKey("AllFilesystemObjects"),
                  "System Context Menu (AllFilesystemObjects): context-menu HKLM/64 " + MenuKey("AllFilesystemObjects"),
                  "System Context Menu (AllFilesystemObjects) (32-bit): context-menu HKLM/32 "
                      + MenuKey("AllFilesystemObjects"),
                  "Browser Helper Objects: browser-helper HKLM/64 " + kCv + "Explorer\\Browser Helper Objects (listed)",
                  "Browser Helper Objects (32-bit): browser-helper HKLM/32 " + kCv
                      + "Explorer\\Browser Helper Objects (listed)",
                  "User Office Add-Ins (Word): office-add-in HKCU " + AddInsKey("Word"),
                  "System Office Add-Ins (Word): office-add-in HKLM/64 " + AddInsKey("Word"),
                  "System Office Add-Ins (Word) (32-bit): office-add-in HKLM/32 " + AddInsKey("Word"),
                  "User Office Add-Ins (Excel): office-add-in HKCU " + AddInsKey("Excel"),
                  "System Office Add-Ins (Excel): office-add-in HKLM/64 " + AddInsKey("Excel"),
                  "System Office Add-Ins (Excel) (32-bit): office-add-in HKLM/32 " + AddInsKey("Excel"),
                  "User Office Add-Ins (PowerPoint): office-add-in HKCU " + AddInsKey("PowerPoint"),
                  "System Office Add-Ins (PowerPoint): office-add-in HKLM/64 " + AddInsKey("PowerPoint"),
                  "System Office Add-Ins (PowerPoint) (32-bit): office-add-in HKLM/32 " + AddInsKey("PowerPoint"),
                  "User Office Add-Ins (Outlook): office-add-in HKCU " + AddInsKey("Outlook"),
                  "System Office Add-Ins (Outlook): office-add-in HKLM/64 " + AddInsKey("Outlook"),
                  "System Office Add-Ins (Outlook) (32-bit): office-add-in HKLM/32 " + AddInsKey("Outlook"),
                  "User COM Hijacks: com-hijack HKCU/64 Software\\Classes\\CLSID (listed)",
                  "User COM Hijacks (32-bit): com-hijack HKCU/32 Software\\Classes\\CLSID (listed)",
                  // Image hijacks, libraries and single values switched by moving them.
                  "System Image Hijacks (Debugger): debugger HKLM/64 " + kNt + "Image File Execution Options [Debugger]"
                      " -> " + kKept + "Debuggers",
                  "System Image Hijacks (Debugger) (32-bit): debugger HKLM/32 " + kNt
                      + "Image File Execution Options [Debugger] -> " + kKept + "Debuggers",
                  "System Image Hijacks (Exit Monitor): exit-monitor HKLM/64 " + kNt
                      + "SilentProcessExit [MonitorProcess] -> " + kKept + "ExitMonitors",
                  "System Image Hijacks (Exit Monitor) (32-bit): exit-monitor HKLM/32 " + kNt
                      + "SilentProcessExit [MonitorProcess] -> " + kKept + "ExitMonitors",
                  "User Command Processor (AutoRun): autorun HKCU " + kCmd + " [AutoRun] -> " + kKept + "AutoRun",
                  "System Command Processor (AutoRun): autorun HKLM/64 " + kCmd + " [AutoRun] -> " + kKept + "AutoRun",
                  "System Command Processor (AutoRun) (32-bit): autorun HKLM/32 " + kCmd + " [AutoRun] -> " + kKept
                      + "AutoRun",
                  "User Open Commands: open-command HKCU Software\\Classes (listed)",
                  "System Open Commands: open-command HKLM/64 Software\\Classes (listed)",
                  "System AppInit Libraries: appinit HKLM/64 " + kNt + "Windows [AppInit_DLLs] -> " + kKept
                      + "AppInitDlls",
                  "System AppInit Libraries (32-bit): appinit HKLM/32 " + kNt + "Windows [AppInit_DLLs] -> " + kKept
                      + "AppInitDlls",
                  "System AppCert Libraries: appcert HKLM/64 " + kControl + "Session Manager\\AppCertDlls -> " + kKept
                      + "AppCertDlls",
                  "System Netsh Helpers: netsh HKLM/64 Software\\Microsoft\\NetSh -> " + kKept + "NetshHelpers",
                  "System Netsh Helpers (32-bit): netsh HKLM/32 Software\\Microsoft\\NetSh -> " + kKept
                      + "NetshHelpers",
                  "User Screen Saver: screen-saver HKCU Control Panel\\Desktop [SCRNSAVE.EXE] -> " + kKept
                      + "ScreenSaver",
                  "User Office Test Library: office-test HKCU Software\\Microsoft\\Office test\\Special\\Perf [] -> "
                      + kKept + "OfficeTest",
              }));
    // 32-bit Windows: one view of the machine, named by none.
    std::vector<std::string> windows32;
    for (std::string line : Described(StartupSources(true))) {
        if (line.find("(32-bit)") != std::string::npos)
            continue;
        for (std::size_t view; (view = line.find("/64")) != std::string::npos;)
            line.erase(view, 3);
        // and one Winsock catalog, the one 32-bit programs read on 64-bit Windows.
        if (const std::size_t catalog = line.find("Catalog_Entries64"); catalog != std::string::npos)
            line.erase(catalog + 15, 2);
        windows32.push_back(line);
    }
    EXPECT_EQ(Described(StartupSources(false)), windows32);
}

// What the watcher follows is what is read: each key of the machine in the
// view of the source it belongs to (the native one where Windows reads it),
// HKLM\System alike in both views; the user's keys in the one view they have.
TEST(StartupSourceTable, EveryWatchedKeyIsInTheViewItsSourceReads)
{
    const std::vector<StartupSource> sources = StartupSources(true);
    std::vector<std::string> lines;
    for (const StartupWatcher::Place& place : WatchedPlaces(sources)) {
        if (!place.hive)
            continue;
        std::string line = (place.hive == HKEY_CURRENT_USER ? "HKCU" : "HKLM")
                           + std::string(place.view == KEY_WOW64_64KEY ? "/64" : place.view == KEY_WOW64_32KEY ? "/32" : "");
        if (place.movesFolders)
            lines.push_back(line + " " + U8(place.path));
        const bool software = place.path.rfind(L"System\\", 0) != 0;
        if (place.hive == HKEY_LOCAL_MACHINE && software) {
            EXPECT_NE(place.view, 0u) << U8(place.path);
        }
        if (place.hive == HKEY_CURRENT_USER) {
            EXPECT_EQ(place.view, 0u) << U8(place.path);
        }
    }
    const std::string folders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    EXPECT_EQ(lines, (std::vector<std::string>{"HKCU " + folders, "HKLM/64 " + folders}));
}

TEST(StartupSourceTable, ValuesThatAreWindowsOwnDefaultsAreTold)
{
    wchar_t system[MAX_PATH];
    ::GetSystemDirectoryW(system, MAX_PATH);
    const std::string systemFolder = U8(system);
    const struct {
        const wchar_t* value;
        std::string text;
        bool isDefault;
    } cases[] = {
        {L"Userinit", systemFolder + "\\userinit.exe,", true},
        {L"Userinit", "%SystemRoot%\\System32\\USERINIT.EXE", true},
        {L"Userinit", "userinit.exe, ", true},
        {L"Userinit", systemFolder + "\\userinit.exe," + "C:\\evil\\run.exe", false},
        {L"Userinit", "C:\\elsewhere\\userinit.exe,", false},
        {L"Userinit", "", false},
        {L"Shell", "explorer.exe", true},
        {L"Shell", "\"C:\\Windows\\explorer.exe\"", true},
        {L"Shell", "explorer.exe, C:\\tools\\second.exe", false},
        {L"BootExecute", "autocheck autochk *", true},
        {L"BootExecute", "autocheck autochk *; C:\\boot.exe", false},
        {L"StartupPrograms", "rdpclip", true},
        {L"StartupPrograms", "rdpclip,C:\\rdp.exe", false},
        {L"ImagePath", "", true},
        {L"ImagePath", "C:\\verify.exe", false},
        {L"VmApplet", "SystemPropertiesPerformance.exe /pagefile", true},
        {L"VmApplet", "rundll32 shell32,Control_RunDLL \"sysdm.cpl\"", false},
        {L"AlternateShell", "cmd.exe", true},
        {L"AlternateShell", "C:\\other.exe", false},
        {L"Taskman", "", true},
        {L"Taskman", "C:\\taskman.exe", false},
        {L"InitialProgram", "", true},
        {L"InitialProgram", "C:\\initial.exe", false},
    };
    const std::vector<StartupSource> sources = StartupSources(true);
    for (const auto& c : cases) {
        for (const StartupSource& source : sources) {
            if (source.kind != StartupKind::Value || std::wstring(source.valueName) != c.value
                || source.hive != HKEY_LOCAL_MACHINE || source.keyPath == kPolicySystemKeyPath)
                continue;
            EXPECT_EQ(IsWindowsDefault(source, W(c.text)), c.isDefault) << U8(c.value) << " = " << c.text;
        }
    }
    const StartupSource& userShell = sources.at(15);
    ASSERT_EQ(Text(userShell.location), "User Logon (Shell)");
    EXPECT_FALSE(IsWindowsDefault(userShell, L"explorer.exe")) << "Windows puts no Shell for the user";
    for (const StartupSource& source : sources) {
        if (source.keyPath == kPolicySystemKeyPath) {
            EXPECT_FALSE(IsWindowsDefault(source, L"explorer.exe")) << "nor a policy's";
        }
    }
}
} // namespace

TEST(StartupSourceTable, ASetOfSourcesHoldsAnyIndexOfATableOfAnySize)
{
    SourceSet set;
    EXPECT_TRUE(set.Empty());
    for (std::size_t index : {0u, 31u, 32u, 63u, 64u, 200u})
        set |= SourceSet::Of(index);
    EXPECT_FALSE(set.Empty());
    for (std::size_t index = 0; index <= 201; ++index) {
        const bool member = index == 0 || index == 31 || index == 32 || index == 63 || index == 64 || index == 200;
        EXPECT_EQ(set.Contains(index), member) << index;
    }
    EXPECT_TRUE(SourceSet::All().Contains(1000));
    EXPECT_EQ(SourceSet::Of(40), SourceSet::Of(40));
    EXPECT_NE(SourceSet::Of(40), SourceSet::Of(41));
    SourceSet grown = SourceSet::Of(70);
    grown |= SourceSet::All();
    EXPECT_EQ(grown, SourceSet::All());
    EXPECT_EQ(SourceSet(), SourceSet());
}
