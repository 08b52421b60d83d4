#include "ResourceData.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace {

std::string ManifestText()
{
    const ResourceData data = FindOwnResource(RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID);
    return data ? std::string(reinterpret_cast<const char*>(data.bytes), data.size) : std::string();
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

std::vector<BYTE> OwnVersionInfo()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    DWORD ignored = 0;
    std::vector<BYTE> info(GetFileVersionInfoSizeA(path, &ignored));
    if (info.empty() || !GetFileVersionInfoA(path, 0, static_cast<DWORD>(info.size()), info.data()))
        info.clear();
    return info;
}

std::string VersionString(std::vector<BYTE>& info, const char* name)
{
    char* value = nullptr;
    UINT length = 0;
    const std::string path = std::string("\\StringFileInfo\\040904E4\\") + name;
    if (!VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
        return "<missing>";
    return value;
}

} // namespace

TEST(Manifest, AsksForCommonControls6WithoutElevation)
{
    const std::string manifest = ManifestText();
    ASSERT_FALSE(manifest.empty());
    EXPECT_TRUE(Contains(manifest, R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")"));
    EXPECT_TRUE(Contains(manifest, R"(publicKeyToken="6595b64144ccf1df")"));
    EXPECT_TRUE(Contains(manifest, R"(<requestedExecutionLevel level="asInvoker" uiAccess="false"/>)"));
    EXPECT_TRUE(Contains(manifest, ">true</dpiAware>"));
    for (const char* system : {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                               "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
        EXPECT_TRUE(Contains(manifest, system)) << system;
}

// The loader read the manifest: comctl32 comes from the side-by-side store
// as version 6, not from the system folder as version 5.
TEST(Manifest, TakesEffect)
{
    const HMODULE controls = LoadLibraryA("comctl32.dll");
    ASSERT_NE(controls, nullptr);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(controls, path, MAX_PATH);
    FreeLibrary(controls);
    std::string lower(path);
    for (char& c : lower)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(Contains(lower, "\\winsxs\\")) << path;
    EXPECT_TRUE(Contains(lower, "common-controls_6595b64144ccf1df_6.")) << path;
}

TEST(VersionInfo, NamesTheProgramInUsEnglish)
{
    std::vector<BYTE> info = OwnVersionInfo();
    ASSERT_FALSE(info.empty());

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileType, DWORD{VFT_APP});

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1252);

    EXPECT_EQ(VersionString(info, "OriginalFilename"), "Quorvane.exe");
    EXPECT_EQ(VersionString(info, "FileVersion"), "1.0.0.0");
    for (const char* name : {"CompanyName", "ProductName", "FileDescription"})
        EXPECT_TRUE(Contains(VersionString(info, name), "Quorvane")) << name;
}
