#pragma once
// The figures Windows measured of each start-up entry's program: the
// processes of each recorded log-on matched with the entries, and their
// medians over the log-ons.

#include "pages/startup/impact/StartupImpact.h"
#include "pages/startup/impact/StartupInfoFile.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct ImpactEntry {
    std::wstring programFile; // the entry's resolved program file (may hold environment strings); empty: unknown
    std::wstring commandLine; // the entry's command as stored
};

// Each entry's medians over the log-ons that list it, in the entries' order; nothing where no log-on lists it.
// Called once with every entry of the list, since whether a program file is shared decides how it is matched.
//
// Paths and command lines are compared with environment strings expanded,
// without regard to case; command lines also without their quotes, each run
// of white space as one space, trimmed. A process is an entry's
//  - where its image is the entry's program file, which no other entry has;
//  - where its image is a program file that several entries have (a host
//    such as rundll32.exe): for the one whose command line is the process's;
//  - where its image is a file name alone: for the entry whose program file
//    has that name and whose command line is the process's;
//  - and where none of these gives it to an entry: for the entry whose
//    command line is the process's (an entry whose program file is the one a
//    host runs, the script or library, as ProgramResolver finds it).
// An entry without a program file has no process. Within one log-on an
// entry's processes are summed; a log-on where one of them lacks a figure is
// left out for that entry. The medians of CPU and disk are each their own:
// the middle one of an odd count, the mean of the two middle ones (rounded
// down) of an even one.
std::vector<std::optional<ImpactFigures>> MeasureEntries(const std::vector<ImpactEntry>& entries,
                                                         const std::vector<std::vector<MeasuredProcess>>& logOns);

// The same, a log-on at a time, so that only one log-on's processes need be
// held: the entries are matched as MeasureEntries matches them.
class ImpactMeasure {
public:
    explicit ImpactMeasure(const std::vector<ImpactEntry>& entries);
    ~ImpactMeasure();
    ImpactMeasure(const ImpactMeasure&) = delete;
    ImpactMeasure& operator=(const ImpactMeasure&) = delete;

    void AddLogOn(const std::vector<MeasuredProcess>& processes);
    // Each entry's medians over the log-ons added, in the entries' order.
    std::vector<std::optional<ImpactFigures>> Figures();

private:
    std::unique_ptr<struct ImpactEntryIndex> m_index;
    std::vector<std::vector<std::uint64_t>> m_cpu, m_disk; // each log-on's sums, by entry
};
