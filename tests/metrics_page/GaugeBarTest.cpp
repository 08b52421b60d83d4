#include "pages/metrics/GaugeBar.h"

#include <gtest/gtest.h>

TEST(GaugeBar, TwoPositionsDrawTheSameBarOnlyWhenNoPixelOfItDiffers)
{
    constexpr int kGiB = 1 << 20; // in kilobytes, as the memory gauges count
    const struct {
        int high, first, second, barLength;
        bool same;
    } cases[] = {
        {100, 50, 50, 90, true},
        {100, 50, 51, 90, false},                         // 45.0 and 45.9 pixels round apart
        {100, 40, 41, 90, false},                         // 36.0 and 36.9 truncate alike but round apart
        {1000, 443, 446, 90, false},                      // 39.9 and 40.1 round alike but truncate apart
        {24 * kGiB, 12 * kGiB, 12 * kGiB + 4096, 86, true}, // 4 MiB of 24 GiB on 86 pixels
        {24 * kGiB, 0, 300 * 1024, 86, false},            // 300 MiB is more than a pixel
        {100, 105, 100, 90, true},                        // beyond the range the bar is full either way
        {100, -3, 0, 90, true},
        {100, 10, 90, 0, true},                           // a bar without length shows nothing
    };
    for (const auto& c : cases)
        EXPECT_EQ(DrawsSameBar(c.high, c.first, c.second, c.barLength), c.same)
            << c.high << " " << c.first << " " << c.second << " " << c.barLength;
}
