#pragma once
// The start-up page's rows beside the list control: each row's full texts,
// source and stored state by row id, and a running count of rows whose box
// differs from the stored state, so the buttons never need a walk of all rows.

#include "pages/startup/details/FileDetails.h"
#include "pages/startup/actions/StartupReport.h"
#include "pages/startup/impact/ImpactMatching.h"
#include "pages/startup/impact/StartupImpact.h"
#include "pages/startup/impact/StartupInfoFile.h"
#include "pages/startup/store/StartupStore.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

struct StartupRow {
    std::wstring name;
    std::wstring id; // what finds the entry again (see StartupValue): its name where empty
    std::wstring command;
    std::size_t source = 0;        // index in the page's source table
    const wchar_t* location = L""; // the source's Location text
    EntryPlace place = EntryPlace::Startup;
    bool switchable = true;    // false: the box always shows the stored state
    std::wstring declaredPublisher; // what the place itself says of the publisher, if anything
    bool savedEnabled = false; // runs at log-on, as read or as left by the last move
    bool checked = false;      // the box as the user has set it
    bool isNew = false;        // appeared after the first reading, while the program runs
    bool removed = false;      // no longer listed: the entry went away
    bool gone = false;         // an entry of a saved list that is no longer there, shown while compared
    // The program file behind the command and what is known of it, filled in
    // after the row is listed; asked for anew when the command changes.
    bool detailsKnown = false;
    std::wstring programFile;
    std::wstring publisher; // as the Publisher column shows it
    bool verified = false;
    bool windowsOwn = false; // verified as signed by Windows itself
    bool fileMissing = false;
    // When the entry last changed (LastChangeTime), read with the details;
    // 0 until they are in, and where Windows keeps no time.
    std::uint64_t changeTime = 0;
    // What the entry costs the log-on: none for a source whose entries start
    // before anyone logs on. The medians Windows measured of its program,
    // matched once the measurements are read and the row's program file is
    // known (`impactMatched`); a gone row keeps its saved impact texts, and
    // its saved time and hash.
    bool outsideLogOn = false;
    bool impactMatched = false;
    std::optional<ImpactFigures> impact;
    std::wstring goneImpact, goneCpuMs, goneDiskKB, goneTime, goneSha256;
};

// The row ids that one reading of the sources added, changed or removed.
// What finds the row's entry again: its id where it has one, else its name.
inline const std::wstring& EntryId(const StartupRow& row)
{
    return row.id.empty() ? row.name : row.id;
}

struct RowChanges {
    std::vector<std::size_t> added;
    std::vector<std::size_t> changed; // their text or their box
    std::vector<std::size_t> removed;
};

class StartupRowModel {
public:
    // Brings the rows of the sources in `read` in line with a fresh reading of
    // them. A row whose entry is still in the same place keeps its id and a
    // box the user changed; an entry without a row gets one, marked new unless
    // the first reading of its source had it; a row whose entry is no longer
    // there is removed. The rows of sources whose reading `failed` stay, and
    // such a source's next reading still marks nothing new.
    RowChanges Merge(const std::vector<StartupEntry>& entries, const std::vector<StartupSource>& sources,
                     SourceSet read = SourceSet::All(), const SourceSet& failed = {});

    std::size_t Size() const { return m_rows.size(); }
    const StartupRow& Row(std::size_t id) const { return m_rows.at(id); }

    // The box of a row as the list shows it; keeps the count of differing rows.
    void SetChecked(std::size_t id, bool checked);
    // After a successful move: the entry now stands switched on or off, as `command`.
    void SetMoved(std::size_t id, bool enabled, EntryPlace place, const std::wstring& command);
    // The row's entry went away; its box no longer counts.
    void Remove(std::size_t id);
    // What was found of the program file behind the row's command.
    void SetDetails(std::size_t id, const std::wstring& programFile, const FileDetails& details);
    // When the row's entry last changed, as read with its details.
    void SetChangeTime(std::size_t id, std::uint64_t changeTime) { m_rows.at(id).changeTime = changeTime; }
    // The Time column's text of the row (UtcTimeText; a gone row's as
    // saved); empty where it shows none.
    std::wstring TimeShown(std::size_t id) const;
    // The row as the saved list and the copied text show it.
    EntryReport Report(std::size_t id) const;
    // A row for an entry of a saved list that is no longer listed: shown as
    // saved, never switched, never read or moved; its id, which may be that
    // of a gone row ended before.
    std::size_t AddGone(const EntryReport& saved);
    // The comparison that showed the gone row ended: it is a removed row now,
    // whose texts are let go, and its id is free for another gone row.
    void EndGone(std::size_t id);
    // Lets go of the ended gone rows at the end of the rows, once the list
    // shows none of them: a comparison's rows do not outlast it.
    void ReleaseEndedRows();

