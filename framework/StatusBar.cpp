#include "StatusBar.h"

#include "TextWidth.h"
#include "WinApp.h"

#include <commctrl.h>

IMPLEMENT_DYNAMIC(CStatusBar, CWnd)

namespace {

// Room beyond the measured text, for the pane's own insets.
constexpr int kPaneMargin = 6;

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

    const PaneBorders borders = Borders();
    std::vector<int> rightEdges;
    int right = 0;
    for (const std::string& text : texts) {
        right += PaneWidthFor(text, borders);
        rightEdges.push_back(right);
        right += borders.between;
    }
    if (!SendMessage(SB_SETPARTS, static_cast<WPARAM>(nIDCount), reinterpret_cast<LPARAM>(rightEdges.data())))
        return FALSE;
    for (int i = 0; i < nIDCount; ++i)
        SetPaneText(i, texts[static_cast<std::size_t>(i)].c_str());
    return TRUE;
}

BOOL CStatusBar::WidenPaneToFit(int nIndex, const char* lpszText)
{
    const int count = GetPaneCount();
    if (nIndex < 0 || nIndex >= count)
        return FALSE;
    std::vector<int> rightEdges(static_cast<std::size_t>(count));
    SendMessage(SB_GETPARTS, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(rightEdges.data()));
    const std::size_t pane = static_cast<std::size_t>(nIndex);
    const PaneBorders borders = Borders();
    const int left = pane == 0 ? 0 : rightEdges[pane - 1] + borders.between;
    const int missing = PaneWidthFor(lpszText ? lpszText : "", borders) - (rightEdges[pane] - left);
    if (missing <= 0)
        return TRUE;
    // This pane and every pane after it move right by what is missing.
    for (std::size_t i = pane; i < rightEdges.size(); ++i)
        rightEdges[i] += missing;
    return SendMessage(SB_SETPARTS, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(rightEdges.data())) ? TRUE
                                                                                                             : FALSE;
}

CStatusBar::PaneBorders CStatusBar::Borders() const
{
    int borders[3] = {};
    SendMessage(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    return {borders[0], borders[2]};
}

int CStatusBar::PaneWidthFor(const std::string& text, const PaneBorders& borders) const
{
    return fw::TextWidth(m_hWnd, text) + 2 * borders.horizontal + kPaneMargin;
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
