// Which rows the list shows, as the user chose: Windows' own entries hidden,
// one group of places, a text to find; and what the line under the list
// counts of them.

#include "pages/startup/page/RowView.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

TEST(RowView, GroupsFilterAndHiddenWindowsEntriesCombine)
{
    const std::vector<StartupSource> sources = StartupSources();
    std::size_t services = 0;
    while (sources.at(services).group != PlaceGroup::Services)
        ++services;
    auto entry = [](std::size_t source, const wchar_t* name, const wchar_t* command) {
        return StartupEntry{source, EntryPlace::Startup, StartupValue(name, command)};
    };
    StartupRowModel rows;
    rows.Merge({entry(0, L"Синхронизация", L"C:\\Sync\\sync.exe"), entry(0, L"Tray", L"C:\\Windows\\tray.exe"),
                entry(services, L"Spooler", L"C:\\Windows\\spoolsv.exe"), entry(0, L"Gone later", L"x.exe")},
               sources);
    FileDetails windows;
    windows.stamp.exists = true;
    windows.signature = {SignatureState::Verified, L"Microsoft Windows"};
    rows.SetDetails(1, L"C:\\Windows\\tray.exe", windows);
    rows.SetChangeTime(0, 134412459550000000); // 2026-12-08T23:25:55Z
    rows.Remove(3);
    rows.AddGone({L"Saved", L"Some Old Place", L"old.exe", L"", L""});

    const struct {
        const char* what;
        bool hide;
        std::optional<PlaceGroup> group;
        const wchar_t* filter;
        std::vector<std::size_t> shown;
        const wchar_t* count;
    } cases[] = {
        {"as at start", true, std::nullopt, L"", {0, 2, 4}, L"1 Windows entry hidden"},
        {"all", false, std::nullopt, L"", {0, 1, 2, 4}, L""},
        {"one group, a gone row in each: what it hides is counted", true, PlaceGroup::Services, L"", {2, 4}, L"2 of 4 shown; No Windows entries hidden"},
        {"a group with none", false, PlaceGroup::Office, L"", {4}, L"1 of 4 shown"},
        {"text of a command, in any case", false, std::nullopt, L"WINDOWS\\", {1, 2}, L"2 of 4 shown"},
        {"text of a name in another script", true, std::nullopt, L"синхр", {0}, L"1 of 4 shown; No Windows entries hidden"},
        {"text of a Location", false, std::nullopt, L"system services", {2}, L"1 of 4 shown"},
        {"text of a time", false, std::nullopt, L"2026-12-08t23", {0}, L"1 of 4 shown"},
        {"group and text", false, PlaceGroup::LogOn, L"exe", {0, 1, 4}, L"3 of 4 shown"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RowView view;
        view.HideWindowsEntries(c.hide);
        view.ShowGroup(c.group);
        view.SetFilter(c.filter);
        std::vector<std::size_t> shown;
        for (std::size_t id = 0; id < rows.Size(); ++id)
            if (view.Shown(rows, sources, id))
                shown.push_back(id);
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(view.CountText(rows, sources), c.count);
    }
    // A box the user changed keeps its row in sight, whatever is chosen.
    rows.SetChecked(1, false);
    RowView chosen;
    chosen.ShowGroup(PlaceGroup::Services);
    chosen.SetFilter(L"nothing holds this");
    EXPECT_TRUE(chosen.Shown(rows, sources, 1));
    EXPECT_TRUE(RowView().Shown(rows, sources, 1));
}
