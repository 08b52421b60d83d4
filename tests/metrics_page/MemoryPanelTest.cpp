#include "pages/metrics/MemoryPanel.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr std::uint64_t KiB = 1ull << 10;
constexpr std::uint64_t MiB = 1ull << 20;
constexpr std::uint64_t GiB = 1ull << 30;
constexpr std::uint64_t TiB = 1ull << 40;

CMemoryInfo Memory(std::uint64_t physTotal, std::uint64_t physAvail, std::uint64_t pageTotal,
                   std::uint64_t pageAvail, std::uint64_t virtualTotal = 2 * GiB)
{
    MemoryFigures figures;
    figures.physTotal = physTotal;
    figures.physAvail = physAvail;
    figures.pageFileTotal = pageTotal;
    figures.pageFileAvail = pageAvail;
    figures.virtualTotal = virtualTotal;
    return CMemoryInfo(figures);
}

// Gauges come in this order: all memory, page file, physical.
enum { kAll, kPage, kPhys };

std::string TextOf(const MemoryPanelView& view, int controlId)
{
    for (const ControlText& text : view.texts)
        if (text.controlId == controlId)
            return text.text;
    return "(no text for this control)";
}

// Every control update in order, as one comparable list.
std::vector<std::string> Updates(const MemoryPanelView& view)
{
    std::vector<std::string> updates;
    char line[80];
    for (const GaugeSetting& gauge : view.gauges) {
        std::snprintf(line, sizeof(line), "%d: %d of %d", gauge.controlId, gauge.position, gauge.high);
        updates.push_back(line);
    }
    for (const ControlText& text : view.texts)
        updates.push_back(std::to_string(text.controlId) + ": " + text.text);
    return updates;
}

// The same panel computed from the 32-bit record in 32-bit unsigned arithmetic,
// which is exact while every count is below 4 GiB.
std::vector<std::string> ThirtyTwoBitUpdates(std::uint32_t physTotal, std::uint32_t physAvail,
                                             std::uint32_t pageTotal, std::uint32_t pageAvail,
                                             std::uint32_t virtualTotal)
{
    std::uint32_t pt = physTotal >> 10, pa = physAvail >> 10, ft = pageTotal >> 10,
                  fa = pageAvail >> 10, vt = virtualTotal >> 10;
    vt = vt ? vt : 1, pt = pt ? pt : 1, ft = ft ? ft : 1;
    const std::uint32_t at = pt + ft, aa = pa + fa;
    std::vector<std::string> updates;
    char line[80];
    auto gauge = [&](int id, std::uint32_t high, std::uint32_t pos) {
        std::snprintf(line, sizeof(line), "%d: %d of %d", id, static_cast<int>(pos), static_cast<int>(high));
        updates.push_back(line);
    };
    auto figure = [&](int id, std::uint32_t kb) {
        std::snprintf(line, sizeof(line), "%d: %.1f M", id, static_cast<double>(kb) * 0.0009765625);
        updates.push_back(line);
    };
    auto percent = [&](int id, std::uint32_t part, std::uint32_t whole) {
        std::snprintf(line, sizeof(line), "%d: %u%%", id, part * 100 / whole);
        updates.push_back(line);
    };
    gauge(IDC_PROGRESS_ALL, at, aa);
    gauge(IDC_PROGRESS_PAGE, ft, fa);
    gauge(IDC_PROGRESS_PHYS, pt, pa);
    figure(IDC_ALL_TOTAL, at);
    figure(IDC_ALL_USED, pt - pa - fa + ft);
    figure(IDC_ALL_FREE, aa);
    percent(IDC_PERCENT_ALL, aa, at);
    figure(IDC_PAGE_TOTAL, ft);
    figure(IDC_PAGE_USED, ft - fa);
    figure(IDC_PAGE_FREE, fa);
    percent(IDC_PERCENT_PAGE, fa, ft);
    figure(IDC_PHYS_TOTAL, pt);
    figure(IDC_PHYS_USED, pt - pa);
    figure(IDC_PHYS_FREE, pa);
    percent(IDC_PERCENT_PHYS, pa, pt);
    figure(IDC_TOTAL_ALLOCABLE, vt);
    return updates;
}

} // namespace

TEST(MemoryPanel, MatchesThirtyTwoBitArithmeticBelowFourGiB)
{
    // First the edges: a quarter free, truncated percentages, remainders of
    // a kilobyte dropped before any sum, totals below a kilobyte counted as one.
    const std::uint32_t edges[][5] = {
        {512 * MiB, 128 * MiB, GiB, GiB, 2 * GiB},
        {1000 * KiB, 999 * KiB, GiB, 0, 2 * GiB},
        {1536 * KiB, 1023, 2 * MiB, 1023, 2 * GiB},
        {MiB, 0, 1000, 1000, 0},
    };
    for (const auto& e : edges)
        EXPECT_EQ(Updates(ComputeMemoryPanel(Memory(e[0], e[1], e[2], e[3], e[4]))),
                  ThirtyTwoBitUpdates(e[0], e[1], e[2], e[3], e[4]));
    std::mt19937 random(20240611);
    auto count = [&] { return static_cast<std::uint32_t>(random()) >> (random() % 32); };
    auto availOf = [&](std::uint32_t total) {
        return static_cast<std::uint32_t>(random() % (static_cast<std::uint64_t>(total) + 1));
    };
    for (int i = 0; i < 400; ++i) {
        const std::uint32_t physTotal = count(), pageTotal = count(), virtualTotal = count();
        const std::uint32_t physAvail = availOf(physTotal), pageAvail = availOf(pageTotal);
        ASSERT_EQ(Updates(ComputeMemoryPanel(Memory(physTotal, physAvail, pageTotal, pageAvail, virtualTotal))),
                  ThirtyTwoBitUpdates(physTotal, physAvail, pageTotal, pageAvail, virtualTotal))
            << physTotal << " " << physAvail << " " << pageTotal << " " << pageAvail << " " << virtualTotal;
    }
}

