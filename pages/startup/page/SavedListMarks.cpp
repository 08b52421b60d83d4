#include "pages/startup/page/SavedListMarks.h"

#include "pages/startup/compare/ListComparison.h"

#include <algorithm>
#include <utility>

SavedListMarks::SavedListMarks(std::wstring fileName, std::vector<EntryReport> saved)
    : m_fileName(std::move(fileName)), m_saved(std::move(saved))
{
}

std::vector<std::size_t> SavedListMarks::RowsToHash() const
{
    std::vector<std::size_t> ids;
    for (std::size_t id = 0; id < m_savedOf.size(); ++id)
        if (m_savedOf[id] >= 0 && !m_saved[static_cast<std::size_t>(m_savedOf[id])].sha256.empty())
            ids.push_back(id);
    return ids;
}

std::vector<std::size_t> SavedListMarks::Match(StartupRowModel& rows)
{
    std::vector<EntryReport> current;
    std::vector<std::size_t> ids;
    for (std::size_t id = 0; id < rows.Size(); ++id) {
        if (!rows.Row(id).removed) {
            current.push_back(rows.Report(id));
            ids.push_back(id);
        }
    }
    const ListComparison comparison = CompareLists(current, m_saved);
    m_savedOf.assign(rows.Size(), -1);
    for (std::size_t i = 0; i < ids.size(); ++i)
        m_savedOf[ids[i]] = comparison.savedOf[i];

    std::vector<std::size_t> touched;
    std::unordered_map<std::size_t, std::size_t> stillGone;
    for (std::size_t saved : comparison.gone) {
        const auto it = m_goneRows.find(saved);
        if (it != m_goneRows.end()) {
            stillGone.emplace(saved, it->second);
            m_goneRows.erase(it);
        } else {
            const std::size_t id = rows.AddGone(m_saved[saved]);
            stillGone.emplace(saved, id);
            touched.push_back(id);
        }
    }
    for (const auto& [saved, id] : m_goneRows) {
        rows.EndGone(id);
        touched.push_back(id);
    }
    m_goneRows = std::move(stillGone);
    return touched;
}

std::vector<std::size_t> SavedListMarks::End(StartupRowModel& rows)
{
    std::vector<std::size_t> ended;
    for (const auto& [saved, id] : m_goneRows) {
        rows.EndGone(id);
        ended.push_back(id);
    }
    m_goneRows.clear();
    return ended;
}

RowMark SavedListMarks::Mark(const StartupRowModel& rows, std::size_t id) const
{
    const StartupRow& row = rows.Row(id);
    if (row.gone)
        return RowMark::Gone;
    if (row.removed)
        return RowMark::None;
    if (id >= m_savedOf.size() || m_savedOf[id] < 0)
        return RowMark::New;
    const EntryReport& saved = m_saved[static_cast<std::size_t>(m_savedOf[id])];
    static const std::wstring kNoHash;
    const auto found = m_hashes.find(id);
    const std::wstring& hash = found != m_hashes.end() ? found->second : kNoHash;
    return ChangedSince(row.command, row.publisher, row.detailsKnown, saved, hash) ? RowMark::Changed
                                                                                   : RowMark::None;
}

std::wstring SavedListMarks::Summary(const StartupRowModel& rows) const
{
    std::size_t added = 0, changed = 0;
    for (std::size_t id = 0; id < rows.Size(); ++id) {
        const RowMark mark = Mark(rows, id);
        added += mark == RowMark::New ? 1 : 0;
        changed += mark == RowMark::Changed ? 1 : 0;
    }
    return std::to_wstring(added) + L" new, " + std::to_wstring(changed) + L" changed, " +
           std::to_wstring(m_goneRows.size()) + L" gone since " + m_fileName;
}
