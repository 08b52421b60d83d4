#pragma once
// Whether this process can be started again with the administrator's full
// token, and doing so. No windows: the token question and the shell call go
// through replaceable calls, so tests can pretend a filtered token and record
// the start instead of making one.

#include <windows.h>

#include <functional>
#include <string>

enum class ElevationKind {
    Unknown, // the token could not be asked
    Default, // no split token: User Account Control is off, or a standard user
    Full,    // elevated already
    Limited, // the filtered token of an administrator: elevation is possible
};

ElevationKind CurrentElevation();
// Only a filtered token has something to elevate to.
bool MenuOffersElevation(ElevationKind kind);

// What the shell is asked to start.
struct ElevatedLaunch {
    std::wstring verb;
    std::wstring file;
    std::wstring parameters;
    std::wstring directory;
};

struct ElevationResult {
    enum class Outcome { Started, Declined, Failed };
    Outcome outcome;
    DWORD error = ERROR_SUCCESS; // for Failed
};

// Starts this program again, with the arguments it was given, in the same
// working folder, through the shell's "runas" verb; `owner` owns the
// consent prompt. Declined when the user refused the prompt.
ElevationResult RunElevated(HWND owner);

// The arguments of a command line after its program name, exactly as given,
// parsed as the C runtime and CommandLineToArgvW take the program name.
std::wstring ArgumentsAfterProgram(const wchar_t* commandLine);

std::wstring ElevationFailureMessage(DWORD error);

// The token question and the shell call. The shell call returns
// ERROR_SUCCESS once the program has started, or the Win32 error.
struct ElevationCalls {
    std::function<ElevationKind()> tokenElevation;
    std::function<DWORD(HWND owner, const ElevatedLaunch& launch)> shellExecute;
};
// Replaces both calls; an empty member is the real call.
void SetElevationCallsForTesting(ElevationCalls calls);
