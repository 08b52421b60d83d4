#pragma once
// The sampling worker: a background thread that retakes the CPU and memory
// snapshots at the chosen update speed and has the metrics page redraw, and
// between samples does the jobs that pages give it (theApp.m_workerJobs).

#include <windows.h>

// The worker's thread routine. It takes everything from theApp and ignores
// its parameter. It stops when it acquires the application's stop mutex,
// which the user-interface thread owns until it releases it as the signal.
DWORD WINAPI SamplingThreadProc(LPVOID lpParameter);

// Waits for the object while still handling messages that other threads send
// to this thread's windows: the worker may be inside a control update that
// only this thread can complete. False when the time ran out first.
bool WaitHandlingSentMessages(HANDLE object, DWORD timeoutMs = INFINITE);
