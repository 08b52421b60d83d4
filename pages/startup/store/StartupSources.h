#pragma once
// The places from which Windows starts programs at log-on (and at boot) that
// the start-up page lists, each with the place where Quorvane keeps the
// entries the user switched off.

#include "pages/startup/store/SourceSet.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Key paths, the same in every hive and view.
extern const wchar_t kRunKeyPath[];            // entries that run at every log-on
extern const wchar_t kRunOnceKeyPath[];        // entries that run at the next log-on only
extern const wchar_t kRunOnceExKeyPath[];      // the same, in numbered sections
extern const wchar_t kPolicyRunKeyPath[];      // entries a policy runs at every log-on
extern const wchar_t kDisabledKeyPath[];       // Run entries the user switched off
extern const wchar_t kDisabledPolicyKeyPath[]; // policy Run entries the user switched off
extern const wchar_t kWinlogonKeyPath[];
extern const wchar_t kSessionManagerKeyPath[];
extern const wchar_t kRemoteDesktopKeyPath[];
extern const wchar_t kBootVerificationKeyPath[];
extern const wchar_t kInstallRunKeyPath[];      // Run of Terminal Server's install mode
extern const wchar_t kInstallRunOnceKeyPath[];
extern const wchar_t kInstallRunOnceExKeyPath[];
extern const wchar_t kDisabledInstallKeyPath[]; // its Run entries the user switched off
extern const wchar_t kWindowsKeyPath[];         // the user's Load and Run values
extern const wchar_t kPolicySystemKeyPath[];    // a policy's Shell
extern const wchar_t kEnvironmentKeyPath[];     // the user's log-on script
extern const wchar_t kLogonScriptsKeyPath[];    // Group Policy's log-on scripts (user)
extern const wchar_t kStartupScriptsKeyPath[];  // and start-up scripts (machine)
extern const wchar_t kActiveSetupKeyPath[];
extern const wchar_t kSafeBootKeyPath[];
extern const wchar_t kRdpTcpKeyPath[];
extern const wchar_t kPackageRepositoryKeyPath[]; // the user's packages, with their folders
extern const wchar_t kPackageStateKeyPath[];      // their start-up tasks' states, by family
extern const wchar_t kServicesKeyPath[];          // the services, a key each
extern const wchar_t kDisabledServicesKeyPath[];  // start types of services the user switched off
// Where the Startup folders are, when the user moved them.
extern const wchar_t kUserShellFoldersKeyPath[];
// Libraries and providers that Windows' own services load.
extern const wchar_t kWinlogonNotifyKeyPath[];
extern const wchar_t kGroupPolicyExtensionsKeyPath[];
extern const wchar_t kLsaKeyPath[];
extern const wchar_t kLsaOSConfigKeyPath[];
extern const wchar_t kSecurityProvidersKeyPath[];
extern const wchar_t kPrintMonitorsKeyPath[];
extern const wchar_t kPrintEnvironmentsKeyPath[];
extern const wchar_t kNetworkProviderOrderKeyPath[];
extern const wchar_t kWinsockCatalogKeyPath[];   // what 32-bit programs load (all programs on 32-bit Windows)
extern const wchar_t kWinsockCatalog64KeyPath[]; // what 64-bit programs load
extern const wchar_t kTimeProvidersKeyPath[];
extern const wchar_t kDrivers32KeyPath[];
extern const wchar_t kInstalledShimDatabasesKeyPath[];
extern const wchar_t kCustomShimsKeyPath[];
// Classes that Windows, Explorer and Office load, and the user's classes that shadow the machine's.
extern const wchar_t kCredentialProvidersKeyPath[];
extern const wchar_t kShellServiceObjectsKeyPath[]; // ShellServiceObjectDelayLoad
extern const wchar_t kSharedTaskSchedulerKeyPath[];
extern const wchar_t kIconOverlaysKeyPath[];
extern const wchar_t kShellExecuteHooksKeyPath[];
extern const wchar_t kBrowserHelperObjectsKeyPath[];
extern const wchar_t kClassIdsKeyPath[]; // Software\Classes\CLSID
// Image hijacks, the libraries Windows loads into its programs, and single
// values switched by moving them, each with the key where Quorvane keeps
// what the user switched off.
extern const wchar_t kImageOptionsKeyPath[];      // a key per program: its Debugger and GlobalFlag
extern const wchar_t kSilentProcessExitKeyPath[]; // a key per program: its MonitorProcess
extern const wchar_t kCommandProcessorKeyPath[];  // AutoRun, which cmd runs as it starts
extern const wchar_t kClassesKeyPath[];           // the classes, with their open commands
extern const wchar_t kAppCertDllsKeyPath[];
extern const wchar_t kNetshKeyPath[];             // netsh's helper libraries
extern const wchar_t kDesktopKeyPath[];           // the user's screen saver
extern const wchar_t kOfficeTestKeyPath[];        // a library Office loads as it starts
extern const wchar_t kDisabledDebuggersKeyPath[];
extern const wchar_t kDisabledExitMonitorsKeyPath[];
extern const wchar_t kDisabledAutoRunKeyPath[];
extern const wchar_t kDisabledAppInitKeyPath[];
extern const wchar_t kDisabledAppCertKeyPath[];
extern const wchar_t kDisabledNetshKeyPath[];
extern const wchar_t kDisabledScreenSaverKeyPath[];
extern const wchar_t kDisabledOfficeTestKeyPath[];

