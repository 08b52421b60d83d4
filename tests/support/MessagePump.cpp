#include "MessagePump.h"

#include "framework/MessageWait.h"
#include "framework/WinApp.h"

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                // Leave the quit for whoever runs the real loop next.
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                return done();
            }
            CWinApp* app = AfxGetApp();
            if (!app || !app->PreTranslateMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
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
