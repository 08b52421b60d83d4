#pragma once
// A status bar whose panes are sized once from indicator strings: each pane
// is as wide as its string in the bar's font, and no pane stretches.

#include "FrameworkIds.h"
#include "UniqueHandle.h"
#include "Wnd.h"

#include <string>
#include <vector>

class CStatusBar : public CWnd {
    DECLARE_DYNAMIC(CStatusBar)
public:
    CStatusBar() = default;

    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
                UINT nID = AFX_IDW_STATUS_BAR);
    // Loads each string, sizes its pane and shows it; FALSE when a string is missing.
    BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);
    // Widens a pane, moving the later ones along, so that the text fits in it;
    // a pane that is wide enough already stays as it is.
    BOOL WidenPaneToFit(int nIndex, const char* lpszText);
    // Sets a pane's text; the pane is redrawn only when the text changes.
    BOOL SetPaneText(int nIndex, const char* lpszNewText, BOOL bUpdate = TRUE);
    std::string GetPaneText(int nIndex) const;
    int GetPaneCount() const;

private:
    struct PaneBorders {
        int horizontal; // on each side of a pane's text
        int between;    // between two panes
    };
    PaneBorders Borders() const;
    // The width of a pane whose text is the given one.
    int PaneWidthFor(const std::string& text, const PaneBorders& borders) const;

    fw::UniqueGdiObject m_font;
};
