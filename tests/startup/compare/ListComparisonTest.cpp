// Today's start-up list beside a saved one: which entries are new, gone, or
// changed, and how rows of the same name pair up.

#include "pages/startup/compare/ListComparison.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

EntryReport Entry(const wchar_t* program, const wchar_t* location, const wchar_t* command,
                  const wchar_t* publisher = L"")
{
    EntryReport entry;
    entry.program = program;
    entry.location = location;
    entry.command = command;
    entry.publisher = publisher;
    return entry;
}

TEST(ListComparisonTest, PairsEntriesAndTellsWhatChanged)
{
    const wchar_t* const task = L"Scheduled Task (Log-On)";
    const struct {
        const char* name;
        std::vector<EntryReport> current, saved;
        bool publisherKnown;
        std::vector<std::ptrdiff_t> savedOf;
        std::vector<std::size_t> gone;
        std::vector<bool> changed; // of each current entry that was saved
    } cases[] = {
        {"one new, one gone",
         {Entry(L"A", L"Run", L"a.exe"), Entry(L"B", L"Run", L"b.exe")},
         {Entry(L"B", L"Run", L"b.exe"), Entry(L"C", L"Run", L"c.exe")},
         true, {-1, 0}, {1}, {false, false}},
        {"program without case, location with",
         {Entry(L"tool", L"Run", L"t.exe"), Entry(L"ärger", L"Run", L"x.exe"), Entry(L"X", L"run", L"x.exe")},
         {Entry(L"X", L"Run", L"x.exe"), Entry(L"ÄRGER", L"Run", L"x.exe"), Entry(L"TOOL", L"Run", L"t.exe")},
         true, {2, 1, -1}, {0}, {false, false, false}},
        {"changed command",
         {Entry(L"A", L"Run", L"a.exe /new", L"Maker")}, {Entry(L"A", L"Run", L"a.exe", L"Maker")},
         true, {0}, {}, {true}},
        {"changed publisher, known",
         {Entry(L"A", L"Run", L"a.exe", L"Other")}, {Entry(L"A", L"Run", L"a.exe", L"Maker")},
         true, {0}, {}, {true}},
        {"changed publisher, not known yet",
         {Entry(L"A", L"Run", L"a.exe", L"")}, {Entry(L"A", L"Run", L"a.exe", L"Maker")},
         false, {0}, {}, {false}},
        {"a task's actions pair by command, then in order",
         {Entry(L"\\T", task, L"b.exe"), Entry(L"\\T", task, L"x.exe"), Entry(L"\\t", task, L"a.exe"),
          Entry(L"\\T", task, L"y.exe")},
         {Entry(L"\\T", task, L"a.exe"), Entry(L"\\T", task, L"b.exe"), Entry(L"\\T", task, L"c.exe")},
         true, {1, 2, 0, -1}, {}, {false, true, false, false}},
        {"twice the same, saved once",
         {Entry(L"A", L"Run", L"a.exe"), Entry(L"A", L"Run", L"a.exe")}, {Entry(L"A", L"Run", L"a.exe")},
         true, {0, -1}, {}, {false, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ListComparison comparison = CompareLists(c.current, c.saved);
        EXPECT_EQ(comparison.savedOf, c.savedOf);
        EXPECT_EQ(comparison.gone, c.gone);
        ASSERT_EQ(comparison.savedOf.size(), c.current.size());
        for (std::size_t i = 0; i < c.current.size(); ++i) {
            const std::ptrdiff_t saved = comparison.savedOf[i];
            if (saved >= 0) {
                EXPECT_EQ(ChangedSince(c.current[i].command, c.current[i].publisher, c.publisherKnown,
                                       c.saved[static_cast<std::size_t>(saved)]),
                          c.changed[i])
                    << "entry " << i;
            }
        }
    }
}

} // namespace
