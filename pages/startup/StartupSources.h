#pragma once
// The places from which Windows starts programs at log-on that the start-up
// page lists, each with the place where Quorvane keeps the entries the user
// switched off.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

// Key paths, the same in every hive and view.
extern const char kRunKeyPath[];      // entries that run at every log-on
extern const char kRunOnceKeyPath[];  // entries that run at the next log-on only
extern const char kDisabledKeyPath[]; // entries the user switched off

extern const char kUserLocationText[];     // "User Start-Up"
extern const char kSystemLocationText[];   // "System Start-Up"
extern const char kSystem32LocationText[]; // "System Start-Up (32-bit)"
extern const char kUserOnceLocationText[];     // "User Run-Once"
extern const char kSystemOnceLocationText[];   // "System Run-Once"
extern const char kSystem32OnceLocationText[]; // "System Run-Once (32-bit)"
extern const char kUserFolderLocationText[];   // "User Start-Up Folder"
extern const char kCommonFolderLocationText[]; // "All Users Start-Up Folder"

enum class StartupKind {
    Run,     // values of a Run key
    RunOnce, // values that Windows deletes when it has run them: listed, never switched
    Folder,  // files in a Startup folder
};

struct StartupSource {
    const char* location; // the page's Location text for its entries
    StartupKind kind;
    HKEY hive;
    // The registry view of the keys: 0, or on 64-bit Windows KEY_WOW64_64KEY
    // or KEY_WOW64_32KEY, so that either program sees both views.
    REGSAM view;
    const char* keyPath; // where Windows finds the entries (registry kinds)
    // Windows' own switches for the entries (StartupApproved), always in the
    // 64-bit view of 64-bit Windows; null where Windows keeps none.
    const char* approvedKeyPath;
    REGSAM approvedView;
    // Folders by CSIDL: the Startup folder, and the profile folder under which
    // Quorvane keeps the files the user switched off (Folder kind).
    int folder = 0;
    int dataFolder = 0;
};

// A set of sources by their index in a source table.
using SourceSet = std::uint32_t;
constexpr SourceSet kAllSources = ~SourceSet{0};
constexpr SourceSet SourceBit(std::size_t index)
{
    return SourceSet{1} << index;
}

// Whether the user can switch the source's entries off and on.
inline bool IsSwitchable(const StartupSource& source)
{
    return source.kind != StartupKind::RunOnce;
}

// The sources in the order the page lists them. On 64-bit Windows the
// machine's keys come in both registry views; the user's keys are shared by
// both views and come once.
std::vector<StartupSource> StartupSources(bool windows64);
// The sources of the Windows this program runs on.
std::vector<StartupSource> StartupSources();

// True for the 64-bit program, and for the 32-bit one running on 64-bit Windows.
bool IsWindows64Bit();
