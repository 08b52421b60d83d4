// Keeps the test session's Wine desktop open. Wine closes a desktop a few
// seconds after its last program has gone and starts it again for the next
// one; a test program started while that happens was once seen to stall for
// a minute after it had finished. Started once per session with no pipes of
// ours; ended with the session's wineserver.

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // A hidden window ties this process to the desktop for as long as it runs.
    const HWND window = ::CreateWindowExA(0, "STATIC", "desktop keeper", WS_POPUP, 0, 0, 1, 1, nullptr,
                                          nullptr, nullptr, nullptr);
    if (!window)
        return 1;
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0)
        ::DispatchMessageA(&message);
    return 0;
}
