#pragma once
// A top-level frame window: menu, accelerators and title from one resource
// id, control bars laid out along its client area, commands routed on to the
// application. The object deletes itself once its window is gone.

#include "FrameworkIds.h"
#include "Wnd.h"

struct CCreateContext;

class CFrameWnd : public CWnd {
    DECLARE_DYNAMIC(CFrameWnd)
public:
    CFrameWnd() = default;

    // Loads title, menu and accelerators of nIDResource and creates the
    // window. On failure the object has already deleted itself.
    virtual BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                           CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);
    virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);
    // The frame's own map first, then the application's.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Places the control bars (children with control-bar ids) along the client area.
    void RecalcLayout();

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnSize(UINT nType, int cx, int cy);
    void OnSetFocus(HWND hWndOld);
    void PostNcDestroy() override;

    HACCEL m_hAccelTable = nullptr;

    DECLARE_MESSAGE_MAP()
};
