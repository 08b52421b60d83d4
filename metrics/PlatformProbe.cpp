#include "SystemMetrics.h"

#include <cstring>
#include <vector>

#include <psapi.h>

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
    // The list of process ids alone: under Wine a toolhelp snapshot of the
    // same processes costs several times as much, on the way to the window.
    unsigned int CountProcesses() override
    {
        std::vector<DWORD> ids(256);
        for (;;) {
            const DWORD bytes = static_cast<DWORD>(ids.size() * sizeof(DWORD));
            DWORD filled = 0;
            if (!::EnumProcesses(ids.data(), bytes, &filled))
                return 0;
            // A full buffer may have left processes out: ask again with more room.
            if (filled < bytes)
                return filled / sizeof(DWORD);
            ids.resize(ids.size() * 2);
        }
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
