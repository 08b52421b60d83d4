#include "pages/startup/actions/ListSnapshot.h"

#include "pages/startup/details/EntryTime.h"
#include "pages/startup/details/FileDetails.h"
#include "pages/startup/details/NativeFilePath.h"
#include "pages/startup/details/ProgramResolver.h"
#include "pages/startup/details/TrustLibraries.h"
#include "pages/startup/impact/ImpactMatching.h"
#include "pages/startup/impact/StartupInfoFolder.h"
#include "pages/startup/page/RowDetails.h"
#include "pages/startup/page/StartupRows.h"
#include "pages/startup/store/PlaceKind.h"
#include "pages/startup/store/StartupStore.h"

#include <unordered_map>

ListSnapshot ReadListSnapshot(const std::vector<StartupSource>& sources, bool withWindowsOwn)
{
    ListSnapshot snapshot;
    SourceSet failed;
    StartupRowModel rows;
    rows.Merge(ReadStartupEntries(sources, SourceSet::All(), &failed), sources);
    for (std::size_t source = 0; source < sources.size(); ++source)
        if (failed.Contains(source))
            snapshot.unread.emplace_back(sources[source].location);
    {
        // One load of the signature check's libraries for every file, and
        // one examination of a file however many entries run it.
        const TrustLibraries::Keeper keep;
        std::unordered_map<std::wstring, FileDetails> examined; // by FileKey
        for (std::size_t id = 0; id < rows.Size(); ++id) {
            const StartupRow& row = rows.Row(id);
            const StartupSource& source = sources.at(row.source);
            const std::wstring programFile = ResolveProgramFile(DetailsCommand(row, source));
            auto known = examined.find(FileKey(programFile));
            if (known == examined.end())
                known = examined.emplace(FileKey(programFile), ExamineFile(programFile)).first;
            rows.SetDetails(id, programFile, known->second);
            rows.SetChangeTime(id, LastChangeTime(EntryAddressOf(source, row.place, EntryId(row))));
        }
    }
    std::vector<std::size_t> ids;
    const std::vector<ImpactEntry> measured = rows.ImpactEntries(ids);
    ImpactMeasure measure(measured);
    if (!ForEachUserStartupInfo([&](std::vector<MeasuredProcess>&& processes) { measure.AddLogOn(processes); }))
        rows.SetImpact(ids, measured, measure.Figures());

    std::vector<EntryReport>& reports = snapshot.entries;
    reports.reserve(rows.Size());
    for (std::size_t id = 0; id < rows.Size(); ++id) {
        const StartupRow& row = rows.Row(id);
        if (!row.windowsOwn || withWindowsOwn)
            reports.push_back(rows.Report(id));
    }
    return snapshot;
}
