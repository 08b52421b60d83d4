#include "app/Elevation.h"
#include "ui/MenuBitmap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

TEST(ArgumentsAfterProgram, AreTheRestOfTheCommandLineExactlyAsGiven)
{
    const struct {
        const wchar_t* commandLine;
        const wchar_t* arguments;
    } cases[] = {
        {L"C:\\Tools\\Quorvane64.exe", L""},
        {L"\"C:\\Program Files\\Quorvane\\Quorvane64.exe\"", L""},
        {L"\"C:\\Program Files\\Quorvane\\Quorvane64.exe\"  /a \"b c\"  ", L"/a \"b c\"  "},
        {L"Quorvane64.exe\t-x \"C:\\some folder\\\"", L"-x \"C:\\some folder\\\""},
        // A quoted name ends at its closing quote, the arguments may follow at once.
        {L"\"C:\\a b\\q.exe\"/x", L"/x"},
        {L"\"C:\\unclosed quote", L""},
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ArgumentsAfterProgram(c.commandLine), c.arguments) << c.commandLine;
    EXPECT_EQ(ArgumentsAfterProgram(nullptr), L"");
}

TEST(PremultiplyIconPixels, ScalesByEachPixelsAlphaOrTakesTransparencyFromTheMask)
{
    const struct {
        const char* what;
        std::vector<std::uint32_t> color;
        std::vector<std::uint32_t> mask;
        std::vector<std::uint32_t> expected;
    } cases[] = {
        {"alpha of its own, the mask ignored",
         {0xFFFF8000, 0x80FF8000, 0x00FFFFFF},
         {0x00FFFFFF, 0x00FFFFFF, 0x00000000},
         {0xFFFF8000, 0x80804000, 0x00000000}},
        {"no alpha: black in the mask is opaque, white transparent",
         {0x00FF8000, 0x00FF8000},
         {0x00000000, 0x00FFFFFF},
         {0xFFFF8000, 0x00000000}},
        {"no alpha and no mask: transparent", {0x00123456}, {}, {0x00000000}},
    };
    for (auto c : cases) {
        PremultiplyIconPixels(c.color, c.mask);
        EXPECT_EQ(c.color, c.expected) << c.what;
    }
}

TEST(MenuBitmapFromIcon, IsA32BppDibOfPremultipliedPixels)
{
    const fw::UniqueGdiObject bitmap = MenuBitmapFromIcon(::LoadIconA(nullptr, IDI_WARNING));
    ASSERT_TRUE(bitmap);
    DIBSECTION dib{};
    ASSERT_EQ(::GetObjectW(bitmap.Get(), sizeof(dib), &dib), static_cast<int>(sizeof(dib)));
    ASSERT_EQ(dib.dsBm.bmBitsPixel, 32);
    const auto* pixels = static_cast<const std::uint32_t*>(dib.dsBm.bmBits);
    bool anyOpaque = false;
    bool anyTransparent = false;
    for (int i = 0; i < dib.dsBm.bmWidth * dib.dsBm.bmHeight; ++i) {
        const std::uint32_t alpha = pixels[i] >> 24;
        anyOpaque = anyOpaque || alpha == 255;
        anyTransparent = anyTransparent || alpha == 0;
        for (const int shift : {16, 8, 0})
            ASSERT_LE((pixels[i] >> shift) & 0xFF, alpha) << "pixel " << i << " is not premultiplied";
    }
    EXPECT_TRUE(anyOpaque && anyTransparent) << "a triangle on a transparent ground";
    EXPECT_FALSE(MenuBitmapFromIcon(nullptr));
}
