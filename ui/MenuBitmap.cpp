#include "ui/MenuBitmap.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>

namespace {

// A bitmap of 32 bpp, top-down.
BITMAPINFO TopDown32(int width, int height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// A bitmap's pixels at 32 bpp, top-down; empty where it cannot be read.
std::vector<std::uint32_t> Pixels32(HDC dc, HBITMAP bitmap, int width, int height)
{
    BITMAPINFO info = TopDown32(width, height);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    if (::GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS) != height)
        pixels.clear();
    return pixels;
}

} // namespace

void PremultiplyIconPixels(std::vector<std::uint32_t>& color, const std::vector<std::uint32_t>& mask)
{
    const bool hasAlpha = std::any_of(color.begin(), color.end(), [](std::uint32_t p) { return (p >> 24) != 0; });
    for (std::size_t i = 0; i < color.size(); ++i) {
        std::uint32_t alpha = color[i] >> 24;
        if (!hasAlpha)
            alpha = i < mask.size() && (mask[i] & 0x00FFFFFF) == 0 ? 255 : 0;
        auto scaled = [&](int shift) { return (((color[i] >> shift) & 0xFF) * alpha + 127) / 255 << shift; };
        color[i] = alpha << 24 | scaled(16) | scaled(8) | scaled(0);
    }
}

fw::UniqueGdiObject MenuBitmapFromIcon(HICON icon)
{
    ICONINFO parts{};
    if (!icon || !::GetIconInfo(icon, &parts))
        return {};
    const fw::UniqueGdiObject colorBitmap(parts.hbmColor);
    const fw::UniqueGdiObject maskBitmap(parts.hbmMask);
    BITMAP size{};
    // A monochrome icon has no colour bitmap: no menu bitmap for it.
    if (!parts.hbmColor || !::GetObjectW(parts.hbmColor, sizeof(size), &size) || size.bmWidth <= 0 ||
        size.bmHeight <= 0)
        return {};
    const int width = size.bmWidth;
    const int height = size.bmHeight;

    const HDC screen = ::GetDC(nullptr);
    if (!screen)
        return {};
    std::vector<std::uint32_t> color = Pixels32(screen, parts.hbmColor, width, height);
    const std::vector<std::uint32_t> mask =
        parts.hbmMask ? Pixels32(screen, parts.hbmMask, width, height) : std::vector<std::uint32_t>();
    fw::UniqueGdiObject bitmap;
    if (!color.empty()) {
        PremultiplyIconPixels(color, mask);
        const BITMAPINFO info = TopDown32(width, height);
        void* bits = nullptr;
        bitmap.Reset(::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (bitmap && bits)
            std::memcpy(bits, color.data(), color.size() * sizeof(color[0]));
        else
            bitmap.Reset();
    }
    ::ReleaseDC(nullptr, screen);
    return bitmap;
}

fw::UniqueGdiObject ShieldMenuBitmap()
{
    SHSTOCKICONINFO stock{};
    stock.cbSize = sizeof(stock);
    if (FAILED(::SHGetStockIconInfo(SIID_SHIELD, SHGSI_ICON | SHGSI_SMALLICON, &stock)) || !stock.hIcon)
        return {};
    fw::UniqueGdiObject bitmap = MenuBitmapFromIcon(stock.hIcon);
    ::DestroyIcon(stock.hIcon);
    return bitmap;
}
