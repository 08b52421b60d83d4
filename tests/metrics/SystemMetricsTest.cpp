#include "metrics/SystemMetrics.h"
#include "support/FakeMetricsProbe.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <atomic>
#include <cctype>
#include <cpuid.h>
#include <cstring>
#include <set>
#include <string>
#include <thread>

namespace {
constexpr std::uint64_t GiB = 1ull << 30;

struct Metrics {
    std::shared_ptr<FakeMetricsState> state = std::make_shared<FakeMetricsState>();
    CSystemMetrics metrics{std::make_unique<FakeMetricsProbe>(state)};
};
} // namespace

TEST(CpuLoad, IsTheBusyShareOfTheElapsedTime)
{
    EXPECT_EQ(CpuLoadBetween({0, 0, 0}, {750, 1000, 0}), 25u);
    EXPECT_EQ(CpuLoadBetween({100, 200, 300}, {100, 300, 400}), 100u) << "no idle time at all";
    EXPECT_EQ(CpuLoadBetween({100, 200, 0}, {200, 300, 0}), 0u) << "all of it idle";
    EXPECT_EQ(CpuLoadBetween({5, 5, 5}, {5, 5, 5}), 0u) << "no time elapsed";
    EXPECT_EQ(CpuLoadBetween({0, 0, 0}, {999, 1000, 0}), 0u) << "truncated, never rounded";
    EXPECT_LE(CpuLoadBetween({500, 900, 900}, {100, 100, 100}), 100u) << "counters going backwards";
}

TEST(MemoryRecord, SaturatesInsteadOfWrapping)
{
    MemoryFigures figures;
    figures.physTotal = 32 * GiB;
    figures.physAvail = 3 * GiB;
    figures.pageFileTotal = 0x100000000ull;
    figures.pageFileAvail = 0xFFFFFFFFull;
    figures.virtualTotal = 2 * GiB;
    const CMemoryInfo memory(figures);
    EXPECT_EQ(memory.GetStatus().dwTotalPhys, 0xFFFFFFFFu);
    EXPECT_EQ(memory.GetStatus().dwAvailPhys, 3 * GiB);
    EXPECT_EQ(memory.GetStatus().dwTotalPageFile, 0xFFFFFFFFu);
    EXPECT_EQ(memory.GetStatus().dwAvailPageFile, 0xFFFFFFFFu);
    EXPECT_EQ(memory.GetStatus().dwTotalVirtual, 2 * GiB);
    EXPECT_EQ(memory.GetStatus().dwLength, sizeof(MEMORYSTATUS));
    EXPECT_EQ(memory.GetPhysTotal(), 32 * GiB) << "the 64-bit figures stay true";
    EXPECT_EQ(memory.GetVirtualTotal(), 2 * GiB);
}

TEST(DriveRecord, KeepsItsNameWithinBounds)
{
    EXPECT_STREQ(CDriveInfo(DriveFigures{"C:\\", 3, 1, 1, 1}).GetString(), "C:\\");
    const std::string longName(1000, 'x');
    EXPECT_EQ(std::strlen(CDriveInfo(DriveFigures{longName, 3, 0, 0, 0}).GetString()), MAX_PATH - 1u);
}

TEST(Snapshots, ChangeOnlyWhenTheirUpdateRuns)
{
    Metrics m;
    m.state->processes = 7;
    m.state->cpu = {750, 1000, 0};
    m.state->memory.physTotal = 512ull << 20;
    m.state->drives = {{"C:\\", 3, 100, 40, 30}, {"D:\\", 5, 0, 0, 0}};

    EXPECT_EQ(m.metrics.GetNumProcesses(), 0u);
    EXPECT_EQ(m.metrics.GetNumDrives(), 0u);
    m.metrics.UpdateProcessSnapshot();
    m.metrics.UpdateCpuSnapshot();
    m.metrics.UpdateMemorySnapshot();
    m.metrics.UpdateDrivesSnapshot();
    EXPECT_EQ(m.metrics.GetNumProcesses(), 7u);
    EXPECT_EQ(m.metrics.GetCpuInfo()->GetLoad(), 25u) << "the first snapshot: share since boot";
    EXPECT_EQ(m.metrics.GetMemoryInfo()->GetPhysTotal(), 512ull << 20);
    ASSERT_EQ(m.metrics.GetNumDrives(), 2u);
    EXPECT_STREQ(m.metrics.GetDriveInfo(1)->GetString(), "D:\\");
    EXPECT_EQ(m.metrics.GetDriveInfo(0)->GetBytesFree(), 40u);
    EXPECT_EQ(m.metrics.GetDriveInfo(0)->GetBytesAvail(), 30u);

    m.state->processes = 99;
    m.state->cpu = {750 + 10, 1000 + 40, 0};
    m.metrics.UpdateCpuSnapshot();
    EXPECT_EQ(m.metrics.GetNumProcesses(), 7u);
    EXPECT_EQ(m.metrics.GetCpuInfo()->GetLoad(), 75u) << "then the share of the interval";
}

