#pragma once
// The whole start-up list read at once, on the calling thread and without a
// window: every source, every entry's program file and publisher, its impact,
// its time and, where asked, its program file's hash. What a run from the
// command line saves or compares; the page builds the same rows a piece at a
// time as the readings come in.

#include "pages/startup/actions/StartupReport.h"
#include "pages/startup/store/StartupSources.h"

#include <vector>

class ProgramHashes;

// The entries of `sources` as the saved list has them, in the order of the
// sources; Windows' own (verified as signed by Windows) only `withWindowsOwn`,
// as the page hides them. Hashes are worked out with `hashes` where given. The calling thread must have COM started (scheduled tasks and
// shortcuts are read through it).
std::vector<EntryReport> ReadListSnapshot(const std::vector<StartupSource>& sources, bool withWindowsOwn,
                                          ProgramHashes* hashes);
