#pragma once
// Today's start-up list beside one saved before: which entries are new,
// which are gone, and which changed since.

#include "pages/startup/actions/StartupReport.h"

#include <cstddef>
#include <vector>

// How the current entries stand to the saved ones.
struct ListComparison {
    // For each current entry, the index of the saved entry it is, or -1 when
    // it is new since the list was saved.
    std::vector<std::ptrdiff_t> savedOf;
    // The saved entries that no current entry is, ascending.
    std::vector<std::size_t> gone;
};

// Pairs the current entries with the saved ones. Two are the same entry when
// their Location is the same and their Program the same without regard to
// case. Where several share both (a scheduled task's actions), one whose
// command is the same as a saved one's is paired with it first, the others
// in their order.
ListComparison CompareLists(const std::vector<EntryReport>& current, const std::vector<EntryReport>& saved);

// Whether the entry changed since it was saved: its command, its publisher
// when the current one is known (read in by then), or its program file's
// hash where both lists have one.
bool ChangedSince(const std::wstring& command, const std::wstring& publisher, bool publisherKnown,
                  const EntryReport& saved, const std::wstring& sha256 = {});

// The current entries, each with its Change ("new", "changed" or empty), then
// the saved ones that are gone, as saved with "gone": the compared list.
// `found` counts the entries new, changed or gone.
std::vector<EntryReport> ComparedList(std::vector<EntryReport> current, const std::vector<EntryReport>& saved,
                                      std::size_t& found);

// Whether a list holds its program files' hashes: a comparison with it
// works out today's.
bool HoldsHashes(const std::vector<EntryReport>& entries);
