#pragma once
// How much an entry costs the log-on, from what Windows measured of its
// program in the recorded log-ons: rated as Task Manager rates it, and said
// in figures for the row's hover text.

#include <cstdint>
#include <optional>
#include <string>

enum class StartupImpact { High, Medium, Low, NotMeasured, None }; // in the order a sort by impact shows them

struct ImpactFigures {
    std::uint64_t cpuMicroseconds = 0;
    std::uint64_t diskBytes = 0;
    unsigned logOns = 0; // how many recorded log-ons the medians are over
};

// None for an entry that is off (whatever was measured); NotMeasured for one
// that is on without figures; High above 1,000 ms of CPU or 3 MB of disk I/O;
// Medium from 300 ms or 300 KB up to those (both ends included); Low below
// both. KB = 1,024 bytes, MB = 1,048,576 bytes.
StartupImpact RateImpact(bool enabled, const std::optional<ImpactFigures>& figures);

const wchar_t* ImpactText(StartupImpact impact); // "High", "Medium", "Low", "Not measured", "None"

// "CPU 1,240 ms, disk I/O 4.1 MB, median of 3 log-ons": whole milliseconds
// and the disk's figure rounded to the nearest shown unit (one decimal in MB
// from 1 MB up, whole KB from 1 KB up, else bytes), in fixed ASCII
// formatting whatever the user's locale.
std::wstring ImpactHoverText(const ImpactFigures& figures);

// The figures in whole milliseconds of CPU and whole kilobytes of disk I/O,
// rounded to the nearest as the hover text rounds them: the saved list's.
std::uint64_t ImpactMilliseconds(const ImpactFigures& figures);
std::uint64_t ImpactKilobytes(const ImpactFigures& figures);