extern const wchar_t kUserLocationText[];     // "User Start-Up"
extern const wchar_t kSystemLocationText[];   // "System Start-Up"
extern const wchar_t kSystem32LocationText[]; // "System Start-Up (32-bit)"

enum class StartupKind {
    Run,       // values of a Run key, switched off by moving them to a disabled key
    RunOnce,   // values that Windows deletes when it has run them: listed, never switched
    RunOnceEx, // the same in numbered subkeys (and their Depend subkeys)
    Folder,    // files in a Startup folder
    // One value that Windows runs at log-on or at boot: listed where it
    // differs from Windows' own default, never switched, since switching it
    // off can leave Windows unable to log on.
    Value,
    Script,      // the log-on or start-up scripts of Group Policy, <n>\<m> subkeys: listed
    ActiveSetup, // the StubPath of each installed component, run once per user: listed
    Packaged,    // packaged apps' start-up tasks, switched by their state as Windows keeps it
    Service,     // services that start with Windows, switched to start on demand
    LogOnTask,   // scheduled tasks started at log-on, switched through the Task Scheduler
    BootTask,    // and at boot
    // Libraries and providers that Windows' own services load, and drivers:
    // listed, never switched (a wrong switch can leave Windows unable to
    // start or log on).
    WinlogonNotify,       // Winlogon\Notify\<name>: its DllName
    GroupPolicyExtension, // Winlogon\GPExtensions\<guid>: its DllName, named by its default value
    LsaPackages,          // a REG_MULTI_SZ of the Local Security Authority's packages, a row each
    SecurityProviders,    // a comma-separated text of security providers, a row each
    PrintMonitor,         // Print\Monitors\<name>: its Driver
    PrintProcessor,       // Print\Environments\<environment>\Print Processors\<name>: its Driver
    NetworkProvider,      // the providers ProviderOrder names: their services' ProviderPath
    WinsockProvider,      // a Winsock name-space catalog's entries: their LibraryPath
    TimeProvider,         // the time service's enabled providers: their DllName
    Codec,                // the values of Drivers32, a row each
    ShimDatabase,         // AppCompatFlags\InstalledSDB\<guid>: its DatabasePath
    ShimProgram,          // AppCompatFlags\Custom\<program>: the databases it is shimmed with
    Driver,               // drivers that start at boot, with the system or automatically
    // Classes that Windows, Explorer and Office load, and the user's classes that shadow the machine's.
    CredentialProvider, // subkeys named by a class, seen by LogonUI with the machine's classes only
    BrowserHelper,      // the same, seen with the user's classes first
    ClassValue,         // values whose data is a class (ShellServiceObjectDelayLoad)
    ClassNamedValue,    // values named by a class (SharedTaskScheduler, ShellExecuteHooks)
    IconOverlay,        // subkeys whose default value is a class
    ContextMenuHandler, // the same, or named by their class
    OfficeAddIn,        // Office's add-ins that load at its start
    ComHijack,          // the user's classes that shadow the machine's
    // Image hijacks, libraries and single values, read on the sampling
    // worker; a switch moves the value to a disabled key of its hive and view.
    Debugger,    // a program's Debugger, started in its place
    ExitMonitor, // the program started as a program exits, where its GlobalFlag asks for it
    AutoRun,     // what the command processor runs as it starts
    OpenCommand, // how programs, scripts and web pages are opened, where not as Windows does: listed
    AppInit,     // the libraries of AppInit_DLLs, each switched by taking it out of the list
    AppCert,     // libraries loaded into every program that starts another
    NetshHelper, // netsh's helper libraries
    ScreenSaver, // the user's screen saver, where one is active
    OfficeTest,  // a library Office loads as it starts
};

