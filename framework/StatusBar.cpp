#include "StatusBar.h"

#include "WinApp.h"

#include <commctrl.h>

IMPLEMENT_DYNAMIC(CStatusBar, CWnd)

namespace {

// Room beyond the measured text, for the pane's own insets.
constexpr int kPaneMargin = 6;

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

BOOL CStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    // Control-bar style bits mean nothing to the control itself.
    DWORD style = dwStyle & ~static_cast<DWORD>(CBRS_ALIGN_ANY | CBRS_BORDER_ANY);
    style |= (dwStyle & CBRS_ALIGN_TOP) ? CCS_TOP : CCS_BOTTOM;

    m_hWnd = ::CreateWindowExA(0, STATUSCLASSNAMEA, nullptr, style, 0, 0, 0, 0, pParentWnd->m_hWnd,
                               reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), AfxGetInstanceHandle(),
                               nullptr);
    if (!m_hWnd)
        return FALSE;

    // An explicit font, so that the panes are measured in what they are drawn in.
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof(metrics);
    if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        m_font.Reset(::CreateFontIndirectA(&metrics.lfStatusFont));
        if (m_font)
            SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), FALSE);
    }
    return TRUE;
}

BOOL CStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount)
{
    if (!m_hWnd || nIDCount <= 0 || nIDCount > 255)
        return FALSE;

    std::vector<std::string> texts;
    for (int i = 0; i < nIDCount; ++i) {
        texts.push_back(AfxLoadString(lpIDArray[i]));
        if (texts.back().empty())
            return FALSE;
    }

    int borders[3] = {};
    SendMessage(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));

    std::vector<int> rightEdges;
    {
        WindowDC dc(m_hWnd);
        SelectedObject font(dc.Get(), reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
        int right = 0;
        for (const std::string& text : texts) {
            SIZE extent{};
            ::GetTextExtentPoint32A(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
            right += extent.cx + 2 * borders[0] + kPaneMargin;
            rightEdges.push_back(right);
            right += borders[2];
        }
    }
    if (!SendMessage(SB_SETPARTS, static_cast<WPARAM>(nIDCount), reinterpret_cast<LPARAM>(rightEdges.data())))
        return FALSE;
    for (int i = 0; i < nIDCount; ++i)
        SetPaneText(i, texts[static_cast<std::size_t>(i)].c_str());
    return TRUE;
}

BOOL CStatusBar::SetPaneText(int nIndex, const char* lpszNewText, BOOL /*bUpdate*/)
{
    // A pane that already shows the text is left alone: no redraw.
    if (GetPaneText(nIndex) == (lpszNewText ? lpszNewText : ""))
        return TRUE;
    // The control redraws the changed pane itself (Wine at once); invalidating
    // it here as well would paint it a second time.
    return SendMessage(SB_SETTEXTA, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpszNewText)) ? TRUE
                                                                                                         : FALSE;
}

std::string CStatusBar::GetPaneText(int nIndex) const
{
    const LRESULT lengthAndType = SendMessage(SB_GETTEXTLENGTHA, static_cast<WPARAM>(nIndex));
    std::string text(LOWORD(lengthAndType) + 1u, '\0');
    SendMessage(SB_GETTEXTA, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(text.data()));
    text.resize(LOWORD(lengthAndType));
    return text;
}

int CStatusBar::GetPaneCount() const
{
    return static_cast<int>(SendMessage(SB_GETPARTS, 0, 0));
}
