#include "pages/startup/page/StartupRows.h"

#include "pages/startup/details/EntryTime.h"

#include <iterator>
#include <unordered_map>

namespace {
// A comparison's result, turned round for a descending sort. Only the sign
// matters to the list control, so negating never overflows.
int Directed(int result, bool ascending)
{
    if (ascending)
        return result;
    return result > 0 ? -1 : (result < 0 ? 1 : 0);
}


// An entry whichever of its places it stands in.
std::wstring EntryKey(std::size_t source, const std::wstring& name)
{
    return std::to_wstring(source) + L'\n' + name;
}

// Whether Windows runs the entry at log-on, as read.
bool RunsAtLogOn(const StartupEntry& entry)
{
    return entry.place == EntryPlace::Startup && !entry.offForWindows;
}

// A row: an entry in one of its places.
std::wstring RowKey(std::size_t source, EntryPlace place, const std::wstring& name)
{
    return (place == EntryPlace::Startup ? L"s" : L"p") + EntryKey(source, name);
}
} // namespace

RowChanges StartupRowModel::Merge(const std::vector<StartupEntry>& entries, const std::vector<StartupSource>& sources,
                                  SourceSet read, const SourceSet& failed)
{
    if (!failed.Empty())
        read = read.Without(failed, sources.size());
    std::unordered_map<std::wstring, std::size_t> listed;
    listed.reserve(m_rows.size());
    for (std::size_t id = 0; id < m_rows.size(); ++id) {
        const StartupRow& row = m_rows[id];
        if (!row.removed)
            listed.emplace(RowKey(row.source, row.place, EntryId(row)), id);
    }
    const std::size_t before = m_rows.size();
    std::vector<bool> found(before, false);
    RowChanges changes;
    for (const StartupEntry& entry : entries) {
        if (entry.value.name.empty())
            continue; // a key's default value is no entry
        const auto it = listed.find(RowKey(entry.source, entry.place, EntryId(entry.value)));
        if (it == listed.end()) {
            const std::size_t id = Add(entry, sources.at(entry.source));
            const std::wstring key = EntryKey(entry.source, EntryId(entry.value));
            if (m_sourcesRead.Contains(entry.source))
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
            if (row.command != entry.value.command)
                row.detailsKnown = row.impactMatched = false;
            row.command = entry.value.command;
        });
        changes.changed.push_back(id);
    }
    for (std::size_t id = 0; id < before; ++id) {
        if (!found[id] && !m_rows[id].removed && read.Contains(m_rows[id].source)) {
            Remove(id);
            changes.removed.push_back(id);
        }
    }
    m_sourcesRead |= read;
    return changes;
}

std::size_t StartupRowModel::Add(const StartupEntry& entry, const StartupSource& source)
{
    StartupRow row;
    row.name = entry.value.name;
    row.id = entry.value.id;
    row.command = entry.value.command;
    row.declaredPublisher = entry.value.publisher;
    row.source = entry.source;
    row.location = source.location;
    row.place = entry.place;
    row.switchable = IsSwitchable(source) && !entry.value.fixed;
    row.savedEnabled = RunsAtLogOn(entry);
    row.checked = row.savedEnabled;
    row.outsideLogOn = source.outsideLogOn;
    m_sortNames.push_back(FoldedText(row.name));
    if (m_sortLocations.size() <= row.source)
        m_sortLocations.resize(row.source + 1);
    if (m_sortLocations[row.source].empty())
        m_sortLocations[row.source] = FoldedText(row.location);
    m_rows.push_back(std::move(row));
    return m_rows.size() - 1;
}

std::size_t StartupRowModel::AddGone(const EntryReport& saved)
{
    StartupRow row;
    row.name = saved.program;
    row.command = saved.command;
    row.switchable = false;
    row.savedEnabled = row.checked = saved.enabled;
    row.removed = row.gone = true;
    row.programFile = saved.programFile;
    row.publisher = saved.publisher;
    row.verified = saved.verified;
    row.fileMissing = !saved.fileExists;
    row.goneImpact = saved.impact;
    row.goneCpuMs = saved.cpuMs;
    row.goneDiskKB = saved.diskKB;
    row.goneTime = saved.time;
    row.goneSha256 = saved.sha256;
    std::size_t id = m_rows.size();
    if (!m_endedGone.empty()) {
        id = *m_endedGone.begin();
        m_endedGone.erase(m_endedGone.begin());
        m_sortNames[id] = FoldedText(row.name);
        m_rows[id] = std::move(row);
    } else {
        m_sortNames.push_back(FoldedText(row.name));
        m_rows.push_back(std::move(row));
    }
    // The map's nodes stay where they are, so the row may point at its text.
    GoneLocation& location = m_goneLocations[id];
    location = {saved.location, FoldedText(saved.location)};
    m_rows[id].location = location.saved.c_str();
    return id;
}

