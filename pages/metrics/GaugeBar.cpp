#include "pages/metrics/GaugeBar.h"

#include <algorithm>
#include <cstdint>

namespace {

struct FilledLength {
    std::int64_t rounded;
    std::int64_t truncated;
};

FilledLength Filled(int high, int position, int barLength)
{
    const std::int64_t clamped = std::clamp(position, 0, high);
    const std::int64_t product = clamped * barLength;
    return {(2 * product + high) / (2 * static_cast<std::int64_t>(high)), product / high};
}

} // namespace

bool DrawsSameBar(int high, int first, int second, int barLength)
{
    // An empty range or a bar without length fills nothing whatever the position.
    if (high <= 0 || barLength <= 0)
        return true;
    const FilledLength a = Filled(high, first, barLength);
    const FilledLength b = Filled(high, second, barLength);
    return a.rounded == b.rounded && a.truncated == b.truncated;
}
