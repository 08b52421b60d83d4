#include "app/MonitorApp.h"

#include "app/DisabledStartupKey.h"
#include "app/Elevation.h"
#include "app/SamplingWorker.h"
#include "app/StartupSteps.h"
#include "app/UpdateSpeed.h"
#include "app/WindowlessRun.h"
#include "pages/startup/Utf8Text.h"
#include "res/resource.h"
#include "pages/startup/page/StartupDlg.h"
#include "ui/MainFrame.h"
#include "ui/MainSheet.h"

#include <commctrl.h>
#include <objbase.h>

#include <new>
#include <string>

CMonitorApp theApp;

BEGIN_MESSAGE_MAP(CMonitorApp, CWinApp)
    ON_COMMAND(ID_UPDATESPEED_VERYFAST, OnSpeedVeryFast)
    ON_COMMAND(ID_UPDATESPEED_FAST, OnSpeedFast)
    ON_COMMAND(ID_UPDATESPEED_NORMAL, OnSpeedNormal)
    ON_COMMAND(ID_UPDATESPEED_SLOW, OnSpeedSlow)
    ON_COMMAND(ID_UPDATESPEED_VERYSLOW, OnSpeedVerySlow)
    ON_COMMAND(ID_UPDATESPEED_IDLE, OnSpeedIdle)
    ON_COMMAND(ID_FILE_SAVE_STARTUP_LIST, OnFileSaveStartupList)
    ON_COMMAND(ID_FILE_HIDE_WINDOWS_ENTRIES, OnFileHideWindowsEntries)
    ON_COMMAND(ID_FILE_COMPARE_STARTUP_LIST, OnFileCompareStartupList)
    ON_COMMAND(ID_FILE_RUN_AS_ADMINISTRATOR, OnFileRunAsAdministrator)
    ON_COMMAND(ID_FILE_EXIT, OnFileExit)
END_MESSAGE_MAP()

CMonitorApp::CMonitorApp() : m_nUpdateInterval(kSpeedNormal.intervalMs)
{
}

CMonitorApp::~CMonitorApp() = default;

BOOL CMonitorApp::InitInstance()
{
    // Arguments ask for a run without a window: looked at before anything
    // else, so that the window's start pays nothing for them.
    if (m_lpCmdLine && *m_lpCmdLine) {
        ::CoInitialize(nullptr); // let go of in ExitInstance, as for the window
        SetExitCode(RunWithoutWindow(ParseCommandLine(SplitArguments(m_lpCmdLine))));
        return FALSE;
    }
    CWinApp::InitInstance();
    ::InitCommonControls();
    StartupStepDone("common controls");
    ::CoInitialize(nullptr);
    StartupStepDone("COM");

    if (!AfxSocketInit()) {
        AfxMessageBox(IDP_SOCKETS_INIT_FAILED);
        return FALSE;
    }
    StartupStepDone("sockets");
    if (!AfxOleInit()) {
        AfxMessageBox(IDP_OLE_INIT_FAILED);
        return FALSE;
    }
    AfxEnableControlContainer();
    StartupStepDone("OLE");

    EnsureDisabledStartupKey();
    StartupStepDone("registry key");

    // The only process snapshot of the run: the status bar shows this count throughout.
    m_SystemMetrics.UpdateProcessSnapshot();
    StartupStepDone("process snapshot");
    m_SystemMetrics.UpdateDrivesSnapshot();
    StartupStepDone("drives snapshot");
    m_SystemMetrics.UpdateCpuSnapshot();
    m_SystemMetrics.UpdateMemorySnapshot();
    StartupStepDone("CPU and memory snapshots");

    m_pMainFrame = new (std::nothrow) CMainFrame;
    if (!m_pMainFrame)
        return FALSE;
    m_pMainWnd = m_pMainFrame;

    ::SetPriorityClass(::GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    StartupStepDone("frame object, priority");

    if (!m_pMainFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, nullptr)) {
        // The frame deleted itself when its window could not be made.
        m_pMainFrame = nullptr;
        m_pMainWnd = nullptr;
        return FALSE;
    }
    m_pMainFrame->OfferRunAsAdministrator(MenuOffersElevation(CurrentElevation()));
    m_bHandedOverToElevated = false;
    StartupStepDone("frame window");

    const HICON icon = ::LoadIconA(m_hInstance, MAKEINTRESOURCEA(IDR_MAINFRAME));
    m_pMainFrame->SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));

    m_pMainFrame->ShowWindow(SW_SHOW);
    StartupStepDone("icon, window shown");
    m_pMainFrame->UpdateWindow();
    StartupStepDone("first paint");

    SelectUpdateSpeed(kSpeedNormal.position, kSpeedNormal.intervalMs);

    m_hStopMutex.Reset(::CreateMutexA(nullptr, TRUE, nullptr));
    m_hSpeedChanged.Reset(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    m_bStopSignalled = false;

    // The worker starts only now that the frame, the sheet and its pages exist.
    constexpr SIZE_T kWorkerStackBytes = 0x800000;
    // Jobs are taken from now on: the worker does them from its start until it stops.
    m_workerJobs.Open();
    if (m_hStopMutex && m_hSpeedChanged)
        m_hSamplingThread.Reset(
            ::CreateThread(nullptr, kWorkerStackBytes, &SamplingThreadProc, &m_SystemMetrics, 0, nullptr));
    if (!m_hSamplingThread)
        m_workerJobs.Close();
    StartupStepDone("speed, stop mutex, worker");

    m_pMainFrame->ResizeToSheet();
    StartupStepDone("fitted");
    return TRUE;
}

