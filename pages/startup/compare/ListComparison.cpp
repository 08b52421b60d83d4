#include "pages/startup/compare/ListComparison.h"

#include <algorithm>
#include <map>

namespace {

// Orders entries by Location, then by Program as Windows compares names
// without regard to case.
int CompareSameEntry(const EntryReport& a, const EntryReport& b)
{
    const int location = a.location.compare(b.location);
    if (location != 0)
        return location;
    return ::CompareStringOrdinal(a.program.c_str(), static_cast<int>(a.program.size()), b.program.c_str(),
                                  static_cast<int>(b.program.size()), TRUE) -
           CSTR_EQUAL;
}

struct SameEntryLess {
    bool operator()(const EntryReport* a, const EntryReport* b) const { return CompareSameEntry(*a, *b) < 0; }
};

struct SameCommandLess {
    bool operator()(const EntryReport* a, const EntryReport* b) const
    {
        const int entry = CompareSameEntry(*a, *b);
        return entry != 0 ? entry < 0 : a->command < b->command;
    }
};

// Saved entries that pair alike, in their order; those before `next` are
// taken or were skipped as taken.
struct Candidates {
    std::vector<std::size_t> indices;
    std::size_t next = 0;
};

// The first of the candidates not yet paired, taken; -1 when none is left.
std::ptrdiff_t TakeFirstUnpaired(Candidates& candidates, std::vector<bool>& paired)
{
    while (candidates.next < candidates.indices.size()) {
        const std::size_t index = candidates.indices[candidates.next++];
        if (!paired[index]) {
            paired[index] = true;
            return static_cast<std::ptrdiff_t>(index);
        }
    }
    return -1;
}

} // namespace

ListComparison CompareLists(const std::vector<EntryReport>& current, const std::vector<EntryReport>& saved)
{
    std::map<const EntryReport*, Candidates, SameEntryLess> byEntry;
    std::map<const EntryReport*, Candidates, SameCommandLess> byCommand;
    for (std::size_t i = 0; i < saved.size(); ++i) {
        byEntry[&saved[i]].indices.push_back(i);
        byCommand[&saved[i]].indices.push_back(i);
    }

    ListComparison comparison;
    comparison.savedOf.assign(current.size(), -1);
    std::vector<bool> paired(saved.size(), false);
    // First the entries whose command is as saved, so that rows of one task
    // pair by what they run, then the rest in their order.
    for (std::size_t i = 0; i < current.size(); ++i) {
        const auto found = byCommand.find(&current[i]);
        if (found != byCommand.end())
            comparison.savedOf[i] = TakeFirstUnpaired(found->second, paired);
    }
    for (std::size_t i = 0; i < current.size(); ++i) {
        if (comparison.savedOf[i] >= 0)
            continue;
        const auto found = byEntry.find(&current[i]);
        if (found != byEntry.end())
            comparison.savedOf[i] = TakeFirstUnpaired(found->second, paired);
    }
    for (std::size_t i = 0; i < saved.size(); ++i) {
        if (!paired[i])
            comparison.gone.push_back(i);
    }
    return comparison;
}

bool ChangedSince(const std::wstring& command, const std::wstring& publisher, bool publisherKnown,
                  const EntryReport& saved, const std::wstring& sha256)
{
    return command != saved.command || (publisherKnown && publisher != saved.publisher) ||
           (!sha256.empty() && !saved.sha256.empty() && sha256 != saved.sha256);
}

std::vector<EntryReport> ComparedList(std::vector<EntryReport> current, const std::vector<EntryReport>& saved,
                                      std::size_t& found)
{
    const ListComparison comparison = CompareLists(current, saved);
    found = 0;
    for (std::size_t i = 0; i < current.size(); ++i) {
        EntryReport& entry = current[i];
        const std::ptrdiff_t was = comparison.savedOf[i];
        if (was < 0)
            entry.change = L"new";
        else if (ChangedSince(entry.command, entry.publisher, true, saved[static_cast<std::size_t>(was)],
                              entry.sha256))
            entry.change = L"changed";
        else
            entry.change.clear();
        found += entry.change.empty() ? 0 : 1;
    }
    for (std::size_t gone : comparison.gone) {
        current.push_back(saved[gone]);
        current.back().change = L"gone";
        ++found;
    }
    return current;
}

bool HoldsHashes(const std::vector<EntryReport>& entries)
{
    return std::any_of(entries.begin(), entries.end(), [](const EntryReport& entry) { return !entry.sha256.empty(); });
}
