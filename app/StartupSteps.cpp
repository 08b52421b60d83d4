#include "app/StartupSteps.h"

#include <windows.h>

#include <atomic>

namespace {
std::atomic<StartupStepObserver> g_stepObserver{nullptr};
std::atomic<StartupWorkObserver> g_workObserver{nullptr};

long long Now()
{
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}
} // namespace

void SetStartupStepObserver(StartupStepObserver observer)
{
    g_stepObserver = observer;
}

void SetStartupWorkObserver(StartupWorkObserver observer)
{
    g_workObserver = observer;
}

void StartupStepDone(const char* step)
{
    if (const StartupStepObserver observer = g_stepObserver.load())
        observer(step);
}

StartupWorkTimer::StartupWorkTimer(const char* work) : m_work(work)
{
    if (g_workObserver.load())
        m_start = Now();
}

StartupWorkTimer::~StartupWorkTimer()
{
    const StartupWorkObserver observer = g_workObserver.load();
    if (!observer || !m_start)
        return;
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    observer(m_work, 1000.0 * static_cast<double>(Now() - m_start) / static_cast<double>(frequency.QuadPart));
}
