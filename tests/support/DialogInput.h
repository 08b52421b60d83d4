#pragma once
// What a user's clicks on a dialog's controls send to the dialog, for tests
// and benchmarks that drive a page without the mouse.

#include <windows.h>

// A click on a list view's column header: LVN_COLUMNCLICK from the list.
void ClickListHeader(HWND dialog, int listId, int column);
// A click on a push button: BN_CLICKED from the button.
void ClickButton(HWND dialog, int buttonId);
