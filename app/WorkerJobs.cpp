#include "app/WorkerJobs.h"

#include <algorithm>
#include <utility>

WorkerJobs::WorkerJobs(ULONGLONG longestWaitMs)
    : m_longestWaitMs(longestWaitMs), m_waiting(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

bool WorkerJobs::Post(Job job, JobOrder order)
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (!m_open || !m_waiting)
        return false;
    m_jobs.push_back({std::move(job), order, ::GetTickCount64()});
    ::SetEvent(m_waiting.Get());
    return true;
}

void WorkerJobs::Open()
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_open = true;
}

void WorkerJobs::Close()
{
    std::deque<Queued> dropped;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_open = false;
        dropped.swap(m_jobs);
        ::ResetEvent(m_waiting.Get());
    }
    for (Queued& queued : dropped)
        queued.job(true);
}

void WorkerJobs::RunShare()
{
    Queued queued;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (m_jobs.empty()) {
            ::ResetEvent(m_waiting.Get());
            return;
        }
        // The first job in turn, unless one that lets others go first has
        // waited long enough, or no other is left.
        const ULONGLONG now = ::GetTickCount64();
        const auto waitedEnough = std::find_if(m_jobs.begin(), m_jobs.end(), [&](const Queued& q) {
            return q.order == JobOrder::AfterOthers && now - q.posted >= m_longestWaitMs;
        });
        const auto inTurn =
            std::find_if(m_jobs.begin(), m_jobs.end(), [](const Queued& q) { return q.order == JobOrder::InTurn; });
        const auto next = waitedEnough != m_jobs.end() ? waitedEnough : inTurn != m_jobs.end() ? inTurn : m_jobs.begin();
        queued = std::move(*next);
        m_jobs.erase(next);
    }
    Job& job = queued.job;
    // The window's thread comes first: it draws what the user sees.
    const HANDLE thread = ::GetCurrentThread();
    const int priority = ::GetThreadPriority(thread);
    ::SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL);
    const bool more = job(false);
    ::SetThreadPriority(thread, priority);
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (more && m_open) {
            m_jobs.push_back(std::move(queued));
            return;
        }
        if (m_jobs.empty())
            ::ResetEvent(m_waiting.Get());
    }
    if (more)
        job(true); // closed meanwhile
}
