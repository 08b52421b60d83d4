#pragma once
// Start-up names each of its steps as it finishes, so that a benchmark can
// time them inside the real sequence. Nobody listens in the program itself.

using StartupStepObserver = void (*)(const char* step);

// Installs the observer; null removes it.
void SetStartupStepObserver(StartupStepObserver observer);
void StartupStepDone(const char* step);
