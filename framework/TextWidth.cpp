#include "TextWidth.h"

#include <algorithm>

namespace fw {

namespace {

class WindowDC {
public:
    explicit WindowDC(HWND hWnd) : m_hWnd(hWnd), m_hDC(::GetDC(hWnd)) {}
    ~WindowDC()
    {
        if (m_hDC)
            ::ReleaseDC(m_hWnd, m_hDC);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC Get() const { return m_hDC; }

private:
    HWND m_hWnd;
    HDC m_hDC;
};

class SelectedObject {
public:
    SelectedObject(HDC hDC, HGDIOBJ object) : m_hDC(hDC), m_previous(object ? ::SelectObject(hDC, object) : nullptr) {}
    ~SelectedObject()
    {
        if (m_previous)
            ::SelectObject(m_hDC, m_previous);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_previous;
};

} // namespace

int TextWidth(HWND hWnd, const std::string& text)
{
    return WidestText(hWnd, {text});
}

int WidestText(HWND hWnd, const std::vector<std::string>& texts)
{
    WindowDC dc(hWnd);
    if (!dc.Get())
        return 0;
    SelectedObject font(dc.Get(), reinterpret_cast<HGDIOBJ>(::SendMessageA(hWnd, WM_GETFONT, 0, 0)));
    int widest = 0;
    for (const std::string& text : texts) {
        SIZE extent{};
        ::GetTextExtentPoint32A(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
        widest = std::max(widest, static_cast<int>(extent.cx));
    }
    return widest;
}

} // namespace fw
