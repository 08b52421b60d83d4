// "Search Google" on the start-up page: the lowest selected row's program,
// searched in the registered browser.

#include "startup/page/StartupPageFixture.h"

#include "pages/startup/StartupStore.h"
#include "pages/startup/WebSearch.h"
#include "res/resource.h"
#include "startup/store/StoredValue.h"
#include "support/FakeBrowser.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

const std::string kPrefix = "www.google.com/search?q=";

using StartupSearchTest = StartupPageFixture;

TEST_F(StartupSearchTest, SearchesForTheLowestSelectedRowsProgramFile)
{
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "first", Sz("\"C:\\Program Files\\Sync Tool\\sync & go.exe\" /background"));
    WriteStored(HKEY_CURRENT_USER, kDisabledKeyPath, "second", Sz("C:\\tools\\other.exe -s"));
    StartApp();
    ClassesRootSandbox classes;
    RegisterBrowserCommand("\"C:\\Browser\\browser.exe\" -- \"%1\"");
    std::vector<std::pair<std::string, std::string>> started;
    SetShellStarter([&](const std::string& file, const std::string& parameters) {
        started.emplace_back(file, parameters);
        return std::intptr_t{42};
    });

    Select(1, true);
    Select(0, true);
    Press(IDC_SEARCH);
    SetShellStarter({});

    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].first, "C:\\Browser\\browser.exe");
    EXPECT_EQ(started[0].second, kPrefix + "sync%20%26%20go.exe");
}

TEST_F(StartupSearchTest, PressingSearchStartsTheRegisteredBrowserOnTheAddress)
{
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "tool", Sz("\"C:\\Program Files\\Tool\\tool.exe\" /background"));
    StartApp();
    FakeBrowser browser;

    Select(0, true);
    Press(IDC_SEARCH);
    const std::optional<std::string> arguments = browser.WaitForArguments(15000);
    ASSERT_TRUE(arguments.has_value()) << "the fake browser did not record its start within 15 s";
    EXPECT_EQ(*arguments, kPrefix + "tool.exe");
}

} // namespace