    bool Differs(std::size_t id) const;
    std::size_t DifferingCount() const { return m_differing; }

    // Case-insensitive comparisons for the list's sort, in the user's
    // language's lower case, then character by character, so plain texts
    // sort as a byte-wise comparison in lower case does; negated when descending.
    int CompareProgram(std::size_t a, std::size_t b, bool ascending) const;
    int CompareLocation(std::size_t a, std::size_t b, bool ascending) const;
    // By impact, High first when ascending, rows without one last; rows of
    // the same impact by their Program.
    int CompareImpact(std::size_t a, std::size_t b, bool ascending) const;
    // By the time shown, newest first when ascending (as the first click on
    // the header sorts), rows without one last; rows of the same second by
    // their Program.
    int CompareTime(std::size_t a, std::size_t b, bool ascending) const;

    // The measurements of the recorded log-ons were read: from now on the
    // rows show their impact. In two steps, so that the matching can be done
    // on another thread: the rows to match (`ids`), every listed row whose
    // program file is known, and what they are matched by (matched all at
    // once, since whether rows share a program file decides how); then what
    // the matching found for them, which gives the ids of the rows whose
    // impact changed. A row that changed in between is not taken: rows whose
    // program file is known later ask for the measurements anew.
    std::vector<ImpactEntry> ImpactEntries(std::vector<std::size_t>& ids) const;
    std::vector<std::size_t> SetImpact(const std::vector<std::size_t>& ids, const std::vector<ImpactEntry>& entries,
                                       const std::vector<std::optional<ImpactFigures>>& figures);
    bool ImpactRead() const { return m_impactRead; }
    // Whether a listed row's program file became known since the last
    // matching, so that the measurements are wanted again.
    bool ImpactWanted() const;
    // The row's impact, nothing where the column shows none (yet).
    std::optional<StartupImpact> ImpactOf(std::size_t id) const;
    // The Start-Up Impact column's text of the row; empty where it shows none.
    std::wstring ImpactShown(std::size_t id) const;

private:
    std::size_t Add(const StartupEntry& entry, const StartupSource& source);
    const std::wstring& SortLocation(std::size_t id) const;
    // Runs `change` on the row and keeps the count of differing rows.
    template <class Change>
    void Update(std::size_t id, Change change);

    std::vector<StartupRow> m_rows;
    // Folded for the sort: each row's name by row id, each Location text by source.
    std::vector<std::wstring> m_sortNames;
    std::vector<std::wstring> m_sortLocations;
    // Gone rows' Location texts, as saved and folded for the sort, by row id;
    // and the ids of ended gone rows, free for the next ones.
    struct GoneLocation {
        std::wstring saved, folded;
    };
    std::unordered_map<std::size_t, GoneLocation> m_goneLocations;
    std::set<std::size_t> m_endedGone;
    std::size_t m_differing = 0;
    bool m_impactRead = false;
    // The sources read before, and every entry of each one's first reading,
    // by source and name: a source's first reading marks nothing new.
    SourceSet m_sourcesRead;
    std::unordered_set<std::wstring> m_firstRead;
};

// The text in the lower case of the user's language, as the sort and the
// list's filter compare texts.
std::wstring FoldedText(const std::wstring& text);

// The Publisher text of a row: what its place declares, where it declares
// something and the file is there, else what the file's details tell.
std::wstring PublisherShown(const std::wstring& declared, const FileDetails& details);
