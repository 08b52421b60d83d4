// The rows' Start-Up Impact: matched with Windows' measurements of the
// recorded log-ons, shown, sorted and saved.
#include "pages/startup/page/StartupRows.h"

namespace {
// Whether the column can show anything for the row: a listed entry that
// Windows starts at log-on.
bool Measurable(const StartupRow& row)
{
    return !row.removed && !row.gone && !row.outsideLogOn;
}

// Where rows without an impact go in a sort by impact: after None.
constexpr int kNoImpactRank = static_cast<int>(StartupImpact::None) + 1;
} // namespace

bool StartupRowModel::ImpactWanted() const
{
    if (!m_impactRead)
        return false;
    for (const StartupRow& row : m_rows)
        if (Measurable(row) && row.detailsKnown && !row.impactMatched)
            return true;
    return false;
}

std::vector<ImpactEntry> StartupRowModel::ImpactEntries(std::vector<std::size_t>& ids) const
{
    // Every row is matched at once: whether rows share a program file decides
    // how their processes are told apart.
    ids.clear();
    std::vector<ImpactEntry> entries;
    for (std::size_t id = 0; id < m_rows.size(); ++id) {
        const StartupRow& row = m_rows[id];
        if (Measurable(row) && row.detailsKnown) {
            ids.push_back(id);
            entries.push_back({row.programFile, row.command});
        }
    }
    return entries;
}

std::vector<std::size_t> StartupRowModel::SetImpact(const std::vector<std::size_t>& ids,
                                                    const std::vector<ImpactEntry>& entries,
                                                    const std::vector<std::optional<ImpactFigures>>& figures)
{
    std::vector<std::size_t> changed;
    const bool first = !m_impactRead;
    if (first) {
        // Off rows show None from now on, matched or not.
        m_impactRead = true;
        for (std::size_t id = 0; id < m_rows.size(); ++id)
            if (Measurable(m_rows[id]))
                changed.push_back(id);
    }
    for (std::size_t i = 0; i < ids.size() && i < entries.size() && i < figures.size(); ++i) {
        if (ids[i] >= m_rows.size())
            continue;
        StartupRow& row = m_rows[ids[i]];
        // A row whose program or command changed since is matched anew.
        if (!Measurable(row) || !row.detailsKnown || row.programFile != entries[i].programFile
            || row.command != entries[i].commandLine)
            continue;
        const std::optional<ImpactFigures>& now = figures[i];
        const bool same = row.impactMatched && row.impact.has_value() == now.has_value()
                          && (!now || (row.impact->cpuMicroseconds == now->cpuMicroseconds
                                       && row.impact->diskBytes == now->diskBytes
                                       && row.impact->logOns == now->logOns));
        row.impactMatched = true;
        row.impact = now;
        if (!same && !first)
            changed.push_back(ids[i]);
    }
    return changed;
}

std::optional<StartupImpact> StartupRowModel::ImpactOf(std::size_t id) const
{
    const StartupRow& row = Row(id);
    if (!m_impactRead || !Measurable(row))
        return std::nullopt;
    if (!row.savedEnabled)
        return StartupImpact::None;
    if (!row.detailsKnown || !row.impactMatched)
        return std::nullopt;
    return RateImpact(true, row.impact);
}

std::wstring StartupRowModel::ImpactShown(std::size_t id) const
{
    const StartupRow& row = Row(id);
    if (row.gone)
        return row.goneImpact;
    const std::optional<StartupImpact> impact = ImpactOf(id);
    return impact ? ImpactText(*impact) : L"";
}

int StartupRowModel::CompareImpact(std::size_t a, std::size_t b, bool ascending) const
{
    // A gone row sorts by the impact it was saved with.
    auto rank = [this](std::size_t id) {
        const StartupRow& row = Row(id);
        if (row.gone) {
            for (int impact = 0; impact < kNoImpactRank; ++impact)
                if (row.goneImpact == ImpactText(static_cast<StartupImpact>(impact)))
                    return impact;
            return kNoImpactRank;
        }
        const std::optional<StartupImpact> impact = ImpactOf(id);
        return impact ? static_cast<int>(*impact) : kNoImpactRank;
    };
    const int first = rank(a), second = rank(b);
    if (first != second) {
        if (first == kNoImpactRank || second == kNoImpactRank)
            return first < second ? -1 : 1; // last either way
        return first < second ? (ascending ? -1 : 1) : (ascending ? 1 : -1);
    }
    return CompareProgram(a, b, true);
}

EntryReport StartupRowModel::Report(std::size_t id) const
{
    const StartupRow& row = Row(id);
    EntryReport report{row.name,      row.location, row.command,      row.programFile,
                       row.publisher, row.verified, row.savedEnabled, !row.fileMissing};
    report.time = TimeShown(id);
    if (row.gone) {
        report.impact = row.goneImpact;
        report.cpuMs = row.goneCpuMs;
        report.diskKB = row.goneDiskKB;
        report.sha256 = row.goneSha256;
        return report;
    }
    report.impact = ImpactShown(id);
    if (!report.impact.empty() && row.impactMatched && row.impact) {
        report.cpuMs = std::to_wstring(ImpactMilliseconds(*row.impact));
        report.diskKB = std::to_wstring(ImpactKilobytes(*row.impact));
    }
    return report;
}
