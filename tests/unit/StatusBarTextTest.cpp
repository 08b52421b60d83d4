#include "ui/StatusBarText.h"

#include <gtest/gtest.h>

namespace {
constexpr std::uint64_t MiB = 1ull << 20;
constexpr std::uint64_t GiB = 1ull << 30;
}

TEST(StatusBarText, ProcessesAndCpu)
{
    EXPECT_EQ(FormatProcessesText(0), "Processes: 0");
    EXPECT_EQ(FormatProcessesText(4294967295u), "Processes: 4294967295");
    EXPECT_EQ(FormatCpuText(0), "CPU: 0%");
    EXPECT_EQ(FormatCpuText(100), "CPU: 100%");
}

TEST(StatusBarText, VirtualMemorySumsPhysicalAndPageFile)
{
    EXPECT_EQ(FormatVirtualMemoryText(512 * MiB, 128 * MiB, GiB, 256 * MiB),
              "Virtual Memory: 384 M Free / 1536 M Total");
}

TEST(StatusBarText, VirtualMemorySumsBytesBeforeShifting)
{
    const std::uint64_t oneAndAHalfMiB = 1572864;
    EXPECT_EQ(FormatVirtualMemoryText(oneAndAHalfMiB, oneAndAHalfMiB, oneAndAHalfMiB, oneAndAHalfMiB),
              "Virtual Memory: 3 M Free / 3 M Total");
}

TEST(StatusBarText, VirtualMemoryBeyond32Bits)
{
    EXPECT_EQ(FormatVirtualMemoryText(32 * GiB, 20 * GiB, 48 * GiB, 40 * GiB),
              "Virtual Memory: 61440 M Free / 81920 M Total");
}
