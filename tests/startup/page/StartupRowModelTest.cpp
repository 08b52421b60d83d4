// The rows' model: what a reading marks new (a source read for the first
// time after the others, one that follows once the window is drawn, marks
// nothing new; what appears in it afterwards is), each row's impact and time.

#include "pages/startup/page/StartupRows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

TEST(StartupRowModel, ASourcesFirstReadingMarksNothingNewWhenEverItComes)
{
    const std::vector<StartupSource> sources = StartupSources();
    auto entry = [](std::size_t source, const wchar_t* name) {
        return StartupEntry{source, EntryPlace::Startup, StartupValue(name, L"x.exe")};
    };
    StartupRowModel rows;
    rows.Merge({entry(0, L"early")}, sources, SourceSet::Of(0));
    const RowChanges late = rows.Merge({entry(0, L"early"), entry(1, L"late")}, sources, SourceSet::All());
    ASSERT_EQ(late.added.size(), 1u);
    EXPECT_FALSE(rows.Row(late.added[0]).isNew) << "the source's first reading";
    const RowChanges after =
        rows.Merge({entry(0, L"early"), entry(0, L"added"), entry(1, L"late"), entry(1, L"later")}, sources);
    ASSERT_EQ(after.added.size(), 2u);
    EXPECT_TRUE(rows.Row(after.added[0]).isNew);
    EXPECT_TRUE(rows.Row(after.added[1]).isNew);
}

