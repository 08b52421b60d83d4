#include "pages/startup/StartupRows.h"

#include <mbstring.h>

namespace {
// _mbsicmp's result, turned round for a descending sort. Only the sign
// matters to the list control, so negating never overflows.
int Directed(int result, bool ascending)
{
    if (ascending)
        return result;
    return result > 0 ? -1 : (result < 0 ? 1 : 0);
}

int CompareText(const char* a, const char* b)
{
    return _mbsicmp(reinterpret_cast<const unsigned char*>(a), reinterpret_cast<const unsigned char*>(b));
}
} // namespace

std::size_t StartupRowModel::Add(const StartupEntry& entry, const StartupSource& source)
{
    StartupRow row;
    row.name = entry.value.name;
    row.command = entry.value.command;
    row.source = entry.source;
    row.location = source.location;
    row.place = entry.place;
    row.switchable = IsSwitchable(source);
    row.savedEnabled = entry.place == EntryPlace::Startup && !entry.offForWindows;
    row.checked = row.savedEnabled;
    m_rows.push_back(std::move(row));
    return m_rows.size() - 1;
}

void StartupRowModel::Clear()
{
    m_rows.clear();
    m_differing = 0;
}

template <class Change>
void StartupRowModel::Update(std::size_t id, Change change)
{
    StartupRow& row = m_rows.at(id);
    const bool before = Differs(id);
    change(row);
    const bool now = Differs(id);
    if (now && !before)
        ++m_differing;
    else if (before && !now)
        --m_differing;
}

void StartupRowModel::SetChecked(std::size_t id, bool checked)
{
    Update(id, [checked](StartupRow& row) { row.checked = checked; });
}

void StartupRowModel::SetMoved(std::size_t id, bool enabled, const std::string& command)
{
    Update(id, [&](StartupRow& row) {
        row.savedEnabled = enabled;
        row.place = enabled ? EntryPlace::Startup : EntryPlace::Parked;
        row.command = command;
    });
}

void StartupRowModel::Remove(std::size_t id)
{
    Update(id, [](StartupRow& row) { row.removed = true; });
}

bool StartupRowModel::Differs(std::size_t id) const
{
    const StartupRow& row = Row(id);
    return !row.removed && row.checked != row.savedEnabled;
}

int StartupRowModel::CompareProgram(std::size_t a, std::size_t b, bool ascending) const
{
    return Directed(CompareText(Row(a).name.c_str(), Row(b).name.c_str()), ascending);
}

int StartupRowModel::CompareLocation(std::size_t a, std::size_t b, bool ascending) const
{
    return Directed(CompareText(Row(a).location, Row(b).location), ascending);
}
