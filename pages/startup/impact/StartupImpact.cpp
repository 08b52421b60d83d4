#include "pages/startup/impact/StartupImpact.h"

namespace {

constexpr std::uint64_t kKB = 1024;
constexpr std::uint64_t kMB = 1024 * 1024;
constexpr std::uint64_t kMs = 1000;

// The number with a comma between each group of three digits.
std::wstring Grouped(std::uint64_t value)
{
    const std::wstring digits = std::to_wstring(value);
    std::wstring grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += L',';
        grouped += digits[i];
    }
    return grouped;
}

// value / unit, rounded to the nearest (halves up), without overflow.
std::uint64_t Rounded(std::uint64_t value, std::uint64_t unit)
{
    return value / unit + (value % unit >= unit - unit / 2 ? 1 : 0);
}

std::wstring DiskText(std::uint64_t bytes)
{
    if (bytes >= kMB) {
        // Tenths of a MB, rounded: the whole MB and the rest's tenths.
        const std::uint64_t tenths = bytes / kMB * 10 + Rounded(bytes % kMB * 10, kMB);
        return Grouped(tenths / 10) + L"." + std::to_wstring(tenths % 10) + L" MB";
    }
    if (bytes >= kKB)
        return Grouped(Rounded(bytes, kKB)) + L" KB";
    return std::to_wstring(bytes) + L" bytes";
}

} // namespace

StartupImpact RateImpact(bool enabled, const std::optional<ImpactFigures>& figures)
{
    if (!enabled)
        return StartupImpact::None;
    if (!figures)
        return StartupImpact::NotMeasured;
    if (figures->cpuMicroseconds > 1000 * kMs || figures->diskBytes > 3 * kMB)
        return StartupImpact::High;
    if (figures->cpuMicroseconds >= 300 * kMs || figures->diskBytes >= 300 * kKB)
        return StartupImpact::Medium;
    return StartupImpact::Low;
}

const wchar_t* ImpactText(StartupImpact impact)
{
    switch (impact) {
    case StartupImpact::High:
        return L"High";
    case StartupImpact::Medium:
        return L"Medium";
    case StartupImpact::Low:
        return L"Low";
    case StartupImpact::NotMeasured:
        return L"Not measured";
    case StartupImpact::None:
        break;
    }
    return L"None";
}

std::wstring ImpactHoverText(const ImpactFigures& figures)
{
    return L"CPU " + Grouped(ImpactMilliseconds(figures)) + L" ms, disk I/O " + DiskText(figures.diskBytes)
           + L", median of " + std::to_wstring(figures.logOns) + (figures.logOns == 1 ? L" log-on" : L" log-ons");
}

std::uint64_t ImpactMilliseconds(const ImpactFigures& figures)
{
    return Rounded(figures.cpuMicroseconds, kMs);
}

std::uint64_t ImpactKilobytes(const ImpactFigures& figures)
{
    return Rounded(figures.diskBytes, kKB);
}