// The impact column of each kind of row, before and after the measurements
// are read, sorted both ways and saved.
TEST(StartupRowModel, ShowsSortsAndSavesEachRowsImpact)
{
    const std::vector<StartupSource> sources = StartupSources();
    std::size_t services = 0;
    while (sources.at(services).kind != StartupKind::Service)
        ++services;
    auto entry = [](std::size_t source, const wchar_t* name, EntryPlace place = EntryPlace::Startup) {
        return StartupEntry{source, place, StartupValue(name, std::wstring(L"C:\\") + name + L".exe")};
    };
    StartupRowModel rows;
    const RowChanges read = rows.Merge({entry(0, L"high"), entry(0, L"medium"), entry(0, L"low"), entry(0, L"unmeasured"),
                                        entry(0, L"off", EntryPlace::Parked), entry(services, L"service"),
                                        entry(0, L"late")},
                                       sources);
    ASSERT_EQ(read.added.size(), 7u);
    for (std::size_t id = 0; id + 1 < read.added.size(); ++id)
        rows.SetDetails(id, rows.Row(id).command, FileDetails{});
    for (std::size_t id = 0; id < rows.Size(); ++id)
        EXPECT_EQ(rows.ImpactShown(id), L"") << "nothing before the measurements are read, row " << id;

    auto process = [](const wchar_t* image, std::uint64_t cpu, std::uint64_t disk) {
        return MeasuredProcess{image, image, cpu, disk};
    };
    const std::vector<std::vector<MeasuredProcess>> logOns = {
        {process(L"C:\\high.exe", 1'500'000, 0), process(L"C:\\medium.exe", 0, 400 * 1024),
         process(L"C:\\low.exe", 299'000, 3000), process(L"C:\\off.exe", 5'000'000, 0),
         process(L"C:\\service.exe", 5'000'000, 0), process(L"C:\\late.exe", 0, 0)}};
    auto measure = [&] {
        std::vector<std::size_t> ids;
        const std::vector<ImpactEntry> entries = rows.ImpactEntries(ids);
        return rows.SetImpact(ids, entries, MeasureEntries(entries, logOns));
    };
    EXPECT_FALSE(rows.ImpactWanted());
    EXPECT_EQ(measure().size(), 6u) << "every row that can show an impact";
    const std::vector<std::wstring> shown = {L"High", L"Medium", L"Low", L"Not measured", L"None", L"", L""};
    for (std::size_t id = 0; id < rows.Size(); ++id)
        EXPECT_EQ(rows.ImpactShown(id), shown[id]) << "row " << id;
    EXPECT_TRUE(measure().empty()) << "nothing changed";

    // A row whose program file is known later wants the measurements again.
    rows.SetDetails(6, L"C:\\late.exe", FileDetails{});
    EXPECT_TRUE(rows.ImpactWanted());
    EXPECT_EQ(measure(), std::vector<std::size_t>{6});
    EXPECT_EQ(rows.ImpactShown(6), L"Low");
    EXPECT_FALSE(rows.ImpactWanted());

    auto sorted = [&](bool ascending) {
        std::vector<std::size_t> ids = {5, 6, 4, 3, 2, 1, 0};
        std::stable_sort(ids.begin(), ids.end(),
                         [&](std::size_t a, std::size_t b) { return rows.CompareImpact(a, b, ascending) < 0; });
        return ids;
    };
    // Rows of the same impact by their Program: "late" before "low".
    EXPECT_EQ(sorted(true), (std::vector<std::size_t>{0, 1, 6, 2, 3, 4, 5})) << "High first, rows of none last";
    EXPECT_EQ(sorted(false), (std::vector<std::size_t>{4, 3, 6, 2, 1, 0, 5})) << "then the reverse, rows of none last";

    const EntryReport high = rows.Report(0), off = rows.Report(4), service = rows.Report(5), unmeasured = rows.Report(3);
    EXPECT_EQ(std::tie(high.impact, high.cpuMs, high.diskKB), std::make_tuple(L"High", L"1500", L"0"));
    EXPECT_EQ(std::tie(off.impact, off.cpuMs), std::make_tuple(L"None", L"5000")) << "measured before it was switched off";
    EXPECT_EQ(service.impact + service.cpuMs + service.diskKB, L"");
    EXPECT_EQ(unmeasured.impact + unmeasured.cpuMs + unmeasured.diskKB, L"Not measured");

    rows.SetMoved(0, false, EntryPlace::Parked, rows.Row(0).command);
    EXPECT_EQ(rows.ImpactShown(0), L"None") << "switched off";
}

// The Time column of listed and gone rows: shown to the second, sorted both
// ways with the rows without a time last, and saved.
TEST(StartupRowModel, ShowsSortsAndSavesEachRowsTime)
{
    const std::vector<StartupSource> sources = StartupSources();
    auto entry = [](const wchar_t* name) { return StartupEntry{0, EntryPlace::Startup, StartupValue(name, L"x.exe")}; };
    StartupRowModel rows;
    rows.Merge({entry(L"b late"), entry(L"a late"), entry(L"early"), entry(L"none")}, sources);
    constexpr std::uint64_t kLate = 134412459550000000; // 2026-12-08T23:25:55Z
    rows.SetChangeTime(0, kLate + 3);
    rows.SetChangeTime(1, kLate + 9'000'000); // the same second: by Program
    rows.SetChangeTime(2, 126256467060000000); // 2001-02-03T04:05:06Z
    auto gone = [&](const wchar_t* name, const wchar_t* time) {
        EntryReport saved{name, L"Old Place", L"old.exe", L"", L""};
        saved.time = time;
        saved.sha256 = L"ab12";
        return rows.AddGone(saved);
    };
    gone(L"gone between", L"2010-01-01T00:00:00Z");
    gone(L"gone without", L"");

    const std::vector<std::wstring> shown = {L"2026-12-08T23:25:55Z", L"2026-12-08T23:25:55Z", L"2001-02-03T04:05:06Z",
                                             L"", L"2010-01-01T00:00:00Z", L""};
    for (std::size_t id = 0; id < rows.Size(); ++id) {
        EXPECT_EQ(rows.TimeShown(id), shown[id]) << "row " << id;
        EXPECT_EQ(rows.Report(id).time, shown[id]) << "row " << id;
    }
    EXPECT_EQ(rows.Report(4).sha256, L"ab12") << "a gone row keeps its saved hash";

    auto sorted = [&](bool ascending) {
        std::vector<std::size_t> ids = {5, 4, 3, 2, 1, 0};
        std::stable_sort(ids.begin(), ids.end(),
                         [&](std::size_t a, std::size_t b) { return rows.CompareTime(a, b, ascending) < 0; });
        return ids;
    };
    EXPECT_EQ(sorted(true), (std::vector<std::size_t>{1, 0, 4, 2, 5, 3})) << "newest first, rows of none last";
    EXPECT_EQ(sorted(false), (std::vector<std::size_t>{2, 4, 1, 0, 5, 3})) << "oldest first, rows of none last";
}
