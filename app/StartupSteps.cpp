#include "app/StartupSteps.h"

namespace {
StartupStepObserver g_observer = nullptr;
}

void SetStartupStepObserver(StartupStepObserver observer)
{
    g_observer = observer;
}

void StartupStepDone(const char* step)
{
    if (g_observer)
        g_observer(step);
}
