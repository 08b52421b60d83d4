#pragma once
// The SystemMetrics component: process count, CPU load, memory status and
// drives, each as a snapshot that an update call retakes.
//
// Threads: one thread may update while others read. A getter that returns a
// pointer hands out the calling thread's own copy of the latest snapshot,
// taken whole under the component's lock; that copy stays valid and unchanged
// until the same thread calls the same getter again. So a reader never sees a
// half-written snapshot or a freed object, and no lock outlives a call.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// What the component reads of the platform. The default probe asks Windows;
// tests install their own to control every figure.
struct CpuTimes {
    std::uint64_t idle = 0;   // 100 ns units, summed over processors
    std::uint64_t kernel = 0; // includes idle time, as GetSystemTimes reports it
    std::uint64_t user = 0;
};

struct MemoryFigures {
    std::uint64_t physTotal = 0;
    std::uint64_t physAvail = 0;
    std::uint64_t pageFileTotal = 0;
    std::uint64_t pageFileAvail = 0;
    std::uint64_t virtualTotal = 0; // this process's user address space
    std::uint64_t virtualAvail = 0;
    unsigned long memoryLoad = 0;   // percent in use, as the platform reports it
};

struct DriveFigures {
    std::string root;               // "C:\"
    unsigned int type = 0;          // GetDriveType code
    std::uint64_t bytesTotal = 0;
    std::uint64_t bytesFree = 0;
    std::uint64_t bytesAvail = 0;   // available to the caller
};

class MetricsProbe {
public:
    virtual ~MetricsProbe() = default;
    virtual unsigned int CountProcesses() = 0;
    virtual bool ReadCpuTimes(CpuTimes& times) = 0;
    virtual bool ReadMemory(MemoryFigures& figures) = 0;
    virtual std::vector<DriveFigures> ReadDrives() = 0;
};

// The probe that asks Windows (the process list, GetSystemTimes,
// GlobalMemoryStatusEx, the logical drive functions).
std::unique_ptr<MetricsProbe> MakePlatformProbe();

// Busy share, 0 to 100, of the time elapsed between two CPU readings; 0 when
// no time has elapsed.
unsigned long CpuLoadBetween(const CpuTimes& earlier, const CpuTimes& later);

// 64-bit count to a 32-bit one, saturated instead of wrapped.
DWORD SaturateToDword(std::uint64_t value);

class CCpuInfo {
public:
    CCpuInfo() = default;
    explicit CCpuInfo(unsigned long load) : m_nLoad(load) {}
    unsigned long GetLoad() const { return m_nLoad; }

private:
    unsigned long m_nLoad = 0;
};

class CMemoryInfo {
public:
    CMemoryInfo();
    explicit CMemoryInfo(const MemoryFigures& figures);

    // The 32-bit record, each count saturated at 0xFFFFFFFF.
    const MEMORYSTATUS& GetStatus() const { return m_status; }

    std::uint64_t GetPhysTotal() const { return m_figures.physTotal; }
    std::uint64_t GetPhysAvail() const { return m_figures.physAvail; }
    std::uint64_t GetPageFileTotal() const { return m_figures.pageFileTotal; }
    std::uint64_t GetPageFileAvail() const { return m_figures.pageFileAvail; }
    std::uint64_t GetVirtualTotal() const { return m_figures.virtualTotal; }
    std::uint64_t GetVirtualAvail() const { return m_figures.virtualAvail; }

private:
    MemoryFigures m_figures;
    MEMORYSTATUS m_status;
};

class CDriveInfo {
public:
    CDriveInfo() = default;
    explicit CDriveInfo(const DriveFigures& figures);

    unsigned int GetType() const { return m_nType; }
    const char* GetString() const { return m_szName; }
    std::uint64_t GetBytesTotal() const { return m_nBytesTotal; }
    std::uint64_t GetBytesFree() const { return m_nBytesFree; }
    std::uint64_t GetBytesAvail() const { return m_nBytesAvail; }

private:
    unsigned int m_nType = DRIVE_NO_ROOT_DIR;
    char m_szName[MAX_PATH] = {};
    std::uint64_t m_nBytesTotal = 0;
    std::uint64_t m_nBytesFree = 0;
    std::uint64_t m_nBytesAvail = 0;
};

class CSystemMetrics {
public:
    CSystemMetrics();
    explicit CSystemMetrics(std::unique_ptr<MetricsProbe> probe);
    virtual ~CSystemMetrics();
    CSystemMetrics(const CSystemMetrics&) = delete;
    CSystemMetrics& operator=(const CSystemMetrics&) = delete;

    // Replaces the probe; the snapshots keep their values until updated.
    void SetProbe(std::unique_ptr<MetricsProbe> probe);

    int UpdateProcessSnapshot();
    int UpdateDrivesSnapshot();
    int UpdateCpuSnapshot();
    int UpdateMemorySnapshot();

    unsigned int GetNumProcesses() const;
    const CCpuInfo* GetCpuInfo() const;
    const CMemoryInfo* GetMemoryInfo() const;
    unsigned int GetNumDrives() const;
    // An index beyond the current snapshot yields a drive without a root
    // directory (type 1), which lists of drives leave out.
    const CDriveInfo* GetDriveInfo(unsigned long index) const;

private:
    // Serialises updates: the probe and the previous CPU reading.
    std::mutex m_updateLock;
    std::unique_ptr<MetricsProbe> m_probe;
    CpuTimes m_lastCpuTimes;

    // Guards the published snapshots below; held only to copy them.
    mutable std::mutex m_lock;
    unsigned int m_nProcesses = 0;
    CCpuInfo m_cpu;
    CMemoryInfo m_memory;
    std::vector<CDriveInfo> m_drives;
};

// Processor identification, read when constructed.
class CPUInfo {
public:
    CPUInfo();
    ~CPUInfo();
    CPUInfo(const CPUInfo&) = delete;
    CPUInfo& operator=(const CPUInfo&) = delete;

    char* GetVendorID();
    int GetProcessorClockFrequency();

    // The clock measured against the performance counter, for machines that
    // do not record it.
    static int MeasureClockFrequency();

private:
    char m_szVendor[13] = {};
    int m_nClockMHz = 0;
};
