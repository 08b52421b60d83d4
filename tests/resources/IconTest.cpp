#include "ResourceData.h"
#include "UniqueHandle.h"
#include "resource.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// One image of an icon group, as the group resource lists it (GRPICONDIRENTRY).
struct GroupEntry {
    int size;
    WORD bitCount;
    WORD imageId;
};

std::vector<GroupEntry> ReadIconGroup(const ResourceData& group)
{
    const std::size_t headerSize = 6, entrySize = 14;
    std::vector<GroupEntry> entries;
    if (group.size < headerSize)
        return entries;
    WORD count = 0;
    std::memcpy(&count, group.bytes + 4, sizeof count);
    for (WORD i = 0; i < count && headerSize + (i + 1u) * entrySize <= group.size; ++i) {
        const BYTE* entry = group.bytes + headerSize + i * entrySize;
        GroupEntry read = {entry[0] == 0 ? 256 : entry[0], 0, 0};
        std::memcpy(&read.bitCount, entry + 6, sizeof read.bitCount);
        std::memcpy(&read.imageId, entry + 12, sizeof read.imageId);
        entries.push_back(read);
    }
    return entries;
}

struct IconOwner {
    HICON icon;
    ~IconOwner()
    {
        if (icon)
            DestroyIcon(icon);
    }
};

SIZE IconSize(HICON icon)
{
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info))
        return {0, 0};
    const fw::UniqueGdiObject colour(info.hbmColor), mask(info.hbmMask);
    BITMAP bitmap = {};
    GetObjectA(colour ? colour.Get() : mask.Get(), sizeof bitmap, &bitmap);
    return {bitmap.bmWidth, colour ? bitmap.bmHeight : bitmap.bmHeight / 2};
}

// Whether a 32-bit image really uses its alpha channel: opaque and partly
// clear pixels both occur (smooth edges, not a one-bit mask).
bool HasSmoothAlpha(const ResourceData& image)
{
    BITMAPINFOHEADER header = {};
    if (image.size < sizeof header)
        return false;
    std::memcpy(&header, image.bytes, sizeof header);
    const std::size_t pixels = static_cast<std::size_t>(header.biWidth) * header.biWidth;
    if (header.biBitCount != 32 || header.biSize + pixels * 4 > image.size)
        return false;
    bool opaque = false, partial = false;
    for (std::size_t i = 0; i < pixels; ++i) {
        const BYTE alpha = image.bytes[header.biSize + i * 4 + 3];
        opaque |= alpha == 255;
        partial |= alpha != 0 && alpha != 255;
    }
    return opaque && partial;
}

bool IsRgbaPng(const ResourceData& image)
{
    static const BYTE signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    // The colour type follows the signature, the IHDR chunk head, width, height and bit depth.
    const std::size_t colourType = 8 + 8 + 8 + 1;
    return image.size > colourType && std::memcmp(image.bytes, signature, sizeof signature) == 0 &&
           image.bytes[colourType] == 6;
}

} // namespace

TEST(Icon, GroupHoldsFourSizesWithAlpha)
{
    const ResourceData group = FindOwnResource(RT_GROUP_ICON, MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_TRUE(group);
    const std::vector<GroupEntry> entries = ReadIconGroup(group);

    std::vector<int> sizes;
    for (const GroupEntry& entry : entries)
        sizes.push_back(entry.size);
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48, 256}));

    for (const GroupEntry& entry : entries) {
        SCOPED_TRACE(std::to_string(entry.size) + " px");
        EXPECT_EQ(entry.bitCount, 32);
        const ResourceData image = FindOwnResource(RT_ICON, MAKEINTRESOURCEA(entry.imageId));
        ASSERT_TRUE(image);
        // The large image is stored compressed, as PNG; the others as bitmaps.
        if (entry.size == 256)
            EXPECT_TRUE(IsRgbaPng(image));
        else
            EXPECT_TRUE(HasSmoothAlpha(image));

        // Asked for exactly this size, the system picks this image rather than scaling another.
        const int chosen = LookupIconIdFromDirectoryEx(const_cast<BYTE*>(group.bytes), TRUE, entry.size,
                                                       entry.size, LR_DEFAULTCOLOR);
        EXPECT_EQ(chosen, entry.imageId);
    }
}

TEST(Icon, LoadsAtSmallAndLargeSizes)
{
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    for (int size : {16, 32}) {
        SCOPED_TRACE(std::to_string(size) + " px");
        const IconOwner icon{static_cast<HICON>(
            LoadImageA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, size, size, LR_DEFAULTCOLOR))};
        ASSERT_NE(icon.icon, nullptr);
        const SIZE loaded = IconSize(icon.icon);
        EXPECT_EQ(loaded.cx, size);
        EXPECT_EQ(loaded.cy, size);
    }
    // The frame's big icon is loaded this way; shared icons are not destroyed.
    EXPECT_NE(LoadIconA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME)), nullptr);
}
