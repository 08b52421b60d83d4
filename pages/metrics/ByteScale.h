#pragma once
// Byte and kilobyte counts as displayed fractions of a larger unit.

#include <cstdint>

// count × 2^-shift, rounded once to the nearest double: the count's 64 bits
// are split so that no part is rounded before the sum.
double ScaleDown(std::uint64_t count, int shift);
