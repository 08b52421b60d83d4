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
