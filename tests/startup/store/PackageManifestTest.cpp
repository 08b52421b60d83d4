// What a packaged app's manifest says of its start-up tasks, and what a
// broken or hostile one gives: nothing, at once.

#include "pages/startup/store/PackageManifest.h"
#include "support/ScratchFolder.h"
#include "support/WideText.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {
const char kManifest[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Package xmlns="http://schemas.microsoft.com/appx/manifest/foundation/windows10"
         xmlns:uap="http://schemas.microsoft.com/appx/manifest/uap/windows10"
         xmlns:uap5="http://schemas.microsoft.com/appx/manifest/uap/windows10/5">
  <Identity Name="Maker.Chat" Publisher="CN=Maker" Version="1.2.3.0"/>
  <Properties>
    <DisplayName>ms-resource:AppName</DisplayName>
    <PublisherDisplayName>Maker &amp; Sons</PublisherDisplayName>
    <Logo>logo.png</Logo>
  </Properties>
  <Applications>
    <Application Id="Chat" Executable="app\Chat.exe" EntryPoint="Windows.FullTrustApplication">
      <uap:VisualElements DisplayName="Chat" Description="x" BackgroundColor="transparent"/>
      <Extensions>
        <uap:Extension Category="windows.protocol"><uap:Protocol Name="chat"/></uap:Extension>
        <uap5:Extension Category="windows.startupTask" Executable="app\Background.exe" Parameters="/tray">
          <uap5:StartupTask TaskId="ChatTray" Enabled="true" DisplayName="Чат в трее"/>
        </uap5:Extension>
      </Extensions>
    </Application>
    <Application Id="Phone" Executable="phone\Phone.exe">
      <Extensions>
        <uap5:Extension Category="windows.startupTask">
          <uap5:StartupTask TaskId="PhoneStart" Enabled="false"/>
        </uap5:Extension>
      </Extensions>
    </Application>
  </Applications>
</Package>)";

std::optional<PackageManifest> Parse(const std::string& bytes)
{
    return ParsePackageManifest(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

// The text as UTF-16 with its byte-order mark, as some tools write manifests.
std::string Utf16WithMark(const std::string& utf8)
{
    const std::wstring wide = W(utf8);
    std::string bytes("\xff\xfe", 2);
    bytes.append(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
    return bytes;
}
} // namespace

TEST(PackageManifest, TellsEachStartupTaskWithItsProgramAndThePackagesNames)
{
    for (const std::string& bytes : {std::string(kManifest), Utf16WithMark(kManifest)}) {
        const std::optional<PackageManifest> manifest = Parse(bytes);
        ASSERT_TRUE(manifest);
        EXPECT_EQ(manifest->displayName, L"ms-resource:AppName");
        EXPECT_EQ(manifest->publisherDisplayName, L"Maker & Sons");
        ASSERT_EQ(manifest->startupTasks.size(), 2u);
        const StartupTaskDeclaration& tray = manifest->startupTasks[0];
        EXPECT_EQ(tray.taskId, L"ChatTray");
        EXPECT_EQ(U8(tray.displayName), "Чат в трее");
        EXPECT_TRUE(tray.enabled);
        EXPECT_EQ(tray.executable, L"app\\Background.exe") << "the extension's own program";
        EXPECT_EQ(tray.parameters, L"/tray");
        const StartupTaskDeclaration& phone = manifest->startupTasks[1];
        EXPECT_EQ(phone.taskId, L"PhoneStart");
        EXPECT_FALSE(phone.enabled);
        EXPECT_EQ(phone.executable, L"phone\\Phone.exe") << "else its application's";
        EXPECT_TRUE(phone.displayName.empty());
    }
    const std::optional<PackageManifest> none = Parse("<Package><Properties/></Package>");
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->startupTasks.empty());
}

TEST(PackageManifest, ABrokenOrHostileManifestIsNoneAtOnce)
{
    std::string deep;
    for (int i = 0; i < 200; ++i)
        deep += "<a>";
    for (int i = 0; i < 200; ++i)
        deep += "</a>";
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"a document type", "<!DOCTYPE Package SYSTEM \"http://example.invalid/x.dtd\"><Package/>"},
        {"an entity that expands a billion times",
         "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\">"
         "<!ENTITY lol2 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">"
         "<!ENTITY lol3 \"&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;\">"
         "<!ENTITY lol9 \"&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;\">]>"
         "<Package><Properties><DisplayName>&lol9;</DisplayName></Properties></Package>"},
        {"ten megabytes of text", "<Package><Properties><DisplayName>" + std::string(10 << 20, 'x')
                                      + "</DisplayName></Properties></Package>"},
        {"an element left open", "<Package><Applications><Application Id=\"a\" Executable=\"a.exe\">"},
        {"tags that do not match", "<Package></Applications>"},
        {"elements nested deeper than any manifest", deep},
        {"no XML at all", std::string("MZ\x90\0\3\0\0\0", 8)},
        {"nothing", ""},
    };
    for (const auto& c : cases) {
        const ULONGLONG start = ::GetTickCount64();
        EXPECT_FALSE(Parse(c.bytes)) << c.what;
        EXPECT_LT(::GetTickCount64() - start, 2000u) << c.what;
    }

    ScratchFolder scratch;
    EXPECT_TRUE(ReadPackageManifest(scratch.Write(L"AppxManifest.xml", kManifest)));
    EXPECT_FALSE(ReadPackageManifest(scratch.Write(L"large.xml", std::string(kLargestManifestBytes + 1, ' '))));
    EXPECT_FALSE(ReadPackageManifest(scratch.Path() + L"\\missing.xml"));
}
