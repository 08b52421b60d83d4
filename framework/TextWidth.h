#pragma once
// The width of a one-line text as a window draws it: in the window's own font.

#include <windows.h>

#include <string>
#include <vector>

namespace fw {

int TextWidth(HWND hWnd, const std::string& text);
// The widest of the texts, measured with one device context: asking the
// window for each would get and release one for every text.
int WidestText(HWND hWnd, const std::vector<std::string>& texts);

} // namespace fw
