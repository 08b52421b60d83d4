#include "ui/ListColumns.h"

#include "framework/TextWidth.h"

#include <algorithm>

namespace {

constexpr int kDefaultDpi = 96;
// The room a list leaves around a row's text, at 96 DPI: the list itself
// allows this much when it fits a column to its rows.
constexpr int kRowTextPadding = 12;

int ScreenDpi()
{
    const HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : kDefaultDpi;
    if (screen)
        ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDefaultDpi;
}

// The header draws a heading between two margins of its own.
int HeadingWidth(HWND header, const char* heading)
{
    const int margin = static_cast<int>(::SendMessageA(header, HDM_GETBITMAPMARGIN, 0, 0));
    return fw::TextWidth(header, heading) + 2 * margin;
}

} // namespace

void InsertListColumns(CListCtrl& list, const std::vector<ListColumn>& columns)
{
    const int dpi = ScreenDpi();
    const int rowTextPadding = ::MulDiv(kRowTextPadding, dpi, kDefaultDpi);
    int index = 0;
    for (const ListColumn& column : columns) {
        int width = ::MulDiv(column.width, dpi, kDefaultDpi);
        list.InsertColumn(index, column.heading, column.format, width);
        // The header exists once the list has a column.
        width = std::max(width, HeadingWidth(list.GetHeaderWindow(), column.heading));
        if (!column.widestTexts.empty())
            width = std::max(width, fw::WidestText(list.m_hWnd, column.widestTexts) + rowTextPadding);
        if (width > list.GetColumnWidth(index))
            list.SetColumnWidth(index, width);
        ++index;
    }
}