TEST(MemoryPanel, TrueFiguresAboveFourGiBInUpdateOrder)
{
    const MemoryPanelView view = ComputeMemoryPanel(Memory(32 * GiB, 8 * GiB, 48 * GiB, 40 * GiB, 2 * GiB));
    const std::vector<std::string> expected = {
        "1004: 50331648 of 83886080", "1005: 41943040 of 50331648", "1006: 8388608 of 33554432",
        "1012: 81920.0 M", "1013: 32768.0 M", "1014: 49152.0 M", "1008: 60%",
        "1015: 49152.0 M", "1016: 8192.0 M", "1017: 40960.0 M", "1009: 83%",
        "1018: 32768.0 M", "1019: 24576.0 M", "1020: 8192.0 M", "1010: 25%",
        "1024: 2048.0 M",
    };
    EXPECT_EQ(Updates(view), expected);
}

TEST(MemoryPanel, GaugesBeyondIntRangeKeepTheirFraction)
{
    // 4 TiB is 2^32 KB, more than a progress bar's int range.
    const MemoryPanelView view = ComputeMemoryPanel(Memory(4 * TiB, TiB, 12 * TiB, 6 * TiB));
    const double expectedShares[] = {7.0 / 16, 0.5, 0.25};
    for (int i = 0; i < 3; ++i) {
        const GaugeSetting& gauge = view.gauges[i];
        EXPECT_GT(gauge.high, INT_MAX / 2);
        EXPECT_NEAR(static_cast<double>(gauge.position) / gauge.high, expectedShares[i], 1e-9);
    }
}

TEST(MemoryPanel, ExtremeCountsNeitherOverflowNorWrap)
{
    const std::uint64_t most = ~0ull;
    const MemoryPanelView full = ComputeMemoryPanel(Memory(most, most, most, most, most));
    for (const GaugeSetting& gauge : full.gauges) {
        EXPECT_GT(gauge.high, 0);
        EXPECT_EQ(gauge.position, gauge.high);
    }
    EXPECT_EQ(TextOf(full, IDC_ALL_TOTAL), "35184372088832.0 M");
    EXPECT_EQ(TextOf(full, IDC_ALL_USED), "0.0 M");
    EXPECT_EQ(TextOf(full, IDC_PERCENT_ALL), "100%");
    EXPECT_EQ(TextOf(full, IDC_TOTAL_ALLOCABLE), "17592186044416.0 M");

    // Half a megabyte on top of 2^42 M needs all of a double's precision.
    const MemoryPanelView half = ComputeMemoryPanel(Memory(1ull << 63, (1ull << 62) + (1ull << 19), 0, 0));
    EXPECT_EQ(TextOf(half, IDC_PHYS_USED), "4398046511103.5 M");
    EXPECT_EQ(TextOf(half, IDC_PHYS_FREE), "4398046511104.5 M");
    EXPECT_EQ(TextOf(half, IDC_PERCENT_PHYS), "50%");
    EXPECT_NEAR(static_cast<double>(half.gauges[kPhys].position) / half.gauges[kPhys].high, 0.5, 1e-9);
}

TEST(MemoryPanel, MoreAvailableThanTotalShowsNothingUsed)
{
    const MemoryPanelView view = ComputeMemoryPanel(Memory(GiB, 2 * GiB, GiB, 2 * GiB));
    EXPECT_EQ(TextOf(view, IDC_ALL_USED), "0.0 M");
    EXPECT_EQ(TextOf(view, IDC_PAGE_USED), "0.0 M");
    EXPECT_EQ(TextOf(view, IDC_PHYS_USED), "0.0 M");
    EXPECT_EQ(TextOf(view, IDC_PERCENT_PHYS), "200%");
}

TEST(CpuPanel, LoadGaugeAndTexts)
{
    const CpuPanelView busy = ComputeCpuPanel(42);
    EXPECT_EQ(busy.gauge.controlId, IDC_PROGRESS_CPU);
    EXPECT_EQ(busy.gauge.high, 100);
    EXPECT_EQ(busy.gauge.position, 42);
    EXPECT_EQ(busy.text.controlId, IDC_PERCENT_CPU);
    EXPECT_EQ(busy.text.text, "42%");
    // Above 100 the bar is left to clamp; the text keeps the number.
    const CpuPanelView over = ComputeCpuPanel(105);
    EXPECT_EQ(over.gauge.position, 105);
    EXPECT_EQ(over.text.text, "105%");
    EXPECT_EQ(ComputeCpuPanel(4294967295ul).gauge.position, INT_MAX);
    EXPECT_EQ(FormatClockFrequency(2394), "2394 MHz");
}
