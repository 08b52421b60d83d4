#include "ui/StatusBarText.h"

#include <cinttypes>
#include <cstdio>

namespace {
constexpr std::size_t kTextCapacity = 128;
}

std::string FormatProcessesText(unsigned int processes)
{
    char text[kTextCapacity];
    std::snprintf(text, sizeof(text), "Processes: %u", processes);
    return text;
}

std::string FormatCpuText(unsigned long loadPercent)
{
    char text[kTextCapacity];
    std::snprintf(text, sizeof(text), "CPU: %lu%%", loadPercent);
    return text;
}

std::string FormatVirtualMemoryText(std::uint64_t physTotal, std::uint64_t physAvail,
                                    std::uint64_t pageFileTotal, std::uint64_t pageFileAvail)
{
    const std::uint64_t totalMiB = (pageFileTotal + physTotal) >> 20;
    const std::uint64_t freeMiB = (pageFileAvail + physAvail) >> 20;
    char text[kTextCapacity];
    std::snprintf(text, sizeof(text), "Virtual Memory: %" PRIu64 " M Free / %" PRIu64 " M Total",
                  freeMiB, totalMiB);
    return text;
}
