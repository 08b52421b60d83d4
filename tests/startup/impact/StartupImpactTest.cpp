// How an entry's measured figures are rated and said.

#include "pages/startup/impact/StartupImpact.h"
#include "support/WideText.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint64_t kMs = 1000, kKB = 1024, kMB = 1024 * 1024;

ImpactFigures Figures(std::uint64_t cpu, std::uint64_t disk, unsigned logOns = 1)
{
    return {cpu, disk, logOns};
}

} // namespace

TEST(StartupImpact, RatesAtAndAroundEachBoundary)
{
    const struct {
        bool enabled;
        std::optional<ImpactFigures> figures;
        const char* said;
    } cases[] = {
        {false, Figures(5000 * kMs, 10 * kMB), "None"},
        {false, std::nullopt, "None"},
        {true, std::nullopt, "Not measured"},
        {true, Figures(0, 0), "Low"},
        {true, Figures(299 * kMs, 0), "Low"},
        {true, Figures(300 * kMs, 0), "Medium"},
        {true, Figures(1000 * kMs, 0), "Medium"},
        {true, Figures(1000 * kMs + 1, 0), "High"},
        {true, Figures(1001 * kMs, 0), "High"},
        {true, Figures(0, 300 * kKB - 1), "Low"},
        {true, Figures(0, 300 * kKB), "Medium"},
        {true, Figures(0, 3 * kMB), "Medium"},
        {true, Figures(0, 3 * kMB + 1), "High"},
        {true, Figures(299 * kMs, 300 * kKB - 1), "Low"},
        {true, Figures(10 * kMs, 3 * kMB + 1), "High"},
    };
    for (const auto& c : cases) {
        const std::string what = c.figures ? std::to_string(c.figures->cpuMicroseconds) + " us, "
                                                 + std::to_string(c.figures->diskBytes) + " bytes"
                                           : "no figures";
        EXPECT_EQ(U8(ImpactText(RateImpact(c.enabled, c.figures))), c.said) << what << (c.enabled ? "" : ", off");
    }
    // The order a sort by impact shows.
    EXPECT_LT(StartupImpact::High, StartupImpact::Medium);
    EXPECT_LT(StartupImpact::Low, StartupImpact::NotMeasured);
    EXPECT_LT(StartupImpact::NotMeasured, StartupImpact::None);
}

TEST(StartupImpact, HoverTextSaysTheFigures)
{
    const struct {
        ImpactFigures figures;
        const char* said;
    } cases[] = {
        {Figures(1240 * kMs, 4299162, 3), "CPU 1,240 ms, disk I/O 4.1 MB, median of 3 log-ons"},
        {Figures(499, 310 * kKB), "CPU 0 ms, disk I/O 310 KB, median of 1 log-on"},
        {Figures(1234567499, 1023), "CPU 1,234,567 ms, disk I/O 1023 bytes, median of 1 log-on"},
        {Figures(1500, 1536 * kKB - 1, 2), "CPU 2 ms, disk I/O 1.5 MB, median of 2 log-ons"},
        {Figures(0, 1025 * kMB - kMB / 100, 5), "CPU 0 ms, disk I/O 1,025.0 MB, median of 5 log-ons"},
        {Figures(0, 1000 * kKB + 511, 4), "CPU 0 ms, disk I/O 1,000 KB, median of 4 log-ons"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(U8(ImpactHoverText(c.figures)), c.said);
}
