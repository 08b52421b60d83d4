#pragma once
// The three live texts of the main window's status bar.

#include <cstdint>
#include <string>

std::string FormatProcessesText(unsigned int processes);
std::string FormatCpuText(unsigned long loadPercent);
// Free and total virtual memory (physical plus page file) in whole mebibytes;
// the byte counts are summed before they are shifted.
std::string FormatVirtualMemoryText(std::uint64_t physTotal, std::uint64_t physAvail,
                                    std::uint64_t pageFileTotal, std::uint64_t pageFileAvail);