TEST(Snapshots, ADriveIndexBeyondTheSnapshotIsADriveWithoutRoot)
{
    Metrics m;
    m.state->drives = {{"C:\\", 3, 100, 40, 30}};
    m.metrics.UpdateDrivesSnapshot();
    const CDriveInfo* beyond = m.metrics.GetDriveInfo(5);
    ASSERT_NE(beyond, nullptr);
    EXPECT_EQ(beyond->GetType(), static_cast<unsigned>(DRIVE_NO_ROOT_DIR));
    EXPECT_STREQ(beyond->GetString(), "");
}

// The real platform: figures agree with what Windows itself reports.
TEST(PlatformFigures, AgreeWithThePlatform)
{
    CSystemMetrics metrics;
    metrics.UpdateProcessSnapshot();
    metrics.UpdateMemorySnapshot();
    metrics.UpdateDrivesSnapshot();
    metrics.UpdateCpuSnapshot();
    Sleep(50);
    metrics.UpdateCpuSnapshot();

    EXPECT_GE(metrics.GetNumProcesses(), 1u);
    EXPECT_LE(metrics.GetCpuInfo()->GetLoad(), 100u);

    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    ASSERT_TRUE(GlobalMemoryStatusEx(&status));
    const CMemoryInfo* memory = metrics.GetMemoryInfo();
    EXPECT_EQ(memory->GetPhysTotal(), status.ullTotalPhys);
    EXPECT_EQ(memory->GetPageFileTotal(), status.ullTotalPageFile);
    EXPECT_EQ(memory->GetVirtualTotal(), status.ullTotalVirtual);
    EXPECT_LE(memory->GetPhysAvail(), memory->GetPhysTotal());
    EXPECT_EQ(memory->GetStatus().dwTotalPhys, SaturateToDword(status.ullTotalPhys));

    char roots[128] = {};
    GetLogicalDriveStringsA(sizeof(roots), roots);
    std::set<std::string> expected;
    for (const char* r = roots; *r; r += std::strlen(r) + 1)
        expected.insert(r);
    std::set<std::string> seen;
    for (unsigned i = 0; i < metrics.GetNumDrives(); ++i) {
        const CDriveInfo* drive = metrics.GetDriveInfo(i);
        seen.insert(drive->GetString());
        EXPECT_LE(drive->GetBytesFree(), drive->GetBytesTotal()) << drive->GetString();
        if (std::string(drive->GetString()) == "C:\\") {
            EXPECT_EQ(drive->GetType(), static_cast<unsigned>(DRIVE_FIXED));
            EXPECT_GT(drive->GetBytesTotal(), 0u);
        }
    }
    EXPECT_EQ(seen, expected);
}

TEST(PlatformFigures, ProcessorIdentification)
{
    CPUInfo cpu;
    const std::string vendor = cpu.GetVendorID();
    ASSERT_EQ(vendor.size(), 12u);
    for (const char c : vendor)
        EXPECT_TRUE(std::isprint(static_cast<unsigned char>(c)));
    unsigned int leaf, ebx, ecx, edx;
    ASSERT_TRUE(__get_cpuid(0, &leaf, &ebx, &ecx, &edx));
    EXPECT_EQ(std::memcmp(vendor.data(), &ebx, 4), 0);

    EXPECT_GT(cpu.GetProcessorClockFrequency(), 0);
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", 0, KEY_READ, &key)
        == ERROR_SUCCESS) {
        DWORD mhz = 0, size = sizeof(mhz);
        if (RegQueryValueExA(key, "~MHz", nullptr, nullptr, reinterpret_cast<BYTE*>(&mhz), &size) == ERROR_SUCCESS) {
            EXPECT_EQ(cpu.GetProcessorClockFrequency(), static_cast<int>(mhz));
        }
        RegCloseKey(key);
    }
    const int measured = CPUInfo::MeasureClockFrequency();
    EXPECT_GT(measured, 100);
    EXPECT_LT(measured, 10000);
}

