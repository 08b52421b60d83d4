// The start-up page compared with a list saved before: rows new since then
// and rows whose command changed are marked, the saved entries that are gone
// are rows that nothing switches, until they come back or F5 ends it all; a
// file that is no saved list changes nothing.

#include "startup/page/StartupPageFixture.h"

#include "pages/startup/actions/AtomicFile.h"
#include "pages/startup/actions/StartupReport.h"
#include "pages/startup/page/StartupDlg.h"
#include "pages/startup/store/StartupStore.h"
#include "res/resource.h"
#include "startup/store/StoredValue.h"
#include "support/MessagePump.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using StartupCompareTest = StartupPageFixture;

TEST_F(StartupCompareTest, MarksWhatChangedSinceASavedListUntilF5AndRefusesWhatIsNoSavedList)
{
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "kept", Sz("C:\\missing\\kept.exe"));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "moved", Sz("C:\\missing\\new place.exe"));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "added", Sz("C:\\missing\\added.exe"));
    StartApp();
    ASSERT_TRUE(PumpUntil([&] { return Page().DetailsComplete(); }, 10000));
    const ScratchFolder folder;
    const std::wstring list = folder.Path() + L"\\before.csv", garbage = folder.Path() + L"\\garbage.csv";
    ASSERT_EQ(WriteFileWhole(list, StartupListCsv({
                  // Its impact moved since (it is not measured now): no change.
                  {L"kept", L"User Start-Up", L"C:\\missing\\kept.exe", L"", L"(File not found)", false, true, false,
                   L"High", L"1500", L"4096"},
                  {L"MOVED", L"User Start-Up", L"C:\\missing\\old place.exe", L"", L"", false, true, false},
                  {L"gone", L"System Start-Up", L"C:\\gone.exe", L"", L"(File not found)", false, false, false},
              })),
              ERROR_SUCCESS);
    ASSERT_EQ(WriteFileWhole(garbage, std::string("MZ\x90\0\3\0\0\0", 8)), ERROR_SUCCESS);
    auto marks = [&] {
        std::map<std::string, RowMark> shown;
        for (const ShownRow& row : Rows()) {
            for (std::size_t id = 0; id < Page().m_rows.Size(); ++id) {
                const StartupRow& listed = Page().m_rows.Row(id);
                if (U8(listed.name) == row.program && (!listed.removed || listed.gone))
                    shown[row.program] = Page().Mark(id);
            }
        }
        return shown;
    };
    auto status = [&] {
        char hidden[128] = {}, compared[128] = {};
        ::GetDlgItemTextA(PageWindow(), IDC_STARTUP_STATUS, hidden, sizeof(hidden));
        ::GetDlgItemTextA(PageWindow(), IDC_STARTUP_COMPARISON, compared, sizeof(compared));
        return std::string(hidden) + "|" + compared;
    };
    using Marks = std::map<std::string, RowMark>;
    const Marks before{{"added", RowMark::None}, {"kept", RowMark::None}, {"moved", RowMark::None}};

    EXPECT_FALSE(Page().CompareWith(garbage));
    EXPECT_FALSE(Page().CompareWith(folder.Path() + L"\\no such list.csv"));
    ASSERT_EQ(m_messages.size(), 2u);
    EXPECT_EQ(m_messages[0].text.rfind("This file is not a start-up list saved by Quorvane", 0), 0u)
        << m_messages[0].text;
    EXPECT_EQ(m_messages[1].text.rfind("Could not read the saved list: ", 0), 0u) << m_messages[1].text;
    EXPECT_EQ(marks(), before) << "nothing changed";

    ASSERT_TRUE(Page().CompareWith(list));
    const Marks compared{{"added", RowMark::New}, {"kept", RowMark::None}, {"moved", RowMark::Changed},
                         {"gone", RowMark::Gone}};
    EXPECT_EQ(marks(), compared);
    EXPECT_EQ(status(), "No Windows entries hidden|1 new, 1 changed, 1 gone since before.csv");
    const int gone = RowOf("gone", "System Start-Up");
    EXPECT_EQ(Text(gone, 2) + " " + Text(gone, 3), "C:\\gone.exe (File not found)") << "as saved";
    Tick(gone, true);
    EXPECT_FALSE(Rows()[static_cast<std::size_t>(gone)].checked) << "nothing switches a gone entry";
    EXPECT_FALSE(Enabled(IDC_APPLY));
    const std::wstring saved = folder.Path() + L"\\after.csv";
    ASSERT_TRUE(Page().SaveListTo(saved));
    EXPECT_EQ(ReadBytes(saved)->find("gone"), std::string::npos) << "a gone entry is no entry";

    EXPECT_FALSE(Page().CompareWith(garbage));
    EXPECT_EQ(marks(), compared) << "a refused file leaves the comparison as it was";

    // The gone entry comes back while compared: its row is the entry's again.
    WriteStored(HKEY_LOCAL_MACHINE, kRunKeyPath, "gone", Sz("C:\\gone.exe"));
    Marks back = compared;
    back["gone"] = RowMark::None;
    EXPECT_TRUE(PumpUntil([&] { return marks() == back && Rows().size() == 4; }, 10000)) << Rows().size();

    Page().RefreshList();
    EXPECT_EQ(marks().size(), 4u);
    for (const auto& [program, mark] : marks())
        EXPECT_EQ(mark, RowMark::None) << program << ": F5 ends the comparison";
    EXPECT_EQ(status(), "No Windows entries hidden|");
}

} // namespace
