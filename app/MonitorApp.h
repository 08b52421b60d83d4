#pragma once
// The application object: owns the metrics component for the whole run,
// starts the program up and shuts it down, and handles every menu command.

#include "app/WorkerJobs.h"
#include "framework/Framework.h"
#include "metrics/SystemMetrics.h"

#include <atomic>
#include <cstdint>

class CMainFrame;

class CMonitorApp : public CWinApp {
public:
    CMonitorApp();
    ~CMonitorApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;

    // Moves the Update Speed check mark to the item at position and makes
    // interval (milliseconds, 0 = idle) the sampling interval.
    void SelectUpdateSpeed(UINT position, std::uint32_t intervalMs);

    // Signals the sampling worker to stop and waits until it has, handling
    // sent messages meanwhile. Called before the frame is destroyed and
    // before the application is torn down; later calls do nothing once it
    // has stopped. A worker still waiting for another process's answer after
    // a second is left to it: the jobs that wait are dropped, and the program
    // ends without it.
    void StopSamplingWorker();
    bool LeftThreadsRunning() const override { return static_cast<bool>(m_hSamplingThread); }
    static constexpr DWORD kWorkerStopWaitMs = 1000;

    // Owned by the user-interface thread until ExitInstance releases it: the
    // sampling worker's stop signal.
    fw::UniqueKernelHandle m_hStopMutex;
    // Set whenever a speed is chosen: an idle worker sleeps until then rather
    // than polling.
    fw::UniqueKernelHandle m_hSpeedChanged;
    // Written by the user-interface thread only, read by the sampling worker.
    std::atomic<std::uint32_t> m_nUpdateInterval;
    // Not owning: the frame deletes itself with its window.
    CMainFrame* m_pMainFrame = nullptr;
    CSystemMetrics m_SystemMetrics;
    // What the sampling worker does between samples for the pages.
    WorkerJobs m_workerJobs;

protected:
    void OnSpeedVeryFast();
    void OnSpeedFast();
    void OnSpeedNormal();
    void OnSpeedSlow();
    void OnSpeedVerySlow();
    void OnSpeedIdle();
    void OnFileSaveStartupList();
    void OnFileHideWindowsEntries();
    void OnFileCompareStartupList();
    // Starts the program again with the administrator's full token, after
    // asking where the start-up page has changes not applied, and closes
    // this window once the new one has started.
    void OnFileRunAsAdministrator();
    void OnFileExit();

    DECLARE_MESSAGE_MAP()

private:
    fw::UniqueKernelHandle m_hSamplingThread;
    bool m_bStopSignalled = false;
    // An elevated copy has started and this window is closing: a second
    // Run as Administrator queued meanwhile must not start another.
    bool m_bHandedOverToElevated = false;
};

extern CMonitorApp theApp;
