#include "FrameWnd.h"

#include "WinApp.h"

IMPLEMENT_DYNAMIC(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_SETFOCUS()
END_MESSAGE_MAP()

namespace {
bool IsControlBarId(int id)
{
    return id >= AFX_IDW_CONTROLBAR_FIRST && id <= AFX_IDW_CONTROLBAR_LAST;
}
} // namespace

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext*)
{
    const HINSTANCE hInstance = AfxGetResourceHandle();
    const std::string title = AfxLoadString(nIDResource);
    const HMENU hMenu = ::LoadMenuA(hInstance, MAKEINTRESOURCEA(nIDResource));
    m_hAccelTable = ::LoadAcceleratorsA(hInstance, MAKEINTRESOURCEA(nIDResource));

    CREATESTRUCTA cs{};
    cs.hInstance = hInstance;
    cs.hMenu = hMenu;
    cs.hwndParent = pParentWnd ? pParentWnd->m_hWnd : nullptr;
    cs.x = cs.y = cs.cx = cs.cy = CW_USEDEFAULT;
    cs.style = dwDefaultStyle;
    cs.lpszName = title.c_str();
    if (!PreCreateWindow(cs)) {
        if (hMenu)
            ::DestroyMenu(hMenu);
        PostNcDestroy();
        return FALSE;
    }
    if (!CreateEx(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy, cs.hwndParent,
                  cs.hMenu, cs.lpCreateParams)) {
        // The object is gone; only locals may be used from here.
        if (hMenu && ::IsMenu(hMenu))
            ::DestroyMenu(hMenu);
        return FALSE;
    }
    return TRUE;
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (!cs.lpszClass) {
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorA(nullptr, IDC_ARROW),
                                           ::GetSysColorBrush(COLOR_WINDOW));
        if (!cs.lpszClass)
            return FALSE;
    }
    cs.dwExStyle |= WS_EX_CLIENTEDGE;
    return TRUE;
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    CWinApp* pApp = AfxGetApp();
    return pApp && pApp->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg)
{
    if (m_hAccelTable && pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST)
        return ::TranslateAcceleratorA(m_hWnd, m_hAccelTable, pMsg);
    return FALSE;
}

void CFrameWnd::RecalcLayout()
{
    RECT client;
    GetClientRect(&client);
    const LPARAM size = MAKELPARAM(client.right, client.bottom);
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        // Status bars and their kin place themselves when told the parent's size.
        if (IsControlBarId(::GetDlgCtrlID(child)))
            ::SendMessageA(child, WM_SIZE, SIZE_RESTORED, size);
    }
}

int CFrameWnd::OnCreate(LPCREATESTRUCT)
{
    return 0;
}

void CFrameWnd::OnSize(UINT, int, int)
{
    RecalcLayout();
}

void CFrameWnd::OnSetFocus(HWND)
{
    // Keyboard focus belongs to the frame's content, not to the frame itself.
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!IsControlBarId(::GetDlgCtrlID(child)) && ::IsWindowVisible(child) && ::IsWindowEnabled(child)) {
            ::SetFocus(child);
            return;
        }
    }
}

void CFrameWnd::PostNcDestroy()
{
    delete this;
}
