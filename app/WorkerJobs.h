#pragma once
// Work that the sampling worker takes on between its samples, so that the
// program needs no thread beyond it: under Wine every thread costs a
// megabyte of memory for the rest of the process's life. A job is done in
// shares, each a few milliseconds of work, so the samples stay on time; the
// shares run below the priority of the window's thread.

#include "framework/UniqueHandle.h"

#include <windows.h>

#include <deque>
#include <functional>
#include <mutex>

// A job that can wait lets the others go first: the details of the rows on
// show come before a reading of services that only adds rows, until the
// job has waited kLongestWaitMs.
enum class JobOrder {
    InTurn,
    AfterOthers,
};

class WorkerJobs {
public:
    // Does one share of a job's work; returns true while more remains. Called
    // with `dropped` true, once, instead, when the job will not run: the
    // worker has ended.
    using Job = std::function<bool(bool dropped)>;
    static constexpr ULONGLONG kLongestWaitMs = 1000;

    explicit WorkerJobs(ULONGLONG longestWaitMs = kLongestWaitMs);
    WorkerJobs(const WorkerJobs&) = delete;
    WorkerJobs& operator=(const WorkerJobs&) = delete;

    // Queues a job; false, and nothing queued, while no worker takes jobs.
    bool Post(Job job, JobOrder order = JobOrder::InTurn);

    // Jobs are taken from Open (before the worker starts) until Close (by the
    // worker as it ends), which drops those that wait. The event is set while
    // jobs wait: what the worker waits on.
    void Open();
    void Close();
    HANDLE Waiting() const { return m_waiting.Get(); }
    // For the worker: one share of the first job in turn (a job that waits
    // for the others only once none is left, or it has waited long enough),
    // which then goes to the back of the queue while more remains.
    void RunShare();

private:
    struct Queued {
        Job job;
        JobOrder order = JobOrder::InTurn;
        ULONGLONG posted = 0;
    };

    const ULONGLONG m_longestWaitMs;
    std::mutex m_lock; // guards the queue and the flag
    std::deque<Queued> m_jobs;
    bool m_open = false;
    fw::UniqueKernelHandle m_waiting; // manual reset: set while the queue holds jobs
};
