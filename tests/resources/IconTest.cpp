#include "ResourceData.h"
#include "resource.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

TEST(Icon, HoldsFourSizesAndLoadsAtTheSmallAndLargeOnes)
{
    // The icon group: a 6-byte header, then 14-byte entries (width, ..., bit count at 6).
    const ResourceData group = FindOwnResource(RT_GROUP_ICON, MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_TRUE(group);
    ASSERT_GE(group.size, 6u);
    WORD count = 0;
    std::memcpy(&count, group.bytes + 4, sizeof count);
    ASSERT_GE(group.size, 6u + count * 14u);
    std::vector<int> sizes;
    for (WORD i = 0; i < count; ++i) {
        const BYTE* entry = group.bytes + 6 + i * 14;
        sizes.push_back(entry[0] == 0 ? 256 : entry[0]);
        WORD bits = 0;
        std::memcpy(&bits, entry + 6, sizeof bits);
        EXPECT_EQ(bits, 32) << sizes.back() << " px";
    }
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48, 256}));

    const HINSTANCE instance = GetModuleHandleA(nullptr);
    for (const int size : {16, 32}) {
        const HICON icon = static_cast<HICON>(
            LoadImageA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        EXPECT_NE(icon, nullptr) << size << " px";
        if (icon)
            DestroyIcon(icon);
    }
    EXPECT_NE(LoadIconA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME)), nullptr);
}
