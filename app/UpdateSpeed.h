#pragma once
// The speeds of File > Update Speed: each item's position in the submenu and
// its sampling interval.

#include <cstdint>

struct UpdateSpeed {
    unsigned int position;
    std::uint32_t intervalMs; // 0: idle, no sampling
};

constexpr UpdateSpeed kSpeedVeryFast{0, 500};
constexpr UpdateSpeed kSpeedFast{1, 1000};
constexpr UpdateSpeed kSpeedNormal{2, 2000};
constexpr UpdateSpeed kSpeedSlow{3, 3000};
constexpr UpdateSpeed kSpeedVerySlow{4, 5000};
constexpr UpdateSpeed kSpeedIdle{5, 0};
constexpr unsigned int kUpdateSpeedCount = 6;
