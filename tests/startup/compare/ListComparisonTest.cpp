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

// The list written by a comparison: each entry with its change, a changed
// hash counting where both lists have one, then the gone entries.
TEST(ListComparisonTest, ComparedListMarksEachEntryAndCountsTheFindings)
{
    const auto hashed = [](EntryReport entry, wchar_t digit) {
        entry.sha256.assign(64, digit);
        return entry;
    };
    const EntryReport a = Entry(L"A", L"Run", L"a.exe"), b = Entry(L"B", L"Run", L"b.exe"),
                      c = Entry(L"C", L"Run", L"c.exe"), d = Entry(L"D", L"Run", L"d.exe");
    std::size_t found = 99;
    const std::vector<EntryReport> list =
        ComparedList({hashed(a, L'1'), hashed(b, L'1'), c, d, Entry(L"F", L"Run", L"f.exe")}, {hashed(a, L'1'), hashed(b, L'2'), hashed(c, L'3'),
                                                               Entry(L"D", L"Run", L"d.exe /x"), Entry(L"E", L"Run", L"e")},
                     found);
    std::vector<std::wstring> changes, programs;
    for (const EntryReport& entry : list) {
        changes.push_back(entry.change);
        programs.push_back(entry.program);
    }
    EXPECT_EQ(programs, (std::vector<std::wstring>{L"A", L"B", L"C", L"D", L"F", L"E"}));
    EXPECT_EQ(changes, (std::vector<std::wstring>{L"", L"changed", L"", L"changed", L"new", L"gone"}));
    EXPECT_EQ(found, 4u);
    ComparedList({a}, {a}, found);
    EXPECT_EQ(found, 0u);
}

} // namespace
