#include "pages/startup/StartupRows.h"

const char kUserLocationText[] = "User Start-Up";
const char kSystemLocationText[] = "System Start-Up";

// Placeholder until the row model is written.
std::size_t StartupRowModel::Add(const StartupValue& value, StartupOrigin origin, bool enabled)
{
    m_rows.push_back({value.name, value.command, origin, value.isText, enabled, enabled});
    return m_rows.size() - 1;
}
void StartupRowModel::Clear() { m_rows.clear(); m_differing = 0; }
const char* StartupRowModel::LocationText(std::size_t id) const
{
    return Row(id).origin == StartupOrigin::User ? kUserLocationText : kSystemLocationText;
}
void StartupRowModel::SetChecked(std::size_t id, bool checked) { m_rows.at(id).checked = checked; }
void StartupRowModel::SetSaved(std::size_t id, bool enabled) { m_rows.at(id).savedEnabled = enabled; }
bool StartupRowModel::Differs(std::size_t id) const { return Row(id).checked != Row(id).savedEnabled; }
int StartupRowModel::CompareProgram(std::size_t, std::size_t, bool) const { return 0; }
int StartupRowModel::CompareLocation(std::size_t, std::size_t, bool) const { return 0; }
