#pragma once
// The program's arguments: with none it shows its window; with any it does
// what they ask without one and ends, so that a script, a scheduled task or
// a remote session on many machines can save and compare the start-up list.

#include <string>
#include <vector>

// What the arguments ask for, or why they cannot be done.
struct CommandLineRequest {
    bool usage = false;       // /? : the usage, nothing else
    std::wstring save;        // /save FILE
    std::wstring compare;     // /compare SAVED
    bool all = false;         // /all : Windows' own entries too
    std::wstring error;       // set: bad arguments, this is why
};

// The exit codes of a run without a window.
enum CommandLineExit : int {
    kExitDone = 0,     // done; for /compare: nothing new, changed or gone
    kExitFound = 1,    // /compare found entries new, changed or gone
    kExitFailed = 2,   // bad arguments, a file that could not be read or written, a place that did not answer
};

// The arguments after a program's name, split as CommandLineToArgvW splits them.
std::vector<std::wstring> SplitArguments(const wchar_t* arguments);

// Options begin with / or -, in any case, in any order; a file name is the
// argument after its option, whatever it begins with but /. /? (or /h,
// /help) asks for the usage alone.
CommandLineRequest ParseCommandLine(const std::vector<std::wstring>& arguments);

// The usage, a line each, as /? prints it.
std::wstring CommandLineUsage();
