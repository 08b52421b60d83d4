#include "DialogInput.h"

#include <commctrl.h>

void ClickListHeader(HWND dialog, int listId, int column)
{
    NMLISTVIEW click{};
    click.hdr.hwndFrom = ::GetDlgItem(dialog, listId);
    click.hdr.idFrom = static_cast<UINT_PTR>(listId);
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = column;
    ::SendMessageA(dialog, WM_NOTIFY, static_cast<WPARAM>(listId), reinterpret_cast<LPARAM>(&click));
}

void ClickButton(HWND dialog, int buttonId)
{
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, buttonId)));
}
