#include "MessagePump.h"

#include "framework/MessageWait.h"
#include "framework/WinApp.h"

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (int exitCode = 0; !fw::DispatchWaitingMessages(exitCode)) {
            // Leave the quit for whoever runs the real loop next.
            ::PostQuitMessage(exitCode);
            return done();
        }
        if (done())
            return true;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline)
            return false;
        fw::WaitForMessageOrSignal(static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 10)));
    }
}

void PumpFor(DWORD durationMs)
{
    PumpUntil([] { return false; }, durationMs);
}
