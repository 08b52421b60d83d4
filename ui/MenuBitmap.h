#pragma once
// Icons as menu item bitmaps: a 32-bpp DIB of premultiplied BGRA pixels,
// which menus draw with its transparency (MIIM_BITMAP).

#include "framework/UniqueHandle.h"

#include <windows.h>

#include <cstdint>
#include <vector>

// The icon's pixels as a menu bitmap; none where the icon's bitmaps cannot be read.
fw::UniqueGdiObject MenuBitmapFromIcon(HICON icon);

// The system's small shield icon as a menu bitmap; none where there is none.
fw::UniqueGdiObject ShieldMenuBitmap();

// Turns an icon's colour pixels (0xAARRGGBB, top-down) into premultiplied
// ones. An icon without alpha takes its transparency from the AND mask read
// at the same size (black: opaque).
void PremultiplyIconPixels(std::vector<std::uint32_t>& color, const std::vector<std::uint32_t>& mask);
