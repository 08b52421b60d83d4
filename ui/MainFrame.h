#pragma once
// The program's only top-level window: fixed size, the property sheet in its
// client area, a three-pane status bar refreshed every 500 ms.

#include "framework/Framework.h"
#include "framework/UniqueHandle.h"

class CMainSheet;

class CMainFrame : public CFrameWnd {
    DECLARE_DYNAMIC(CMainFrame)
public:
    CMainFrame() = default;
    ~CMainFrame() override;

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    virtual BOOL IsCreated() const;
    // Fits the frame around the sheet and the status bar and brings it to the front.
    void ResizeToSheet();
    void UpdateStatusBar();
    // Keeps File > Run as Administrator, with the shield where the system has
    // one, or removes it and its separator from the menu.
    void OfferRunAsAdministrator(bool offered);

    CStatusBar m_wndStatusBar;
    CMainSheet* m_pMainSheet = nullptr; // owned
    BOOL m_bCreated = FALSE;

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnPaint();
    void OnTimer(UINT_PTR nIDEvent);
    void OnSize(UINT nType, int cx, int cy);
    void OnDestroy();

    DECLARE_MESSAGE_MAP()

private:
    void FitToSheet(UINT extraFlags);

    // The menu item's shield; outlives the menu, which the window destroys.
    fw::UniqueGdiObject m_shieldBitmap;
};

constexpr UINT_PTR STATUS_TIMER_ID = 1;
