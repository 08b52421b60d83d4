#pragma once
// Which of the rows the list shows, as the user chose: Windows' own entries
// hidden or not, one group of places or all, a text to find. Decided here,
// without the list, from the rows' model and the source table.

#include "pages/startup/page/StartupRows.h"
#include "pages/startup/store/StartupSources.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

class RowView {
public:
    // Whether rows verified as signed by Windows itself are left out (but
    // one whose box the user changed). On at every start.
    void HideWindowsEntries(bool hide) { m_hideWindowsEntries = hide; }
    bool HidesWindowsEntries() const { return m_hideWindowsEntries; }
    // One group of places; nothing: every group.
    void ShowGroup(std::optional<PlaceGroup> group) { m_group = group; }
    std::optional<PlaceGroup> Group() const { return m_group; }
    // Only rows that hold the text in one of their columns, in any case;
    // empty: every row.
    void SetFilter(const std::wstring& text);
    const std::wstring& Filter() const { return m_filter; }

    // Whether the list shows the row: a listed entry, or an entry of a saved
    // list that is gone, that the choices let through; always a row whose
    // box the user changed.
    bool Shown(const StartupRowModel& rows, const std::vector<StartupSource>& sources, std::size_t id) const;
    // What the line under the list says of it: how many of the rows chosen
    // are hidden as Windows entries, and with a group or a text chosen how
    // many rows are shown of those listed.
    std::wstring CountText(const StartupRowModel& rows, const std::vector<StartupSource>& sources) const;

private:
    bool HiddenAsWindows(const StartupRowModel& rows, std::size_t id) const;
    bool Chosen(const StartupRowModel& rows, const std::vector<StartupSource>& sources, std::size_t id) const;

    bool m_hideWindowsEntries = true;
    std::optional<PlaceGroup> m_group;
    std::wstring m_filter; // folded
};
