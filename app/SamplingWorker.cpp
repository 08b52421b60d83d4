#include "app/SamplingWorker.h"

#include "app/MonitorApp.h"
#include "pages/metrics/MetricsDlg.h"
#include "ui/MainFrame.h"
#include "ui/MainSheet.h"

namespace {

constexpr DWORD kStopTestMs = 10;

// True when the wait ended for any reason but its time running out: the
// mutex was released (or abandoned), or the wait failed.
bool StopSignalled(HANDLE stop, DWORD timeoutMs)
{
    const DWORD result = ::WaitForSingleObject(stop, timeoutMs);
    if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED)
        ::ReleaseMutex(stop);
    return result != WAIT_TIMEOUT;
}

// Waits without a time limit for the stop signal or a change of speed; true
// for the stop signal (or a failed wait).
bool StopSignalledBeforeSpeedChange(HANDLE stop, HANDLE speedChanged)
{
    const HANDLE objects[] = {stop, speedChanged};
    const DWORD result = ::WaitForMultipleObjects(2, objects, FALSE, INFINITE);
    if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED_0)
        ::ReleaseMutex(stop);
    return result != WAIT_OBJECT_0 + 1;
}

} // namespace

DWORD WINAPI SamplingThreadProc(LPVOID)
{
    CSystemMetrics& metrics = theApp.m_SystemMetrics;
    const HANDLE stop = theApp.m_hStopMutex.Get();
    const HANDLE speedChanged = theApp.m_hSpeedChanged.Get();
    // Set before the worker starts; valid until the worker has been stopped.
    CMetricsDlg* page = theApp.m_pMainFrame->m_pMainSheet->m_pMetricsPage;

    metrics.UpdateDrivesSnapshot();
    while (!StopSignalled(stop, kStopTestMs)) {
        if (theApp.m_nUpdateInterval.load() == 0) {
            // Idle: nothing to do until the user picks a speed or the program ends.
            if (StopSignalledBeforeSpeedChange(stop, speedChanged))
                break;
            continue;
        }
        metrics.UpdateCpuSnapshot();
        metrics.UpdateMemorySnapshot();
        if (page)
            page->RefreshMemoryAndCpu();
        // A speed chosen while sampling applies to this sleep; only the stop
        // signal cuts it short.
        if (StopSignalled(stop, theApp.m_nUpdateInterval.load()))
            break;
    }
    return 0;
}

void WaitHandlingSentMessages(HANDLE object)
{
    for (;;) {
        const DWORD result = ::MsgWaitForMultipleObjects(1, &object, FALSE, INFINITE, QS_SENDMESSAGE);
        if (result != WAIT_OBJECT_0 + 1)
            return;
        // Peeking runs the pending sent messages and takes nothing off the queue.
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}
