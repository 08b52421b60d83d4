#pragma once
// An edit control that holds its text in UTF-16.
//
// A dialog made from an ANSI template creates its edit controls as ANSI
// windows, which keep their text in the system's code page: a character that
// code page lacks is lost as it is typed. Attach() puts a Unicode edit in
// the template's control's place: the same identifier, styles, position,
// font and place in the tab order.

#include "Wnd.h"

#include <string>

class CEdit : public CWnd {
    DECLARE_DYNAMIC(CEdit)
public:
    // Replaces the dialog's control `id` by a Unicode edit; false where it
    // could not be made (the template's control then stays).
    bool AttachUnicode(HWND dialog, int id);
    std::wstring GetText() const;
    void SetText(const std::wstring& text) { ::SetWindowTextW(m_hWnd, text.c_str()); }
};
