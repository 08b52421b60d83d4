#pragma once
// A window and its C++ object. A "permanent" CWnd is attached to its window:
// the framework's window procedure finds the object through a per-thread
// handle map and hands it every message. A CWnd that only holds an HWND (the
// control wrappers) is a non-owning view of a window someone else owns.

#include "CmdTarget.h"

#include <string>

class CWnd : public CCmdTarget {
    DECLARE_DYNAMIC(CWnd)
public:
    CWnd() = default;
    ~CWnd() override;

    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    // The object attached to a window, or null.
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Creates a window whose messages reach this object from the first one on.
    BOOL CreateEx(DWORD dwExStyle, const char* lpszClassName, const char* lpszWindowName, DWORD dwStyle,
                  int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu,
                  void* lpParam = nullptr);
    // Attaches this object to an existing window by replacing its procedure.
    BOOL SubclassWindow(HWND hWnd);
    BOOL DestroyWindow();

    // Called by the message loop for the target window and its ancestors
    // before the message is dispatched; TRUE when the message was consumed.
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }

    void SetWindowText(const char* lpszString) { ::SetWindowTextA(m_hWnd, lpszString); }
    std::string GetWindowText() const;
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    void GetWindowRect(RECT* lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
    void GetClientRect(RECT* lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
    BOOL SetWindowPos(HWND hWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
    {
        return ::SetWindowPos(m_hWnd, hWndInsertAfter, x, y, cx, cy, nFlags);
    }
    HWND GetDlgItem(int nID) const { return ::GetDlgItem(m_hWnd, nID); }
    HMENU GetMenu() const { return ::GetMenu(m_hWnd); }
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer)
    {
        return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
    }
    BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }
    // A message box owned by this window, captioned with the application's
    // title unless a caption is given.
    int MessageBox(const char* lpszText, const char* lpszCaption = nullptr, UINT nType = MB_OK);

protected:
    // Default processing of the message being handled.
    LRESULT Default();
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the window is gone; an object that owns itself deletes itself here.
    virtual void PostNcDestroy() {}
    // WM_COMMAND goes to OnCommand, everything else to the message map.
    virtual bool OnWndMsg(const fw::Message& message, LRESULT& result);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // Parts the object from its window, which lives on with its own procedure.
    void Detach();

private:
    static LRESULT CALLBACK StdWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    void AttachPermanent(HWND hWnd, WNDPROC superProc);

    WNDPROC m_pfnSuper = nullptr; // the procedure of the window before it was attached

    friend const char* AfxRegisterWndClass(UINT, HCURSOR, HBRUSH, HICON);
};

// Registers (once) a window class that the framework's window procedure serves
// and returns its name.
const char* AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor = nullptr, HBRUSH hbrBackground = nullptr,
                                HICON hIcon = nullptr);
