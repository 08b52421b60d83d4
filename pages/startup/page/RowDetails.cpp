#include "pages/startup/page/RowDetails.h"

#include "pages/startup/details/EntryTime.h"
#include "pages/startup/details/ProgramResolver.h"
#include "pages/startup/store/PlaceKind.h"

#include <cstdint>
#include <utility>

RowDetails::RowDetails(HWND window, UINT message, DetailsWorker::Examiner examine, bool held,
                       DetailsWorker::Runner runner)
    : m_worker(window, message, std::move(examine), held, std::move(runner))
{
}

void RowDetails::Ask(const StartupRowModel& rows, const std::vector<StartupSource>& sources,
                     const std::vector<std::size_t>& ids)
{
    if (ids.empty())
        return;
    m_asked.resize(rows.Size(), 0);
    std::vector<DetailsRequest> requests;
    requests.reserve(ids.size());
    for (std::size_t id : ids) {
        const StartupRow& row = rows.Row(id);
        const StartupSource& source = sources.at(row.source);
        // The page's source table outlives the worker.
        requests.push_back({id, DetailsCommand(row, source),
                            [&source, place = row.place, entry = EntryId(row)] {
                                return EntryAddressOf(source, place, entry);
                            }});
        ++m_asked[id];
    }
    m_pending += ids.size();
    m_worker.Request(std::move(requests));
}

std::vector<std::size_t> RowDetails::Take(StartupRowModel& rows)
{
    std::vector<std::size_t> shownChanged;
    for (const DetailsResult& result : m_worker.TakeResults()) {
        --m_pending;
        if (result.row >= m_asked.size() || --m_asked[result.row] != 0)
            continue; // an answer to an earlier request of a row asked again
        const StartupRow& row = rows.Row(result.row);
        const bool shownBefore = row.detailsKnown;
        const std::wstring before = row.publisher;
        const bool missingBefore = row.fileMissing;
        const bool windowsBefore = row.windowsOwn;
        const std::uint64_t timeBefore = row.changeTime;
        rows.SetDetails(result.row, result.programFile, result.details);
        rows.SetChangeTime(result.row, result.changed);
        // A reading of everything asks again for every row: most answers change nothing shown.
        if (!shownBefore || before != row.publisher || missingBefore != row.fileMissing ||
            windowsBefore != row.windowsOwn || timeBefore != row.changeTime)
            shownChanged.push_back(result.row);
    }
    return shownChanged;
}

std::wstring DetailsCommand(const StartupRow& row, const StartupSource& source)
{
    return PlaceKindOf(source.kind).DetailsCommand(EntryId(row), row.name, row.command);
}

EntryReport CompleteReport(const StartupRowModel& rows, const std::vector<StartupSource>& sources, std::size_t id)
{
    EntryReport report = rows.Report(id);
    const StartupRow& row = rows.Row(id);
    if (!row.detailsKnown && !row.gone) {
        const StartupSource& source = sources.at(row.source);
        report.programFile = ResolveProgramFile(DetailsCommand(row, source));
        const FileDetails details = ExamineFile(report.programFile);
        report.publisher = PublisherShown(row.declaredPublisher, details);
        report.verified = details.signature.state == SignatureState::Verified;
        report.fileExists = details.stamp.exists;
        report.time = UtcTimeText(LastChangeTime(EntryAddressOf(source, row.place, EntryId(row))));
    }
    return report;
}
