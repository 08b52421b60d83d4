// What the start-up page has done on the sampling worker: readings of the
// sources that ask other processes, and its rows matched with Windows'
// measurements of the recorded log-ons, taken back in the order they were asked.
#include "pages/startup/page/StartupDlg.h"

#include "app/MonitorApp.h"
#include "app/SamplingWorker.h"
#include "app/StartupSteps.h"
#include "pages/startup/page/BackgroundReadings.h"
#include "res/resource.h"

#include <mutex>
#include <optional>
#include <utility>

bool CStartupDlg::ReadInBackground(SourceSet which)
{
    BackgroundReading reading;
    reading.which = which;
    reading.movesAsked = m_moves;
    // The job holds what it needs, never the page, which may be gone when it runs.
    const std::shared_ptr<BackgroundReadings> readings = m_readings;
    const HWND window = m_hWnd;
    const std::vector<StartupSource> sources = m_sources;
    // The rows on show get their details first: these places only add rows.
    const auto job = [readings, window, sources, reading](bool dropped) mutable {
        reading.dropped = dropped;
        if (!dropped)
            reading.entries = ReadStartupEntries(sources, reading.which, &reading.failed);
        {
            const std::lock_guard<std::mutex> hold(readings->lock);
            readings->done.push_back(std::move(reading));
            ::SetEvent(readings->waiting.Get());
        }
        ::PostMessageW(window, kSourcesReadMessage, 0, 0);
        return false;
    };
    const bool posted = theApp.m_workerJobs.Post(job, JobOrder::AfterOthers);
    if (posted)
        ++m_readingsAsked;
    return posted;
}

LRESULT CStartupDlg::OnSourcesRead(WPARAM, LPARAM)
{
    // A move's message box runs a message loop: the list changes only once
    // Apply is done with it.
    if (m_applying)
        return 0;
    std::deque<BackgroundReading> done;
    {
        const std::lock_guard<std::mutex> hold(m_readings->lock);
        done.swap(m_readings->done);
        if (!m_readings->impactDone)
            ::ResetEvent(m_readings->waiting.Get());
    }
    for (BackgroundReading& reading : done) {
        --m_readingsAsked;
        if (reading.dropped)
            continue;
        if (reading.movesAsked != m_moves) {
            if (!ReadInBackground(reading.which)) {
                reading.failed = {};
                reading.entries = ReadStartupEntries(m_sources, reading.which, &reading.failed);
                ShowReading(reading.which, reading.entries, false, reading.failed);
            }
            continue;
        }
        ShowReading(reading.which, reading.entries, false, reading.failed);
    }
    return 0;
}

bool CStartupDlg::WaitForReadings(const wchar_t* doing)
{
    // The first reading of the sources read in the background starts once
    // the window is drawn; a list asked for before then starts it now.
    if (!m_watcher)
        OnShown(0, 0);
    // Windows' measurements are waited for too, but a list without them is
    // complete.
    if (m_readingsAsked > 0 || m_impactAsked) {
        m_waitText = m_readingsAsked > 0 ? L"Reading services and scheduled tasks..." : L"Reading Start-Up Impact...";
        UpdateStatus();
        ::UpdateWindow(::GetDlgItem(m_hWnd, IDC_STARTUP_STATUS));
        // A reading asks other processes: a moment's wait, never a hang.
        // One read again after a move asks anew, within the same time.
        // The worker that reads may be sending the metrics page a sample,
        // which only this thread can take: sent messages are handled meanwhile.
        const ULONGLONG deadline = ::GetTickCount64() + kReadingWaitMs;
        for (ULONGLONG now = ::GetTickCount64(); (m_readingsAsked > 0 || m_impactAsked) && now < deadline;
             now = ::GetTickCount64()) {
            if (!WaitHandlingSentMessages(m_readings->waiting.Get(), static_cast<DWORD>(deadline - now)))
                break;
            OnSourcesRead(0, 0);
            OnImpactRead(0, 0);
        }
        m_waitText.clear();
        UpdateStatus();
    }
    if (m_readingsAsked == 0)
        return true;
    ShowError(std::wstring(L"Could not ") + doing +
              L": services and scheduled tasks are still being read, and the list is not complete. "
              L"Please try again in a moment.");
    return false;
}

void CStartupDlg::ReadImpactInBackground()
{
    if (m_impactAsked)
        return;
    const std::shared_ptr<BackgroundReadings> readings = m_readings;
    const HWND window = m_hWnd;
    const ImpactReader read = s_readImpact;
    // The rows are matched on the worker, a log-on at a time, by what they
    // are now; those whose program file becomes known later ask again.
    ImpactReading asked;
    asked.entries = m_rows.ImpactEntries(asked.ids);
    const auto job = [readings, window, read, asked](bool dropped) mutable {
        std::optional<ImpactReading> reading;
        if (!dropped) {
            const StartupWorkTimer timer("read: start-up measurements");
            ImpactMeasure measure(asked.entries);
            asked.accessDenied = read([&](std::vector<MeasuredProcess>&& processes) { measure.AddLogOn(processes); });
            asked.figures = measure.Figures();
            reading = std::move(asked);
        }
        {
            const std::lock_guard<std::mutex> hold(readings->lock);
            readings->impact = std::move(reading);
            readings->impactDone = true;
            ::SetEvent(readings->waiting.Get());
        }
        ::PostMessageW(window, kImpactReadMessage, 0, 0);
        return false;
    };
    m_impactAsked = theApp.m_workerJobs.Post(job, JobOrder::AfterOthers);
}

LRESULT CStartupDlg::OnImpactRead(WPARAM, LPARAM)
{
    // Apply looks rows up by where it left them: a sort by impact waits.
    if (m_applying) {
        m_impactWaiting = true;
        return 0;
    }
    std::optional<ImpactReading> reading;
    {
        const std::lock_guard<std::mutex> hold(m_readings->lock);
        if (!m_readings->impactDone)
            return 0;
        m_readings->impactDone = false;
        reading.swap(m_readings->impact);
        if (m_readings->done.empty())
            ::ResetEvent(m_readings->waiting.Get());
    }
    m_impactAsked = false;
    if (!reading)
        return 0; // the worker ended first
    m_impactDenied = reading->accessDenied;
    if (!m_impactDenied)
        ShowImpact(m_rows.SetImpact(reading->ids, reading->entries, reading->figures));
    UpdateStatus();
    // Rows whose program file became known meanwhile are matched with a fresh reading.
    if (m_rows.ImpactWanted())
        ReadImpactInBackground();
    return 0;
}

bool CStartupDlg::ImpactComplete() const
{
    return (m_rows.ImpactRead() || m_impactDenied) && !m_impactAsked;
}
