#include "pages/metrics/ByteScale.h"

#include <cmath>

double ScaleDown(std::uint64_t count, int shift)
{
    // Both halves are exact in a double; their sum is the one rounding, and
    // scaling by a power of two is exact.
    const double high = static_cast<double>(static_cast<std::uint32_t>(count >> 32)) * 4294967296.0;
    const double low = static_cast<double>(static_cast<std::uint32_t>(count));
    return std::ldexp(high + low, -shift);
}
