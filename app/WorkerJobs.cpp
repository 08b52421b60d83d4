#include "app/WorkerJobs.h"

#include <utility>

WorkerJobs::WorkerJobs() : m_waiting(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

bool WorkerJobs::Post(Job job)
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (!m_open || !m_waiting)
        return false;
    m_jobs.push_back(std::move(job));
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
    std::deque<Job> dropped;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_open = false;
        dropped.swap(m_jobs);
        ::ResetEvent(m_waiting.Get());
    }
    for (Job& job : dropped)
        job(true);
}

void WorkerJobs::RunShare()
{
    Job job;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (m_jobs.empty()) {
            ::ResetEvent(m_waiting.Get());
            return;
        }
        job = std::move(m_jobs.front());
        m_jobs.pop_front();
    }
    // The window's thread comes first: it draws what the user sees.
    const HANDLE thread = ::GetCurrentThread();
    const int priority = ::GetThreadPriority(thread);
    ::SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL);
    const bool more = job(false);
    ::SetThreadPriority(thread, priority);
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (more && m_open) {
            m_jobs.push_back(std::move(job));
            return;
        }
        if (m_jobs.empty())
            ::ResetEvent(m_waiting.Get());
    }
    if (more)
        job(true); // closed meanwhile
}
