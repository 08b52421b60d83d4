#include "SystemMetrics.h"

#include "UniqueHandle.h"

#include <cpuid.h>
#include <x86intrin.h>

#include <cstring>

namespace {

constexpr char kProcessorKey[] = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";

int RecordedClockFrequency()
{
    fw::UniqueRegKey key;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProcessorKey, 0, KEY_QUERY_VALUE, key.Put()) != ERROR_SUCCESS)
        return 0;
    DWORD mhz = 0;
    DWORD size = sizeof(mhz);
    DWORD type = 0;
    if (::RegQueryValueExA(key.Get(), "~MHz", nullptr, &type, reinterpret_cast<BYTE*>(&mhz), &size) != ERROR_SUCCESS
        || type != REG_DWORD)
        return 0;
    return static_cast<int>(mhz);
}

} // namespace

CPUInfo::CPUInfo()
{
    unsigned int maxLeaf = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(0, &maxLeaf, &ebx, &ecx, &edx)) {
        std::memcpy(m_szVendor, &ebx, 4);
        std::memcpy(m_szVendor + 4, &edx, 4);
        std::memcpy(m_szVendor + 8, &ecx, 4);
    }
    m_nClockMHz = RecordedClockFrequency();
    if (m_nClockMHz <= 0)
        m_nClockMHz = MeasureClockFrequency();
}

CPUInfo::~CPUInfo() = default;

char* CPUInfo::GetVendorID()
{
    return m_szVendor;
}

int CPUInfo::GetProcessorClockFrequency()
{
    return m_nClockMHz;
}

int CPUInfo::MeasureClockFrequency()
{
    LARGE_INTEGER frequency, start, now;
    if (!::QueryPerformanceFrequency(&frequency) || frequency.QuadPart == 0)
        return 0;
    // About 20 ms of time-stamp counter ticks against the performance counter.
    const LONGLONG span = frequency.QuadPart / 50;
    ::QueryPerformanceCounter(&start);
    const unsigned long long ticksStart = __rdtsc();
    do {
        ::QueryPerformanceCounter(&now);
    } while (now.QuadPart - start.QuadPart < span);
    const unsigned long long ticks = __rdtsc() - ticksStart;
    const double seconds = static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    return static_cast<int>(static_cast<double>(ticks) / seconds / 1e6 + 0.5);
}
