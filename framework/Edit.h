#pragma once
// An edit control that holds its text in UTF-16.
//
// A dialog made from an ANSI template creates its edit controls as ANSI
// windows, which keep their text in the system's code page: a character that
// code page lacks would be lost as it is typed. This one is made as a Unicode
// window (fw::CreateDialogControl).

#include "Wnd.h"

#include <string>

class CEdit : public CWnd {
    DECLARE_DYNAMIC(CEdit)
public:
    std::wstring GetText() const;
    void SetText(const std::wstring& text) { ::SetWindowTextW(m_hWnd, text.c_str()); }
};

namespace fw {
// Makes a control of `dialog` as its template would, but as a Unicode window
// and when asked: at `place` in dialog units, in the dialog's font, after
// `after` in the tab order. Null where it could not be made.
HWND CreateDialogControl(HWND dialog, const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle,
                         RECT place, int id, HWND after);
} // namespace fw
