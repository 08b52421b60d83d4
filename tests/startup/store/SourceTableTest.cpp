// The start-up sources of 32-bit and of 64-bit Windows.

#include "pages/startup/StartupSources.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <vector>

namespace {
struct Expected {
    std::string location;
    bool switchable;
    HKEY hive;
    REGSAM view;
    std::string keyPath;
    std::string approvedKeyPath;
    REGSAM approvedView;
    int folder = 0;
    int dataFolder = 0;
};

TEST(StartupSourceTable, EverySourceInListingOrderWithBothMachineViewsOnlyOn64BitWindows)
{
    const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const std::string once = run + "Once";
    const std::string approved = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\";
    const REGSAM v64 = KEY_WOW64_64KEY;
    const REGSAM v32 = KEY_WOW64_32KEY;
    const struct {
        bool windows64;
        std::vector<Expected> sources;
    } tables[] = {
        {false,
         {{"User Start-Up", true, HKEY_CURRENT_USER, 0, run, approved + "Run", 0},
          {"System Start-Up", true, HKEY_LOCAL_MACHINE, 0, run, approved + "Run", 0},
          {"User Start-Up Folder", true, HKEY_CURRENT_USER, 0, "", approved + "StartupFolder", 0, CSIDL_STARTUP,
           CSIDL_APPDATA},
          {"All Users Start-Up Folder", true, HKEY_LOCAL_MACHINE, 0, "", approved + "StartupFolder", 0,
           CSIDL_COMMON_STARTUP, CSIDL_COMMON_APPDATA},
          {"User Run-Once", false, HKEY_CURRENT_USER, 0, once, "", 0},
          {"System Run-Once", false, HKEY_LOCAL_MACHINE, 0, once, "", 0}}},
        {true,
         {{"User Start-Up", true, HKEY_CURRENT_USER, 0, run, approved + "Run", 0},
          {"System Start-Up", true, HKEY_LOCAL_MACHINE, v64, run, approved + "Run", v64},
          {"System Start-Up (32-bit)", true, HKEY_LOCAL_MACHINE, v32, run, approved + "Run32", v64},
          {"User Start-Up Folder", true, HKEY_CURRENT_USER, 0, "", approved + "StartupFolder", 0, CSIDL_STARTUP,
           CSIDL_APPDATA},
          {"All Users Start-Up Folder", true, HKEY_LOCAL_MACHINE, 0, "", approved + "StartupFolder", v64,
           CSIDL_COMMON_STARTUP, CSIDL_COMMON_APPDATA},
          {"User Run-Once", false, HKEY_CURRENT_USER, 0, once, "", 0},
          {"System Run-Once", false, HKEY_LOCAL_MACHINE, v64, once, "", 0},
          {"System Run-Once (32-bit)", false, HKEY_LOCAL_MACHINE, v32, once, "", 0}}},
    };
    for (const auto& table : tables) {
        SCOPED_TRACE(table.windows64 ? "64-bit Windows" : "32-bit Windows");
        const std::vector<StartupSource> sources = StartupSources(table.windows64);
        ASSERT_EQ(sources.size(), table.sources.size());
        for (std::size_t i = 0; i < sources.size(); ++i) {
            const Expected& expected = table.sources[i];
            EXPECT_EQ(sources[i].location, expected.location);
            EXPECT_EQ(IsSwitchable(sources[i]), expected.switchable) << expected.location;
            EXPECT_EQ(sources[i].hive, expected.hive) << expected.location;
            EXPECT_EQ(sources[i].view, expected.view) << expected.location;
            EXPECT_EQ(sources[i].keyPath ? sources[i].keyPath : "", expected.keyPath) << expected.location;
            EXPECT_EQ(sources[i].approvedKeyPath ? sources[i].approvedKeyPath : "", expected.approvedKeyPath)
                << expected.location;
            EXPECT_EQ(sources[i].approvedView, expected.approvedView) << expected.location;
            EXPECT_EQ(sources[i].folder, expected.folder) << expected.location;
            EXPECT_EQ(sources[i].dataFolder, expected.dataFolder) << expected.location;
        }
    }
}
} // namespace
