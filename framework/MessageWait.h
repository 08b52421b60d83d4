#pragma once
// Kernel objects that a thread's message loop waits on beside its messages,
// each with what to do once it is signalled, so that a window's thread can
// follow change notifications without a thread of its own. The handler runs
// on that thread, from the loop; it may add and remove waits.

#include <windows.h>

#include <functional>

namespace fw {

// At most this many handles per thread, beside the message queue.
constexpr DWORD kMaxWaitHandles = MAXIMUM_WAIT_OBJECTS - 1;

// False when the thread already waits on as many handles as it can; a
// handle added again gets the new handler.
bool AddWait(HANDLE handle, std::function<void()> handler);
void RemoveWait(HANDLE handle);

// Waits until a message is queued for the calling thread, one of its handles
// is signalled (and its handler has run), or `timeoutMs` has passed.
void WaitForMessageOrSignal(DWORD timeoutMs);

} // namespace fw
