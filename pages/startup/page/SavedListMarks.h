#pragma once
// The rows compared with a saved list: which are new since it was saved,
// which changed their command, publisher or program file's hash, and rows of their own for the
// saved entries that are no longer listed.

#include "pages/startup/actions/StartupReport.h"
#include "pages/startup/compare/ListComparison.h"
#include "pages/startup/page/StartupRows.h"

#include <cstddef>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

enum class RowMark { None, New, Changed, Gone };

class SavedListMarks {
public:
    SavedListMarks(std::wstring fileName, std::vector<EntryReport> saved);

    // Matches the rows listed now with the saved entries: adds a gone row for
    // each saved entry that no row matches, ends those whose entry is back.
    // The ids of the gone rows added or ended.
    std::vector<std::size_t> Match(StartupRowModel& rows);
    // Ends every gone row; their ids.
    std::vector<std::size_t> End(StartupRowModel& rows);

    // Whether the saved list holds its program files' hashes.
    bool HoldsHashes() const { return ::HoldsHashes(m_saved); }
    // The rows that the last match paired with a saved entry that has a hash.
    std::vector<std::size_t> RowsToHash() const;
    // The hashes of those rows' program files, by row id, worked out once
    // for the comparison: a row whose hash differs from its saved one changed.
    void SetHashes(std::unordered_map<std::size_t, std::wstring> hashes) { m_hashes = std::move(hashes); }

    // Rows listed after the last match are new since the list was saved.
    RowMark Mark(const StartupRowModel& rows, std::size_t id) const;
    // "2 new, 1 changed, 3 gone since <file>": the counts first, where a
    // long file name is cut short.
    std::wstring Summary(const StartupRowModel& rows) const;

private:
    std::wstring m_fileName;
    std::vector<EntryReport> m_saved;
    std::vector<std::ptrdiff_t> m_savedOf;                    // by row id; -1: new
    std::unordered_map<std::size_t, std::size_t> m_goneRows; // saved entry to its gone row
    std::unordered_map<std::size_t, std::wstring> m_hashes; // by row id
};
