#include "SystemMetrics.h"

#include <cstring>

unsigned long CpuLoadBetween(const CpuTimes& earlier, const CpuTimes& later)
{
    // Counters only grow; a reading that went backwards (a wrapped or reset
    // counter) contributes nothing rather than a huge unsigned difference.
    auto delta = [](std::uint64_t a, std::uint64_t b) { return b > a ? b - a : 0; };
    const std::uint64_t idle = delta(earlier.idle, later.idle);
    const std::uint64_t total = delta(earlier.kernel, later.kernel) + delta(earlier.user, later.user);
    if (total == 0)
        return 0;
    const std::uint64_t busy = total > idle ? total - idle : 0;
    return static_cast<unsigned long>(busy * 100 / total);
}

DWORD SaturateToDword(std::uint64_t value)
{
    return value > 0xFFFFFFFFull ? 0xFFFFFFFFul : static_cast<DWORD>(value);
}

CMemoryInfo::CMemoryInfo() : CMemoryInfo(MemoryFigures{}) {}

CMemoryInfo::CMemoryInfo(const MemoryFigures& figures) : m_figures(figures), m_status{}
{
    m_status.dwLength = sizeof(m_status);
    m_status.dwMemoryLoad = figures.memoryLoad;
    m_status.dwTotalPhys = SaturateToDword(figures.physTotal);
    m_status.dwAvailPhys = SaturateToDword(figures.physAvail);
    m_status.dwTotalPageFile = SaturateToDword(figures.pageFileTotal);
    m_status.dwAvailPageFile = SaturateToDword(figures.pageFileAvail);
    m_status.dwTotalVirtual = SaturateToDword(figures.virtualTotal);
    m_status.dwAvailVirtual = SaturateToDword(figures.virtualAvail);
}

CDriveInfo::CDriveInfo(const DriveFigures& figures)
    : m_nType(figures.type),
      m_nBytesTotal(figures.bytesTotal),
      m_nBytesFree(figures.bytesFree),
      m_nBytesAvail(figures.bytesAvail)
{
    std::strncpy(m_szName, figures.root.c_str(), sizeof(m_szName) - 1);
}

CSystemMetrics::CSystemMetrics() : CSystemMetrics(MakePlatformProbe()) {}

CSystemMetrics::CSystemMetrics(std::unique_ptr<MetricsProbe> probe) : m_probe(std::move(probe)) {}

CSystemMetrics::~CSystemMetrics() = default;

void CSystemMetrics::SetProbe(std::unique_ptr<MetricsProbe> probe)
{
    std::lock_guard<std::mutex> updating(m_updateLock);
    m_probe = std::move(probe);
    m_lastCpuTimes = CpuTimes{};
}

// Each update asks the probe under the update lock only, so readers never
// wait for a slow platform call, then publishes under the snapshot lock.

int CSystemMetrics::UpdateProcessSnapshot()
{
    std::lock_guard<std::mutex> updating(m_updateLock);
    const unsigned int processes = m_probe->CountProcesses();
    std::lock_guard<std::mutex> publishing(m_lock);
    m_nProcesses = processes;
    return 1;
}

int CSystemMetrics::UpdateDrivesSnapshot()
{
    std::lock_guard<std::mutex> updating(m_updateLock);
    std::vector<CDriveInfo> drives;
    for (const DriveFigures& figures : m_probe->ReadDrives())
        drives.emplace_back(figures);
    std::lock_guard<std::mutex> publishing(m_lock);
    m_drives.swap(drives);
    return 1;
}

int CSystemMetrics::UpdateCpuSnapshot()
{
    std::lock_guard<std::mutex> updating(m_updateLock);
    CpuTimes times;
    if (!m_probe->ReadCpuTimes(times))
        return 0;
    const CCpuInfo cpu(CpuLoadBetween(m_lastCpuTimes, times));
    m_lastCpuTimes = times;
    std::lock_guard<std::mutex> publishing(m_lock);
    m_cpu = cpu;
    return 1;
}

int CSystemMetrics::UpdateMemorySnapshot()
{
    std::lock_guard<std::mutex> updating(m_updateLock);
    MemoryFigures figures;
    if (!m_probe->ReadMemory(figures))
        return 0;
    const CMemoryInfo memory(figures);
    std::lock_guard<std::mutex> publishing(m_lock);
    m_memory = memory;
    return 1;
}

unsigned int CSystemMetrics::GetNumProcesses() const
{
    std::lock_guard<std::mutex> reading(m_lock);
    return m_nProcesses;
}

const CCpuInfo* CSystemMetrics::GetCpuInfo() const
{
    thread_local CCpuInfo copy;
    std::lock_guard<std::mutex> reading(m_lock);
    copy = m_cpu;
    return &copy;
}

const CMemoryInfo* CSystemMetrics::GetMemoryInfo() const
{
    thread_local CMemoryInfo copy;
    std::lock_guard<std::mutex> reading(m_lock);
    copy = m_memory;
    return &copy;
}

unsigned int CSystemMetrics::GetNumDrives() const
{
    std::lock_guard<std::mutex> reading(m_lock);
    return static_cast<unsigned int>(m_drives.size());
}

const CDriveInfo* CSystemMetrics::GetDriveInfo(unsigned long index) const
{
    thread_local CDriveInfo copy;
    std::lock_guard<std::mutex> reading(m_lock);
    copy = index < m_drives.size() ? m_drives[index] : CDriveInfo();
    return &copy;
}