// One thread updates as fast as it can while another reads: every snapshot a
// reader sees is whole (all its figures from the same update).
TEST(Concurrency, ReadersNeverSeeAHalfWrittenSnapshot)
{
    class CountingProbe : public MetricsProbe {
    public:
        unsigned int CountProcesses() override { return ++m_k; }
        bool ReadCpuTimes(CpuTimes& t) override
        {
            const std::uint64_t k = ++m_k;
            t = {k * 50, k * 100, 0}; // always 50% busy
            return true;
        }
        bool ReadMemory(MemoryFigures& f) override
        {
            const std::uint64_t k = ++m_k;
            f.physTotal = 8 * GiB + k;
            f.physAvail = k;
            f.pageFileTotal = 2 * k + 1;
            f.pageFileAvail = k + 1;
            f.virtualTotal = 3 * k;
            return true;
        }
        std::vector<DriveFigures> ReadDrives() override
        {
            const std::uint64_t k = ++m_k;
            std::vector<DriveFigures> drives(1 + k % 5);
            for (auto& d : drives)
                d = {"C:\\", 3, 2 * k, k, k};
            return drives;
        }

    private:
        std::uint64_t m_k = 0;
    };

    CSystemMetrics metrics(std::make_unique<CountingProbe>());
    metrics.UpdateCpuSnapshot();
    std::atomic<bool> stop{false};
    std::atomic<long> updates{0};
    std::thread writer([&] {
        while (!stop) {
            metrics.UpdateCpuSnapshot();
            metrics.UpdateMemorySnapshot();
            metrics.UpdateDrivesSnapshot();
            ++updates;
        }
    });

    long reads = 0, torn = 0;
    const ULONGLONG end = GetTickCount64() + 2000;
    while (GetTickCount64() < end) {
        const CMemoryInfo* memory = metrics.GetMemoryInfo();
        const std::uint64_t k = memory->GetPhysAvail();
        if (k != 0
            && (memory->GetPhysTotal() != 8 * GiB + k || memory->GetPageFileTotal() != 2 * k + 1
                || memory->GetPageFileAvail() != k + 1 || memory->GetVirtualTotal() != 3 * k
                || memory->GetStatus().dwAvailPhys != SaturateToDword(k)))
            ++torn;
        if (metrics.GetCpuInfo()->GetLoad() != 50)
            ++torn;
        for (unsigned i = 0; i < metrics.GetNumDrives() + 2; ++i) {
            const CDriveInfo* drive = metrics.GetDriveInfo(i);
            if (drive->GetType() == 3 && drive->GetBytesTotal() != 2 * drive->GetBytesFree())
                ++torn;
        }
        ++reads;
    }
    stop = true;
    writer.join();
    std::printf("%ld reads against %ld updates\n", reads, updates.load());
    EXPECT_EQ(torn, 0);
    EXPECT_GT(updates.load(), 100);
    EXPECT_GT(reads, 100);
}

TEST(Concurrency, RealProbeUnderConcurrentUpdatesAndReads)
{
    CSystemMetrics metrics;
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        while (!stop) {
            metrics.UpdateCpuSnapshot();
            metrics.UpdateMemorySnapshot();
        }
    });
    std::thread drives([&] {
        while (!stop)
            metrics.UpdateDrivesSnapshot();
    });
    const ULONGLONG end = GetTickCount64() + 1000;
    long bad = 0;
    while (GetTickCount64() < end) {
        if (metrics.GetCpuInfo()->GetLoad() > 100)
            ++bad;
        const CMemoryInfo* memory = metrics.GetMemoryInfo();
        if (memory->GetPhysAvail() > memory->GetPhysTotal())
            ++bad;
        for (unsigned i = 0; i < metrics.GetNumDrives(); ++i)
            if (metrics.GetDriveInfo(i)->GetBytesFree() > metrics.GetDriveInfo(i)->GetBytesTotal())
                ++bad;
    }
    stop = true;
    writer.join();
    drives.join();
    EXPECT_EQ(bad, 0);
}
