#include "pages/startup/page/RowView.h"

namespace {

bool Holds(const std::wstring& text, const std::wstring& folded)
{
    return !text.empty() && FoldedText(text).find(folded) != std::wstring::npos;
}

} // namespace

void RowView::SetFilter(const std::wstring& text)
{
    m_filter = FoldedText(text);
}

bool RowView::HiddenAsWindows(const StartupRowModel& rows, std::size_t id) const
{
    const StartupRow& row = rows.Row(id);
    return m_hideWindowsEntries && !row.gone && row.detailsKnown && row.windowsOwn && !rows.Differs(id);
}

bool RowView::Chosen(const StartupRowModel& rows, const std::vector<StartupSource>& sources, std::size_t id) const
{
    // A row whose box the user changed stays in sight, whatever is chosen:
    // Apply moves the rows on show, and its change would otherwise wait
    // unseen.
    if (rows.Differs(id))
        return true;
    const StartupRow& row = rows.Row(id);
    // A gone row's source is its saved Location's, which may be no source of
    // this table: it shows in every group.
    if (m_group && !row.gone && (row.source >= sources.size() || sources[row.source].group != *m_group))
        return false;
    if (m_filter.empty())
        return true;
    return Holds(row.name, m_filter) || Holds(row.location, m_filter) || Holds(row.command, m_filter)
           || Holds(row.publisher, m_filter) || Holds(rows.ImpactShown(id), m_filter)
           || Holds(rows.TimeShown(id), m_filter);
}

bool RowView::Shown(const StartupRowModel& rows, const std::vector<StartupSource>& sources, std::size_t id) const
{
    const StartupRow& row = rows.Row(id);
    if (row.removed && !row.gone)
        return false;
    return !HiddenAsWindows(rows, id) && Chosen(rows, sources, id);
}

std::wstring RowView::CountText(const StartupRowModel& rows, const std::vector<StartupSource>& sources) const
{
    std::size_t listed = 0, shown = 0, hidden = 0;
    for (std::size_t id = 0; id < rows.Size(); ++id) {
        const StartupRow& row = rows.Row(id);
        if (row.removed && !row.gone)
            continue;
        ++listed;
        if (!Chosen(rows, sources, id))
            continue;
        if (HiddenAsWindows(rows, id))
            ++hidden;
        else
            ++shown;
    }
    std::wstring text;
    if (m_group || !m_filter.empty())
        text = std::to_wstring(shown) + L" of " + std::to_wstring(listed) + L" shown";
    if (m_hideWindowsEntries) {
        if (!text.empty())
            text += L"; ";
        text += hidden == 0   ? L"No Windows entries hidden"
                : hidden == 1 ? L"1 Windows entry hidden"
                              : std::to_wstring(hidden) + L" Windows entries hidden";
    }
    return text;
}
