#pragma once
// Every message box of the program goes through ShowMessageBox, so tests can
// record what would be shown instead of blocking on a real box.

#include <windows.h>

#include <functional>

namespace fw {

using MessageBoxFunction = std::function<int(HWND owner, const char* text, const char* caption, UINT type)>;

int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type);

// Replaces the real message box; an empty function restores it.
void SetMessageBoxFunction(MessageBoxFunction function);

} // namespace fw
