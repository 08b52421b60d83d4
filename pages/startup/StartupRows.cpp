#include "pages/startup/StartupRows.h"

#include <mbstring.h>

#include <unordered_map>

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

// An entry whichever of its places it stands in.
std::string EntryKey(std::size_t source, const std::string& name)
{
    return std::to_string(source) + '\n' + name;
}

// Whether Windows runs the entry at log-on, as read.
bool RunsAtLogOn(const StartupEntry& entry)
{
    return entry.place == EntryPlace::Startup && !entry.offForWindows;
}

// A row: an entry in one of its places.
std::string RowKey(std::size_t source, EntryPlace place, const std::string& name)
{
    return (place == EntryPlace::Startup ? "s" : "p") + EntryKey(source, name);
}
} // namespace

RowChanges StartupRowModel::Merge(const std::vector<StartupEntry>& entries, const std::vector<StartupSource>& sources,
                                  SourceSet read)
{
    std::unordered_map<std::string, std::size_t> listed;
    listed.reserve(m_rows.size());
    for (std::size_t id = 0; id < m_rows.size(); ++id) {
        const StartupRow& row = m_rows[id];
        if (!row.removed)
            listed.emplace(RowKey(row.source, row.place, row.name), id);
    }
    const std::size_t before = m_rows.size();
    std::vector<bool> found(before, false);
    RowChanges changes;
    for (const StartupEntry& entry : entries) {
        if (entry.value.name.empty())
            continue; // a key's default value is no entry
        const auto it = listed.find(RowKey(entry.source, entry.place, entry.value.name));
        if (it == listed.end()) {
            const std::size_t id = Add(entry, sources.at(entry.source));
            const std::string key = EntryKey(entry.source, entry.value.name);
            if (m_readOnce)
                m_rows[id].isNew = m_firstRead.count(key) == 0;
            else
                m_firstRead.insert(key);
            changes.added.push_back(id);
            continue;
        }
        const std::size_t id = it->second;
        found[id] = true;
        const bool saved = RunsAtLogOn(entry);
        if (m_rows[id].command == entry.value.command && m_rows[id].savedEnabled == saved)
            continue;
        Update(id, [&](StartupRow& row) {
            if (row.checked == row.savedEnabled)
                row.checked = saved; // a box the user left alone follows the entry
            row.savedEnabled = saved;
            row.command = entry.value.command;
        });
        changes.changed.push_back(id);
    }
    for (std::size_t id = 0; id < before; ++id) {
        if (!found[id] && !m_rows[id].removed && (read & SourceBit(m_rows[id].source))) {
            Remove(id);
            changes.removed.push_back(id);
        }
    }
    m_readOnce = true;
    return changes;
}

std::size_t StartupRowModel::Add(const StartupEntry& entry, const StartupSource& source)
{
    StartupRow row;
    row.name = entry.value.name;
    row.command = entry.value.command;
    row.source = entry.source;
    row.location = source.location;
    row.place = entry.place;
    row.switchable = IsSwitchable(source);
    row.savedEnabled = RunsAtLogOn(entry);
    row.checked = row.savedEnabled;
    m_rows.push_back(std::move(row));
    return m_rows.size() - 1;
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
