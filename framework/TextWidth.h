#pragma once
// The width of a one-line text as a window draws it: in the window's own font.

#include <windows.h>

#include <string>

namespace fw {

int TextWidth(HWND hWnd, const std::string& text);

} // namespace fw
