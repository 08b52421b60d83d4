#include "resource.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// The text as it is stored, however long: LoadString with no buffer hands
// out the string in place, with its length.
std::string LoadStoredString(UINT id)
{
    const WCHAR* text = nullptr;
    const int length = LoadStringW(GetModuleHandleA(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text)
        return "<missing>";
    std::string narrow;
    for (int i = 0; i < length; ++i)
        narrow.push_back(text[i] < 0x80 ? static_cast<char>(text[i]) : '?');
    return narrow;
}

std::string LoadNarrowString(UINT id)
{
    char text[256] = {};
    const int length = LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    return std::string(text, static_cast<std::size_t>(length > 0 ? length : 0));
}

std::string MenuText(HMENU menu, UINT position)
{
    char text[64] = {};
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

MENUITEMINFOA MenuItem(HMENU menu, UINT position)
{
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU;
    GetMenuItemInfoA(menu, position, TRUE, &info);
    return info;
}

struct MenuOwner {
    HMENU menu;
    ~MenuOwner()
    {
        if (menu)
            DestroyMenu(menu);
    }
};

} // namespace

TEST(StringTable, EveryTextExactlyWithItsTrailingSpaces)
{
    struct ExpectedString {
        UINT id;
        std::string text;
        std::size_t length;
    };
    const ExpectedString strings[] = {
        {IDP_OLE_INIT_FAILED,
         "OLE initialization failed.  Make sure that the OLE libraries are the correct version.", 85},
        {IDP_SOCKETS_INIT_FAILED, "Windows sockets initialization failed.", 38},
        {IDR_MAINFRAME, "Quorvane", 8},
        {IDS_INDICATOR_PROCESSES, "Processes:" + std::string(12, ' '), 22},
        {IDS_INDICATOR_CPU, "CPU:" + std::string(14, ' '), 18},
        {IDS_INDICATOR_MEMORY, "Memory:" + std::string(72, ' '), 79},
        {AFX_IDS_APP_TITLE, "Quorvane", 8},
    };
    for (const ExpectedString& expected : strings) {
        SCOPED_TRACE("string " + std::to_string(expected.id));
        EXPECT_EQ(LoadStoredString(expected.id), expected.text);
        EXPECT_EQ(LoadStoredString(expected.id).size(), expected.length);
        EXPECT_EQ(LoadNarrowString(expected.id), expected.text);
    }
}

TEST(MainMenu, FilePopupHoldsUpdateSpeedSeparatorAndExit)
{
    const MenuOwner bar{LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))};
    ASSERT_NE(bar.menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(bar.menu), 1);
    EXPECT_EQ(MenuText(bar.menu, 0), "&File");

    const HMENU file = GetSubMenu(bar.menu, 0);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(GetMenuItemCount(file), 3);
    EXPECT_EQ(MenuText(file, 0), "&Update Speed");
    EXPECT_NE(MenuItem(file, 0).hSubMenu, nullptr);
    EXPECT_TRUE(MenuItem(file, 1).fType & MFT_SEPARATOR);
    EXPECT_EQ(MenuText(file, 2), "E&xit");
    EXPECT_EQ(MenuItem(file, 2).wID, UINT{ID_FILE_EXIT});
    EXPECT_EQ(MenuItem(file, 2).hSubMenu, nullptr);
}

// A position in the submenu is a speed: the program checks items by position.
TEST(MainMenu, UpdateSpeedItemsInOrderWithoutCheckMarks)
{
    const MenuOwner bar{LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))};
    ASSERT_NE(bar.menu, nullptr);
    const HMENU speed = GetSubMenu(GetSubMenu(bar.menu, 0), 0);
    ASSERT_NE(speed, nullptr);

    struct ExpectedItem {
        UINT id;
        const char* text;
    };
    const ExpectedItem items[] = {
        {ID_UPDATESPEED_VERYFAST, "&Very Fast"}, {ID_UPDATESPEED_FAST, "&Fast"},
        {ID_UPDATESPEED_NORMAL, "&Normal"},      {ID_UPDATESPEED_SLOW, "&Slow"},
        {ID_UPDATESPEED_VERYSLOW, "Ver&y Slow"}, {ID_UPDATESPEED_IDLE, "&Idle"},
    };
    ASSERT_EQ(GetMenuItemCount(speed), 6);
    for (UINT position = 0; position < 6; ++position) {
        SCOPED_TRACE("position " + std::to_string(position));
        const MENUITEMINFOA item = MenuItem(speed, position);
        EXPECT_EQ(item.wID, items[position].id);
        EXPECT_EQ(MenuText(speed, position), items[position].text);
        EXPECT_EQ(item.fType, UINT{MFT_STRING});
        EXPECT_EQ(item.fState & (MFS_CHECKED | MFS_DISABLED | MFS_DEFAULT), 0u);
        EXPECT_EQ(item.hSubMenu, nullptr);
    }
}
