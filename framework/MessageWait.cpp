#include "MessageWait.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace fw {
namespace {
struct Wait {
    HANDLE handle;
    std::function<void()> handler;
};

std::vector<Wait>& ThreadWaits()
{
    thread_local std::vector<Wait> waits;
    return waits;
}

std::vector<Wait>::iterator Find(HANDLE handle)
{
    std::vector<Wait>& waits = ThreadWaits();
    return std::find_if(waits.begin(), waits.end(), [handle](const Wait& wait) { return wait.handle == handle; });
}
} // namespace

bool AddWait(HANDLE handle, std::function<void()> handler)
{
    const auto known = Find(handle);
    if (known != ThreadWaits().end()) {
        known->handler = std::move(handler);
        return true;
    }
    if (ThreadWaits().size() >= kMaxWaitHandles)
        return false;
    ThreadWaits().push_back({handle, std::move(handler)});
    return true;
}

void RemoveWait(HANDLE handle)
{
    const auto known = Find(handle);
    if (known != ThreadWaits().end())
        ThreadWaits().erase(known);
}

void WaitForMessageOrSignal(DWORD timeoutMs)
{
    std::vector<HANDLE> handles;
    for (const Wait& wait : ThreadWaits())
        handles.push_back(wait.handle);
    const DWORD count = static_cast<DWORD>(handles.size());
    const DWORD signalled = ::MsgWaitForMultipleObjectsEx(count, handles.data(), timeoutMs, QS_ALLINPUT,
                                                          MWMO_INPUTAVAILABLE);
    if (signalled >= WAIT_OBJECT_0 + count)
        return; // a message, the time is up, or the wait failed
    // The handler may change the waits: it runs as a copy, if its handle is still waited on.
    const auto known = Find(handles[signalled - WAIT_OBJECT_0]);
    if (known == ThreadWaits().end())
        return;
    const std::function<void()> handler = known->handler;
    handler();
}

} // namespace fw
