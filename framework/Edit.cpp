#include "Edit.h"

IMPLEMENT_DYNAMIC(CEdit, CWnd)

bool CEdit::AttachUnicode(HWND dialog, int id)
{
    const HWND old = ::GetDlgItem(dialog, id);
    if (!old)
        return false;
    RECT place{};
    ::GetWindowRect(old, &place);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(old, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrW(old, GWL_EXSTYLE));
    const HWND edit = ::CreateWindowExW(exStyle, L"EDIT", L"", style, place.left, place.top,
                                        place.right - place.left, place.bottom - place.top, dialog,
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(dialog, GWLP_HINSTANCE)),
                                        nullptr);
    if (!edit)
        return false;
    ::SendMessageW(edit, WM_SETFONT, ::SendMessageW(old, WM_GETFONT, 0, 0), FALSE);
    // Right after the template's control in the z-order, which is the tab order.
    ::SetWindowPos(edit, old, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::DestroyWindow(old);
    m_hWnd = edit;
    return true;
}

std::wstring CEdit::GetText() const
{
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(m_hWnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(m_hWnd, text.data(), static_cast<int>(text.size()))));
    return text;
}