// The groups of places that the page can show one at a time.
enum class PlaceGroup {
    LogOn,          // what Windows starts as the user logs on
    Boot,           // what it starts before anyone logs on
    Services,
    ScheduledTasks,
    Drivers,
    Explorer,       // Explorer's extensions
    ImageHijacks,   // programs started in another program's place
    Libraries,      // libraries and providers that Windows loads into its own programs
    Office,         // Office's add-ins
    ComHijacks,     // the user's classes that shadow the machine's
};
constexpr int kPlaceGroupCount = static_cast<int>(PlaceGroup::ComHijacks) + 1;

struct StartupSource {
    const wchar_t* location; // the page's Location text for its entries
    StartupKind kind;
    HKEY hive;
    // The registry view of the keys (for a Startup folder, of the User Shell
    // Folders key that says where it is): 0, or on 64-bit Windows
    // KEY_WOW64_64KEY or KEY_WOW64_32KEY, so that either program sees both
    // views and reads the machine's native one as Windows' own log-on does.
    REGSAM view;
    const wchar_t* keyPath; // where Windows finds the entries (registry kinds)
    // Where Quorvane keeps the switched-off entries (Run kind), in the same hive and view.
    const wchar_t* disabledKeyPath;
    // Windows' own switches for the entries (StartupApproved), always in the
    // 64-bit view of 64-bit Windows; null where Windows keeps none.
    const wchar_t* approvedKeyPath;
    REGSAM approvedView;
    // Folders by CSIDL: the Startup folder, and the profile folder under which
    // Quorvane keeps the files the user switched off (Folder kind).
    int folder = 0;
    int dataFolder = 0;
    // Value kind: the value's name, and what Windows itself puts there (null:
    // nothing, so any value is listed).
    const wchar_t* valueName = nullptr;
    const wchar_t* windowsDefault = nullptr;
    // Windows does not start the entries as programs of the log-on (services,
    // boot tasks and values, libraries it loads into other programs): what a
    // log-on costs is not theirs.
    bool outsideLogOn = false;
    PlaceGroup group = PlaceGroup::LogOn;
};

// The group's name, as the page offers it.
const wchar_t* PlaceGroupText(PlaceGroup group);


// Whether the user can switch the source's entries off and on.
bool IsSwitchable(const StartupSource& source);

// The sources in the order the page lists them. On 64-bit Windows the
// machine's keys come in both registry views; the user's keys are shared by
// both views and come once.
std::vector<StartupSource> StartupSources(bool windows64);
// The sources of the Windows this program runs on.
std::vector<StartupSource> StartupSources();

// True for the 64-bit program, and for the 32-bit one running on 64-bit Windows.
bool IsWindows64Bit();

// Whether a Value source's text is what Windows itself puts there: the same
// programs, separated by commas, with or without the system's own folder, in
// any case. A source without a default has none but the empty text.
bool IsWindowsDefault(const StartupSource& source, const std::wstring& text);
