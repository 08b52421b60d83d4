#include "app/SamplingWorker.h"

#include "app/MonitorApp.h"
#include "pages/metrics/MetricsDlg.h"
#include "ui/MainFrame.h"
#include "ui/MainSheet.h"

namespace {

constexpr DWORD kStopTestMs = 10;

// Whether a wait whose first object is the stop mutex ended with the stop
// signal (the mutex acquired, or abandoned) or failed. The mutex is released
// at once: nothing waits on it any more.
bool Stopped(HANDLE stop, DWORD result)
{
    const bool acquired = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED_0;
    if (acquired)
        ::ReleaseMutex(stop);
    return acquired || result == WAIT_FAILED;
}

// Sleeps for the time, or until the stop signal, doing the jobs that come
// meanwhile; true for the stop signal (or a failed wait). Once the time is
// up no share starts, however many wait: the next sample comes first.
bool StopSignalledWhileSleeping(HANDLE stop, DWORD sleepMs, WorkerJobs& jobs)
{
    const ULONGLONG deadline = ::GetTickCount64() + sleepMs;
    for (;;) {
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline)
            return Stopped(stop, ::WaitForSingleObject(stop, 0));
        const DWORD left = static_cast<DWORD>(deadline - now);
        const HANDLE objects[] = {stop, jobs.Waiting()};
        const DWORD result = ::WaitForMultipleObjects(2, objects, FALSE, left);
        if (result == WAIT_TIMEOUT)
            return false;
        if (Stopped(stop, result) || result != WAIT_OBJECT_0 + 1)
            return true;
        jobs.RunShare();
    }
}

// Waits without a time limit for the stop signal or a change of speed,
// doing the jobs that come meanwhile; true for the stop signal (or a failed
// wait).
bool StopSignalledBeforeSpeedChange(HANDLE stop, HANDLE speedChanged, WorkerJobs& jobs)
{
    for (;;) {
        const HANDLE objects[] = {stop, speedChanged, jobs.Waiting()};
        const DWORD result = ::WaitForMultipleObjects(3, objects, FALSE, INFINITE);
        if (result == WAIT_OBJECT_0 + 1)
            return false;
        if (Stopped(stop, result) || result != WAIT_OBJECT_0 + 2)
            return true;
        jobs.RunShare();
    }
}

} // namespace

DWORD WINAPI SamplingThreadProc(LPVOID)
{
    CSystemMetrics& metrics = theApp.m_SystemMetrics;
    const HANDLE stop = theApp.m_hStopMutex.Get();
    const HANDLE speedChanged = theApp.m_hSpeedChanged.Get();
    // Set before the worker starts; valid until the worker has been stopped.
    CMetricsDlg* page = theApp.m_pMainFrame->m_pMainSheet->m_pMetricsPage;

    WorkerJobs& jobs = theApp.m_workerJobs;

    metrics.UpdateDrivesSnapshot();
    // The short wait for the stop signal before each sample does the jobs
    // that come meanwhile too: the first comes as the window is drawn.
    while (!StopSignalledWhileSleeping(stop, kStopTestMs, jobs)) {
        if (theApp.m_nUpdateInterval.load() == 0) {
            // Idle: nothing but jobs until the user picks a speed or the program ends.
            if (StopSignalledBeforeSpeedChange(stop, speedChanged, jobs))
                break;
            continue;
        }
        metrics.UpdateCpuSnapshot();
        metrics.UpdateMemorySnapshot();
        if (page)
            page->RefreshMemoryAndCpu();
        // A speed chosen while sampling applies to this sleep; only the stop
        // signal cuts it short.
        if (StopSignalledWhileSleeping(stop, theApp.m_nUpdateInterval.load(), jobs))
            break;
    }
    jobs.Close();
    return 0;
}

bool WaitHandlingSentMessages(HANDLE object, DWORD timeoutMs)
{
    const ULONGLONG deadline = timeoutMs == INFINITE ? 0 : ::GetTickCount64() + timeoutMs;
    for (;;) {
        DWORD left = INFINITE;
        if (timeoutMs != INFINITE) {
            const ULONGLONG now = ::GetTickCount64();
            left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        }
        const DWORD result = ::MsgWaitForMultipleObjects(1, &object, FALSE, left, QS_SENDMESSAGE);
        if (result != WAIT_OBJECT_0 + 1)
            return result != WAIT_TIMEOUT;
        // Peeking runs the pending sent messages and takes nothing off the queue.
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}