int CMonitorApp::ExitInstance()
{
    StopSamplingWorker();
    // A worker left running still waits on them.
    if (!m_hSamplingThread) {
        m_hStopMutex.Reset();
        m_hSpeedChanged.Reset();
    }
    ::CoUninitialize();
    return CWinApp::ExitInstance();
}

void CMonitorApp::StopSamplingWorker()
{
    if (m_hStopMutex && !m_bStopSignalled) {
        ::ReleaseMutex(m_hStopMutex.Get());
        m_bStopSignalled = true;
    }
    // The mutex handle stays open until the worker has seen the signal.
    if (m_hSamplingThread) {
        if (WaitHandlingSentMessages(m_hSamplingThread.Get(), kWorkerStopWaitMs))
            m_hSamplingThread.Reset();
        else
            m_workerJobs.Close(); // the pages' jobs are dropped, not waited for
    }
}

void CMonitorApp::SelectUpdateSpeed(UINT position, std::uint32_t intervalMs)
{
    const HMENU menu = m_pMainWnd ? m_pMainWnd->GetMenu() : nullptr;
    const HMENU speedMenu = ::GetSubMenu(::GetSubMenu(menu, 0), 0);
    for (UINT item = 0; item < kUpdateSpeedCount; ++item)
        ::CheckMenuItem(speedMenu, item, MF_BYPOSITION | MF_UNCHECKED);
    ::CheckMenuItem(speedMenu, position, MF_BYPOSITION | MF_CHECKED);
    m_nUpdateInterval.store(intervalMs);
    if (m_hSpeedChanged)
        ::SetEvent(m_hSpeedChanged.Get());
}

void CMonitorApp::OnSpeedVeryFast() { SelectUpdateSpeed(kSpeedVeryFast.position, kSpeedVeryFast.intervalMs); }
void CMonitorApp::OnSpeedFast() { SelectUpdateSpeed(kSpeedFast.position, kSpeedFast.intervalMs); }
void CMonitorApp::OnSpeedNormal() { SelectUpdateSpeed(kSpeedNormal.position, kSpeedNormal.intervalMs); }
void CMonitorApp::OnSpeedSlow() { SelectUpdateSpeed(kSpeedSlow.position, kSpeedSlow.intervalMs); }
void CMonitorApp::OnSpeedVerySlow() { SelectUpdateSpeed(kSpeedVerySlow.position, kSpeedVerySlow.intervalMs); }
void CMonitorApp::OnSpeedIdle() { SelectUpdateSpeed(kSpeedIdle.position, kSpeedIdle.intervalMs); }

void CMonitorApp::OnFileSaveStartupList()
{
    CMainSheet* sheet = m_pMainFrame ? m_pMainFrame->m_pMainSheet : nullptr;
    if (sheet && sheet->m_pStartupPage && sheet->m_pStartupPage->m_hWnd)
        sheet->m_pStartupPage->SaveList();
}

void CMonitorApp::OnFileCompareStartupList()
{
    CMainSheet* sheet = m_pMainFrame ? m_pMainFrame->m_pMainSheet : nullptr;
    if (sheet && sheet->m_pStartupPage && sheet->m_pStartupPage->m_hWnd)
        sheet->m_pStartupPage->CompareWithSavedList();
}

void CMonitorApp::OnFileHideWindowsEntries()
{
    CMainSheet* sheet = m_pMainFrame ? m_pMainFrame->m_pMainSheet : nullptr;
    if (!sheet || !sheet->m_pStartupPage)
        return;
    CStartupDlg& page = *sheet->m_pStartupPage;
    page.HideWindowsEntries(!page.HidesWindowsEntries());
    ::CheckMenuItem(m_pMainWnd->GetMenu(), ID_FILE_HIDE_WINDOWS_ENTRIES,
                    MF_BYCOMMAND | (page.HidesWindowsEntries() ? MF_CHECKED : MF_UNCHECKED));
}

void CMonitorApp::OnFileRunAsAdministrator()
{
    if (m_bHandedOverToElevated || !m_pMainFrame || !m_pMainFrame->m_hWnd)
        return;
    const CMainSheet* sheet = m_pMainFrame->m_pMainSheet;
    const bool unapplied = sheet && sheet->m_pStartupPage && sheet->m_pStartupPage->m_rows.DifferingCount() > 0;
    if (unapplied && AfxMessageBox("Changes that are not applied will be lost.\n\nRun as administrator anyway?",
                                   MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
        return;

    const ElevationResult result = RunElevated(m_pMainFrame->m_hWnd);
    switch (result.outcome) {
    case ElevationResult::Outcome::Started:
        m_bHandedOverToElevated = true;
        // Closed as the user closes it, so the whole exit path runs.
        m_pMainFrame->PostMessage(WM_CLOSE, 0, 0);
        break;
    case ElevationResult::Outcome::Declined:
        break;
    case ElevationResult::Outcome::Failed:
        AfxMessageBox(AnsiFromWide(ElevationFailureMessage(result.error)).c_str(), MB_OK | MB_ICONERROR);
        break;
    }
}

void CMonitorApp::OnFileExit()
{
    ::PostQuitMessage(0);
}
