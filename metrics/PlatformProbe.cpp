#include "SystemMetrics.h"

#include "UniqueHandle.h"

#include <cstring>

#include <tlhelp32.h>

namespace {

std::uint64_t ToCount(const FILETIME& time)
{
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// No "no disk" dialog for an empty removable or CD drive while drives are
// examined; the thread's previous mode comes back afterwards.
class CriticalErrorsSilenced {
public:
    CriticalErrorsSilenced() { m_restore = ::SetThreadErrorMode(SEM_FAILCRITICALERRORS, &m_previous) != FALSE; }
    ~CriticalErrorsSilenced()
    {
        if (m_restore)
            ::SetThreadErrorMode(m_previous, nullptr);
    }
    CriticalErrorsSilenced(const CriticalErrorsSilenced&) = delete;
    CriticalErrorsSilenced& operator=(const CriticalErrorsSilenced&) = delete;

private:
    DWORD m_previous = 0;
    bool m_restore = false;
};

class PlatformProbe : public MetricsProbe {
public:
    unsigned int CountProcesses() override
    {
        fw::UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        if (!snapshot)
            return 0;
        PROCESSENTRY32 entry{};
        entry.dwSize = sizeof(entry);
        unsigned int count = 0;
        for (BOOL more = ::Process32First(snapshot.Get(), &entry); more; more = ::Process32Next(snapshot.Get(), &entry))
            ++count;
        return count;
    }

    bool ReadCpuTimes(CpuTimes& times) override
    {
        FILETIME idle, kernel, user;
        if (!::GetSystemTimes(&idle, &kernel, &user))
            return false;
        times = {ToCount(idle), ToCount(kernel), ToCount(user)};
        return true;
    }

    bool ReadMemory(MemoryFigures& figures) override
    {
        MEMORYSTATUSEX status{};
        status.dwLength = sizeof(status);
        if (!::GlobalMemoryStatusEx(&status))
            return false;
        figures.physTotal = status.ullTotalPhys;
        figures.physAvail = status.ullAvailPhys;
        figures.pageFileTotal = status.ullTotalPageFile;
        figures.pageFileAvail = status.ullAvailPageFile;
        figures.virtualTotal = status.ullTotalVirtual;
        figures.virtualAvail = status.ullAvailVirtual;
        figures.memoryLoad = status.dwMemoryLoad;
        return true;
    }

    std::vector<DriveFigures> ReadDrives() override
    {
        std::vector<DriveFigures> drives;
        char roots[26 * 4 + 1] = {};
        const DWORD length = ::GetLogicalDriveStringsA(sizeof(roots) - 1, roots);
        if (length == 0 || length >= sizeof(roots))
            return drives;

        CriticalErrorsSilenced silenced;
        for (const char* root = roots; *root; root += std::strlen(root) + 1) {
            DriveFigures drive;
            drive.root = root;
            drive.type = ::GetDriveTypeA(root);
            ULARGE_INTEGER avail{}, total{}, free{};
            if (drive.type != DRIVE_NO_ROOT_DIR && ::GetDiskFreeSpaceExA(root, &avail, &total, &free)) {
                drive.bytesTotal = total.QuadPart;
                drive.bytesFree = free.QuadPart;
                drive.bytesAvail = avail.QuadPart;
            }
            drives.push_back(std::move(drive));
        }
        return drives;
    }
};

} // namespace

std::unique_ptr<MetricsProbe> MakePlatformProbe()
{
    return std::make_unique<PlatformProbe>();
}
