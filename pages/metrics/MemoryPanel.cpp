#include "pages/metrics/MemoryPanel.h"

#include "pages/metrics/ByteScale.h"
#include "res/resource.h"

#include <cinttypes>
#include <climits>
#include <cstdio>

namespace {

constexpr std::size_t kTextCapacity = 64;

// Whole kilobytes; the remainder is dropped before any other arithmetic.
std::uint64_t Kilobytes(std::uint64_t bytes)
{
    return bytes >> 10;
}

// A total below one kilobyte counts as 1, so no share divides by zero.
std::uint64_t KilobyteTotal(std::uint64_t bytes)
{
    const std::uint64_t kilobytes = Kilobytes(bytes);
    return kilobytes == 0 ? 1 : kilobytes;
}

// A platform that reports more available than total would otherwise wrap to
// an absurd figure.
std::uint64_t Used(std::uint64_t total, std::uint64_t avail)
{
    return avail < total ? total - avail : 0;
}

std::string MegabyteFigure(std::uint64_t kilobytes)
{
    char text[kTextCapacity];
    std::snprintf(text, sizeof(text), "%.1f M", ScaleDown(kilobytes, 10));
    return text;
}

// Truncated, not rounded. Kilobyte sums are below 2^55, so × 100 fits.
std::string Percentage(std::uint64_t part, std::uint64_t whole)
{
    char text[kTextCapacity];
    std::snprintf(text, sizeof(text), "%" PRIu64 "%%", part * 100 / whole);
    return text;
}

// Range and position shifted right together until the range fits an int, so
// the bar shows the same fraction.
GaugeSetting Gauge(int controlId, std::uint64_t high, std::uint64_t position)
{
    int shift = 0;
    while ((high >> shift) > static_cast<std::uint64_t>(INT_MAX))
        ++shift;
    const std::uint64_t scaledPosition = position >> shift;
    return {controlId, static_cast<int>(high >> shift),
            scaledPosition > static_cast<std::uint64_t>(INT_MAX) ? INT_MAX
                                                                  : static_cast<int>(scaledPosition)};
}

} // namespace

MemoryPanelView ComputeMemoryPanel(const CMemoryInfo& memory)
{
    const std::uint64_t physTotal = KilobyteTotal(memory.GetPhysTotal());
    const std::uint64_t physAvail = Kilobytes(memory.GetPhysAvail());
    const std::uint64_t pageTotal = KilobyteTotal(memory.GetPageFileTotal());
    const std::uint64_t pageAvail = Kilobytes(memory.GetPageFileAvail());
    const std::uint64_t virtualTotal = KilobyteTotal(memory.GetVirtualTotal());
    const std::uint64_t allTotal = physTotal + pageTotal;
    const std::uint64_t allAvail = physAvail + pageAvail;

    return {
        {{
            Gauge(IDC_PROGRESS_ALL, allTotal, allAvail),
            Gauge(IDC_PROGRESS_PAGE, pageTotal, pageAvail),
            Gauge(IDC_PROGRESS_PHYS, physTotal, physAvail),
        }},
        {{
            {IDC_ALL_TOTAL, MegabyteFigure(allTotal)},
            {IDC_ALL_USED, MegabyteFigure(Used(allTotal, allAvail))},
            {IDC_ALL_FREE, MegabyteFigure(allAvail)},
            {IDC_PERCENT_ALL, Percentage(allAvail, allTotal)},
            {IDC_PAGE_TOTAL, MegabyteFigure(pageTotal)},
            {IDC_PAGE_USED, MegabyteFigure(Used(pageTotal, pageAvail))},
            {IDC_PAGE_FREE, MegabyteFigure(pageAvail)},
            {IDC_PERCENT_PAGE, Percentage(pageAvail, pageTotal)},
            {IDC_PHYS_TOTAL, MegabyteFigure(physTotal)},
            {IDC_PHYS_USED, MegabyteFigure(Used(physTotal, physAvail))},
            {IDC_PHYS_FREE, MegabyteFigure(physAvail)},
            {IDC_PERCENT_PHYS, Percentage(physAvail, physTotal)},
            {IDC_TOTAL_ALLOCABLE, MegabyteFigure(virtualTotal)},
        }},
    };
}

CpuPanelView ComputeCpuPanel(unsigned long loadPercent)
{
    char text[kTextCapacity];
    std::snprintf(text, sizeof(text), "%lu%%", loadPercent);
    return {Gauge(IDC_PROGRESS_CPU, 100, loadPercent), {IDC_PERCENT_CPU, text}};
}

std::string FormatClockFrequency(int mhz)
{
    char text[kTextCapacity];
    std::snprintf(text, sizeof(text), "%d MHz", mhz);
    return text;
}
