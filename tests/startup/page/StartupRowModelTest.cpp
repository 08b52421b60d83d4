// The rows' model: what a reading marks new. A source read for the first
// time after the others (one that follows once the window is drawn) marks
// nothing new; what appears in it afterwards is.

#include "pages/startup/page/StartupRows.h"

#include <gtest/gtest.h>

#include <string>
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
