#include "Wnd.h"

#include "MessageBox.h"
#include "WinApp.h"

#include <cstdio>
#include <unordered_map>
#include <unordered_set>
#include <utility>

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

namespace {

// Windows and objects live on the thread that created them.
std::unordered_map<HWND, CWnd*>& PermanentMap()
{
    thread_local std::unordered_map<HWND, CWnd*> map;
    return map;
}

// The object whose window CreateEx is creating: the first message of the new
// window attaches it.
thread_local CWnd* t_pWndInit = nullptr;

// The message each nesting level of the window procedure is handling, for Default().
struct CurrentMessage {
    HWND hWnd;
    fw::Message message;
};
thread_local const CurrentMessage* t_pCurrentMessage = nullptr;

} // namespace

CWnd::~CWnd()
{
    // A window that outlives its object must not lead the procedure to it.
    Detach();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    const auto& map = PermanentMap();
    const auto it = map.find(hWnd);
    return it == map.end() ? nullptr : it->second;
}

void CWnd::AttachPermanent(HWND hWnd, WNDPROC superProc)
{
    m_hWnd = hWnd;
    m_pfnSuper = superProc;
    PermanentMap()[hWnd] = this;
}

void CWnd::Detach()
{
    if (!m_hWnd || FromHandlePermanent(m_hWnd) != this)
        return;
    PermanentMap().erase(m_hWnd);
    // Give a subclassed window its own procedure back.
    if (m_pfnSuper && reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC)) == &StdWndProc
        && m_pfnSuper != &::DefWindowProcA)
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, const char* lpszClassName, const char* lpszWindowName, DWORD dwStyle,
                    int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, void* lpParam)
{
    t_pWndInit = this;
    HWND hWnd = ::CreateWindowExA(dwExStyle, lpszClassName, lpszWindowName, dwStyle, x, y, nWidth, nHeight,
                                  hWndParent, nIDorHMenu, AfxGetInstanceHandle(), lpParam);
    if (t_pWndInit == this) {
        // The window never reached the framework's procedure.
        t_pWndInit = nullptr;
        if (!hWnd) {
            PostNcDestroy();
            return FALSE;
        }
        return SubclassWindow(hWnd);
    }
    // When creation failed after the window was attached, WM_NCDESTROY has
    // already run PostNcDestroy, which may have deleted this object.
    return hWnd != nullptr;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!hWnd || m_hWnd || FromHandlePermanent(hWnd))
        return FALSE;
    const LONG_PTR previous =
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&StdWndProc));
    if (!previous)
        return FALSE;
    AttachPermanent(hWnd, reinterpret_cast<WNDPROC>(previous));
    return TRUE;
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

std::string CWnd::GetWindowText() const
{
    const int length = ::GetWindowTextLengthA(m_hWnd);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
    const int copied = ::GetWindowTextA(m_hWnd, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

int CWnd::MessageBox(const char* lpszText, const char* lpszCaption, UINT nType)
{
    return fw::ShowMessageBox(m_hWnd, lpszText, lpszCaption ? lpszCaption : AfxGetAppName(), nType);
}

LRESULT CWnd::Default()
{
    if (!t_pCurrentMessage || t_pCurrentMessage->hWnd != m_hWnd)
        return 0;
    const fw::Message& m = t_pCurrentMessage->message;
    return DefWindowProc(m.message, m.wParam, m.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

bool CWnd::OnWndMsg(const fw::Message& message, LRESULT& result)
{
    if (message.message == WM_COMMAND) {
        if (!OnCommand(message.wParam, message.lParam))
            return false;
        result = 0;
        return true;
    }
    return ProcessWindowMessage(message, result);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    // Menus and accelerators send no control handle; both are plain commands.
    const int code = lParam ? HIWORD(wParam) : CN_COMMAND;
    return OnCmdMsg(LOWORD(wParam), code, nullptr, nullptr);
}

LRESULT CALLBACK CWnd::StdWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = FromHandlePermanent(hWnd);
    if (!pWnd && t_pWndInit) {
        pWnd = std::exchange(t_pWndInit, nullptr);
        pWnd->AttachPermanent(hWnd, &::DefWindowProcA);
    }
    if (!pWnd)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    return pWnd->WindowProc(message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const HWND hWnd = m_hWnd;
    const CurrentMessage current{hWnd, {message, wParam, lParam}};
    const CurrentMessage* outer = std::exchange(t_pCurrentMessage, &current);

    LRESULT result = 0;
    if (!OnWndMsg(current.message, result))
        result = DefWindowProc(message, wParam, lParam);

    t_pCurrentMessage = outer;

    if (message == WM_NCDESTROY) {
        CWinApp* pApp = AfxGetApp();
        if (pApp && pApp->m_pMainWnd == this) {
            pApp->m_pMainWnd = nullptr;
            ::PostQuitMessage(0);
        }
        Detach();
        PostNcDestroy(); // may delete this object: nothing may follow
    }
    return result;
}

const char* AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon)
{
    // Node-based storage keeps each returned name valid for the process's life.
    static std::unordered_set<std::string> names;

    const HINSTANCE hInstance = AfxGetInstanceHandle();
    char name[96];
    std::snprintf(name, sizeof(name), "Fw:%p:%x:%p:%p:%p", static_cast<void*>(hInstance), nClassStyle,
                  static_cast<void*>(hCursor), static_cast<void*>(hbrBackground), static_cast<void*>(hIcon));

    WNDCLASSA existing{};
    if (!::GetClassInfoA(hInstance, name, &existing)) {
        WNDCLASSA wc{};
        wc.style = nClassStyle;
        wc.lpfnWndProc = &CWnd::StdWndProc;
        wc.hInstance = hInstance;
        wc.hIcon = hIcon;
        wc.hCursor = hCursor;
        wc.hbrBackground = hbrBackground;
        wc.lpszClassName = name;
        if (!::RegisterClassA(&wc))
            return nullptr;
    }
    return names.insert(name).first->c_str();
}
