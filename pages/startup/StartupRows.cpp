#include "pages/startup/StartupRows.h"

#include <mbstring.h>

const char kUserLocationText[] = "User Start-Up";
const char kSystemLocationText[] = "System Start-Up";

namespace {
// _mbsicmp's result, turned round for a descending sort. Only the sign
// matters to the list control, so negating never overflows.
int Directed(int result, bool ascending)
{
    if (ascending)
        return result;
    return result > 0 ? -1 : (result < 0 ? 1 : 0);
}

int CompareText(const std::string& a, const std::string& b)
{
    return _mbsicmp(reinterpret_cast<const unsigned char*>(a.c_str()),
                    reinterpret_cast<const unsigned char*>(b.c_str()));
}
} // namespace

std::size_t StartupRowModel::Add(const StartupValue& value, StartupOrigin origin, bool enabled)
{
    m_rows.push_back({value.name, value.command, origin, enabled, enabled});
    return m_rows.size() - 1;
}

void StartupRowModel::Clear()
{
    m_rows.clear();
    m_differing = 0;
}

const char* StartupRowModel::LocationText(std::size_t id) const
{
    return Row(id).origin == StartupOrigin::User ? kUserLocationText : kSystemLocationText;
}

void StartupRowModel::SetChecked(std::size_t id, bool checked)
{
    StartupRow& row = m_rows.at(id);
    const bool before = row.checked != row.savedEnabled;
    row.checked = checked;
    Recount(before, row.checked != row.savedEnabled);
}

void StartupRowModel::SetSaved(std::size_t id, bool enabled)
{
    StartupRow& row = m_rows.at(id);
    const bool before = row.checked != row.savedEnabled;
    row.savedEnabled = enabled;
    Recount(before, row.checked != row.savedEnabled);
}

void StartupRowModel::Recount(bool differedBefore, bool differsNow)
{
    if (differsNow && !differedBefore)
        ++m_differing;
    else if (differedBefore && !differsNow)
        --m_differing;
}

bool StartupRowModel::Differs(std::size_t id) const
{
    const StartupRow& row = Row(id);
    return row.checked != row.savedEnabled;
}

int StartupRowModel::CompareProgram(std::size_t a, std::size_t b, bool ascending) const
{
    return Directed(CompareText(Row(a).name, Row(b).name), ascending);
}

int StartupRowModel::CompareLocation(std::size_t a, std::size_t b, bool ascending) const
{
    return Directed(CompareText(LocationText(a), LocationText(b)), ascending);
}
