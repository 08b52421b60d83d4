#pragma once
// Start-up names each of its steps as it finishes, so that a benchmark can
// time them inside the real sequence; work that runs within a step or on
// another thread beside the start is timed under a name of its own and added
// up. Nobody listens in the program itself, and then each costs a test of a
// pointer.

using StartupStepObserver = void (*)(const char* step);
using StartupWorkObserver = void (*)(const char* work, double ms);

// Installs the observer; null removes it. Set before the work starts.
void SetStartupStepObserver(StartupStepObserver observer);
void SetStartupWorkObserver(StartupWorkObserver observer);
void StartupStepDone(const char* step);

// Times the work from its construction to its end, for the work observer.
class StartupWorkTimer {
public:
    explicit StartupWorkTimer(const char* work);
    ~StartupWorkTimer();
    StartupWorkTimer(const StartupWorkTimer&) = delete;
    StartupWorkTimer& operator=(const StartupWorkTimer&) = delete;

private:
    const char* m_work;
    long long m_start = 0; // performance counter; 0 while nobody listens
};
