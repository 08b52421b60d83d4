#include "ui/StatusBarText.h"

#include <gtest/gtest.h>

TEST(StatusBarText, ProcessesAndCpu)
{
    EXPECT_EQ(FormatProcessesText(0), "Processes: 0");
    EXPECT_EQ(FormatProcessesText(4294967295u), "Processes: 4294967295");
    EXPECT_EQ(FormatCpuText(0), "CPU: 0%");
    EXPECT_EQ(FormatCpuText(100), "CPU: 100%");
}

// Physical memory plus page file, summed in bytes before the shift to whole
// mebibytes, beyond 32 bits too.
TEST(StatusBarText, VirtualMemory)
{
    constexpr std::uint64_t MiB = 1ull << 20;
    constexpr std::uint64_t GiB = 1ull << 30;
    const struct {
        std::uint64_t physTotal, physAvail, pageTotal, pageAvail;
        const char* text;
    } cases[] = {
        {512 * MiB, 128 * MiB, GiB, 256 * MiB, "Virtual Memory: 384 M Free / 1536 M Total"},
        {MiB * 3 / 2, MiB * 3 / 2, MiB * 3 / 2, MiB * 3 / 2, "Virtual Memory: 3 M Free / 3 M Total"},
        {32 * GiB, 20 * GiB, 48 * GiB, 40 * GiB, "Virtual Memory: 61440 M Free / 81920 M Total"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatVirtualMemoryText(c.physTotal, c.physAvail, c.pageTotal, c.pageAvail), c.text);
}
