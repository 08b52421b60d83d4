#include "Edit.h"

IMPLEMENT_DYNAMIC(CEdit, CWnd)

std::wstring CEdit::GetText() const
{
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(m_hWnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(m_hWnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

HWND fw::CreateDialogControl(HWND dialog, const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle,
                             RECT place, int id, HWND after)
{
    ::MapDialogRect(dialog, &place);
    const HWND control = ::CreateWindowExW(
        exStyle, className, text, WS_CHILD | WS_VISIBLE | style, place.left, place.top, place.right - place.left,
        place.bottom - place.top, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(dialog, GWLP_HINSTANCE)), nullptr);
    if (!control)
        return nullptr;
    ::SendMessageW(control, WM_SETFONT, ::SendMessageW(dialog, WM_GETFONT, 0, 0), FALSE);
    if (after)
        ::SetWindowPos(control, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return control;
}
