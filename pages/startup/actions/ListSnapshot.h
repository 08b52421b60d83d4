#pragma once
// The whole start-up list read at once, on the calling thread and without a
// window: every source, every entry's program file and publisher, its impact
// and its time. What a run from the
// command line saves or compares; the page builds the same rows a piece at a
// time as the readings come in.

#include "pages/startup/actions/StartupReport.h"
#include "pages/startup/store/StartupSources.h"

#include <string>
#include <vector>

struct ListSnapshot {
    std::vector<EntryReport> entries;
    // The Location texts of the sources whose reading could not be had (a
    // service that lists them refused): their entries are not in `entries`,
    // which is then no account of the list.
    std::vector<std::wstring> unread;
};

// The entries of `sources` as the saved list has them, in the order of the
// sources; Windows' own (verified as signed by Windows) only `withWindowsOwn`,
// as the page hides them. The calling thread must have COM started (scheduled tasks and
// shortcuts are read through it).
ListSnapshot ReadListSnapshot(const std::vector<StartupSource>& sources, bool withWindowsOwn);
