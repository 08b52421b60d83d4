#pragma once
// The memory of a Wine process as Linux counts it, read from /proc through
// Wine's Z: drive: the only place that tells a program's own pages (private
// dirty: what Windows counts as its private bytes) from the file pages that
// only it maps (private clean: DLLs and the libraries Wine loads behind them,
// which Windows would share with every process that loads them). Elsewhere
// (on Windows) nothing is known and the figures say so.

#include <set>
#include <string>

struct UnixMemory {
    bool known = false;
    double privateDirtyMiB = 0;
    double privateCleanMiB = 0;
    double residentMiB = 0;
};

// The Linux process ids of the running Wine processes whose command line
// names the program file `fileName` (any case).
std::set<int> UnixProcessIds(const std::string& fileName);

// The one process of `fileName` that is not in `before`; 0 if there is none
// or more than one.
int NewUnixProcess(const std::set<int>& before, const std::string& fileName);

UnixMemory ReadUnixMemory(int unixProcessId);

// The program file of a command line: its first word, without quotes and folder.
std::string ProgramFileName(const std::string& commandLine);
