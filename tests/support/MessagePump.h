#pragma once
// Runs this thread's messages for a while in tests of real windows.

#include <windows.h>

#include <functional>

// Dispatches messages (through the application's pre-translation) until the
// predicate holds or the time is up; returns whether it held.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
void PumpFor(DWORD durationMs);