void StartupRowModel::EndGone(std::size_t id)
{
    StartupRow ended;
    ended.removed = true;
    m_rows.at(id) = std::move(ended);
    m_sortNames[id].clear();
    m_sortNames[id].shrink_to_fit();
    m_goneLocations.erase(id);
    m_endedGone.insert(id);
}

void StartupRowModel::ReleaseEndedRows()
{
    while (!m_endedGone.empty() && *m_endedGone.rbegin() + 1 == m_rows.size()) {
        m_endedGone.erase(std::prev(m_endedGone.end()));
        m_rows.pop_back();
        m_sortNames.pop_back();
    }
    if (m_endedGone.empty() && m_goneLocations.empty()) {
        m_rows.shrink_to_fit();
        m_sortNames.shrink_to_fit();
    }
}

const std::wstring& StartupRowModel::SortLocation(std::size_t id) const
{
    const StartupRow& row = Row(id);
    return row.gone ? m_goneLocations.at(id).folded : m_sortLocations.at(row.source);
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

void StartupRowModel::SetDetails(std::size_t id, const std::wstring& programFile, const FileDetails& details)
{
    StartupRow& row = m_rows.at(id);
    row.detailsKnown = true;
    if (row.programFile != programFile)
        row.impactMatched = false;
    row.programFile = programFile;
    row.publisher = PublisherShown(row.declaredPublisher, details);
    row.verified = details.signature.state == SignatureState::Verified;
    row.windowsOwn = SignedByWindows(details.signature);
    row.fileMissing = !details.stamp.exists;
}


void StartupRowModel::SetMoved(std::size_t id, bool enabled, EntryPlace place, const std::wstring& command)
{
    Update(id, [&](StartupRow& row) {
        row.savedEnabled = enabled;
        row.place = place;
        if (row.command != command)
            row.detailsKnown = row.impactMatched = false;
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
    return Directed(m_sortNames.at(a).compare(m_sortNames.at(b)), ascending);
}

int StartupRowModel::CompareLocation(std::size_t a, std::size_t b, bool ascending) const
{
    return Directed(SortLocation(a).compare(SortLocation(b)), ascending);
}

std::wstring StartupRowModel::TimeShown(std::size_t id) const
{
    const StartupRow& row = Row(id);
    return row.gone ? row.goneTime : UtcTimeText(row.changeTime);
}

int StartupRowModel::CompareTime(std::size_t a, std::size_t b, bool ascending) const
{
    const StartupRow& first = Row(a);
    const StartupRow& second = Row(b);
    int order = 0;
    if (!first.gone && !second.gone) {
        // To the second, as shown, without making the texts.
        constexpr std::uint64_t kTicksPerSecond = 10'000'000;
        const std::uint64_t x = first.changeTime / kTicksPerSecond, y = second.changeTime / kTicksPerSecond;
        if ((first.changeTime == 0) != (second.changeTime == 0))
            return first.changeTime == 0 ? 1 : -1; // last either way
        order = x < y ? -1 : (x > y ? 1 : 0);
    } else {
        // A gone row has its saved text, which sorts as the times it shows.
        const std::wstring x = TimeShown(a), y = TimeShown(b);
        if (x.empty() != y.empty())
            return x.empty() ? 1 : -1;
        order = x.compare(y);
    }
    if (order != 0)
        return Directed(order, !ascending);
    return CompareProgram(a, b, true);
}

std::wstring PublisherShown(const std::wstring& declared, const FileDetails& details)
{
    return declared.empty() || !details.stamp.exists ? PublisherText(details) : declared;
}

std::wstring FoldedText(const std::wstring& text)
{
    if (text.empty())
        return text;
    const DWORD flags = LCMAP_LOWERCASE | LCMAP_LINGUISTIC_CASING;
    const int length = static_cast<int>(text.size());
    const int needed = ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, text.c_str(), length, nullptr, 0, nullptr,
                                       nullptr, 0);
    if (needed <= 0)
        return text;
    std::wstring folded(static_cast<std::size_t>(needed), L'\0');
    ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, text.c_str(), length, folded.data(), needed, nullptr, nullptr,
                    0);
    return folded;
}
