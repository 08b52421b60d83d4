// "Search Google" on the start-up page: the lowest selected row's program,
// searched in the registered browser.

#include "startup/page/StartupPageFixture.h"

#include "pages/startup/store/StartupStore.h"
#include "pages/startup/search/WebSearch.h"
#include "res/resource.h"
#include "startup/store/StoredValue.h"
#include "support/FakeBrowser.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

using StartupSearchTest = StartupPageFixture;

TEST_F(StartupSearchTest, SearchesForTheLowestSelectedRowsProgramFile)
{
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "first", Sz("\"C:\\Program Files\\Sync Tool\\sync & go.exe\" /background"));
    WriteStored(HKEY_CURRENT_USER, kDisabledKeyPath, "second", Sz("C:\\tools\\other.exe -s"));
    StartApp();
    MachineClassesView classes;
    RegisterOpenCommand(L"http", L"\"C:\\Browser\\browser.exe\" -- \"%1\"");
    std::vector<std::wstring> started;
    SetSearchStarters({[&](const std::wstring&, const std::wstring& commandLine) {
                           started.push_back(commandLine);
                           return true;
                       },
                       {}});

    Select(1, true);
    Select(0, true);
    Press(IDC_SEARCH);
    SetSearchStarters({});

    EXPECT_EQ(started, std::vector<std::wstring>{L"\"C:\\Browser\\browser.exe\" -- "
                                                 L"\"https://www.google.com/search?q=sync%20%26%20go.exe\""});
}

TEST_F(StartupSearchTest, PressingSearchStartsTheRegisteredBrowserOnTheAddress)
{
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "tool", Sz("\"C:\\Program Files\\Tool\\tool.exe\" /background"));
    StartApp();
    MachineClassesView classes;
    FakeBrowser browser;
    RegisterOpenCommand(L"http", browser.Command(L"\"{path}\" -- \"%1\""));

    Select(0, true);
    Press(IDC_SEARCH);
    const std::optional<std::string> arguments = browser.WaitForArguments(15000);
    ASSERT_TRUE(arguments.has_value()) << "the fake browser did not record its start within 15 s";
    EXPECT_EQ(*arguments, "-- \"https://www.google.com/search?q=tool.exe\"");
}

} // namespace
