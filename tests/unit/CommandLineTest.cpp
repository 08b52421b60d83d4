// The program's arguments read: what each form asks for, and the reason
// given for every form that asks for nothing it can do.

#include "app/CommandLine.h"
#include "app/WindowlessRun.h"
#include "pages/startup/store/TaskScheduler.h"
#include "support/ScratchFolder.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::wstring kSeeUsage = L" Quorvane /? shows the usage.";

TEST(CommandLineTest, ReadsEachFormInAnyOrderAndRefusesTheRestWithWhy)
{
    const struct {
        std::vector<std::wstring> arguments;
        std::wstring save, compare;
        bool all, usage;
        std::wstring error; // without the pointer to the usage
    } cases[] = {
        {{L"/save", L"C:\\list.csv"}, L"C:\\list.csv", L"", false, false, L""},
        {{L"-SAVE", L"список.json", L"/All"}, L"список.json", L"", true, false, L""},
        {{L"/all", L"/compare", L"base.csv", L"/save", L"-dash.csv"}, L"-dash.csv", L"base.csv", true, false, L""},
        {{L"/compare", L"C:\\a b\\base.csv"}, L"", L"C:\\a b\\base.csv", false, false, L""},
        {{L"/?"}, L"", L"", false, true, L""},
        {{L"/save", L"x.csv", L"-h"}, L"", L"", false, true, L""},
        {{L"/HELP", L"/bogus"}, L"", L"", false, true, L""},
        {{L"/save"}, L"", L"", false, false, L"The option /save needs a file name after it."},
        {{L"/save", L"/all"}, L"", L"", false, false, L"The option /save needs a file name after it."},
        {{L"/compare", L""}, L"", L"", false, false, L"The option /compare needs a file name after it."},
        {{L"/save", L"a.csv", L"/Save", L"b.csv"}, L"", L"", false, false, L"The option /Save is given twice."},
        {{L"/all", L"/save", L"a.csv", L"/all"}, L"", L"", false, false, L"The option /all is given twice."},
        {{L"/saveas", L"a.csv"}, L"", L"", false, false, L"The argument /saveas is not one Quorvane knows."},
        {{L"a.csv"}, L"", L"", false, false, L"The argument a.csv is not one Quorvane knows."},
        {{L""}, L"", L"", false, false, L"An empty argument is not one Quorvane knows."},
        {{L"/"}, L"", L"", false, false, L"The argument / is not one Quorvane knows."},
        {{L"/all"}, L"", L"", false, false, L"Nothing to do: give /save FILE, /compare SAVED, or both."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        const CommandLineRequest request = ParseCommandLine(c.arguments);
        EXPECT_EQ(request.error, c.error.empty() ? L"" : c.error + kSeeUsage);
        EXPECT_EQ(request.save, c.save);
        EXPECT_EQ(request.compare, c.compare);
        EXPECT_EQ(request.all, c.all);
        EXPECT_EQ(request.usage, c.usage);
    }
    // As a script quotes them: a name with spaces, an empty one.
    EXPECT_EQ(SplitArguments(L"/save \"C:\\a b\\список.csv\" \"\"  /all"),
              (std::vector<std::wstring>{L"/save", L"C:\\a b\\список.csv", L"", L"/all"}));
    EXPECT_EQ(SplitArguments(L""), std::vector<std::wstring>{});
}

// A place that does not answer would save as a machine without its entries
// and compare as if they were gone: nothing is saved, and the run fails.
TEST(WindowlessRunTest, SavesAndComparesNothingWhenAPlaceDoesNotAnswer)
{
    class Refusing final : public TaskScheduler {
        std::optional<std::vector<ScheduledTask>> Tasks() override { return std::nullopt; }
        bool SetEnabled(const std::wstring&, bool) override { return false; }
        std::optional<bool> IsEnabled(const std::wstring&) override { return std::nullopt; }
    } refusing;
    SetTaskSchedulerForTesting(&refusing);
    ::CoInitialize(nullptr);
    const ScratchFolder folder;
    CommandLineRequest request;
    request.save = folder.Path() + L"\list.csv";
    EXPECT_EQ(RunWithoutWindow(request), kExitFailed);
    EXPECT_TRUE(folder.Names().empty());
    ::CoUninitialize();
    SetTaskSchedulerForTesting(nullptr);
}

} // namespace
