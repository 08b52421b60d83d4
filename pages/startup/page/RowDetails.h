#pragma once
// The details of the rows' program files: asked of the details worker, and
// brought into the row model as the answers come in. A row asked again
// before its answer came takes only the answer to its last request.

#include "pages/startup/details/DetailsWorker.h"
#include "pages/startup/page/StartupRows.h"

#include <windows.h>

#include <cstddef>
#include <vector>

class RowDetails {
public:
    // The worker posts `message` to `window` when answers are ready; a held
    // one starts only at Resume. It works on the runner's thread where it lends one.
    RowDetails(HWND window, UINT message, DetailsWorker::Examiner examine = ExamineFile, bool held = false,
               DetailsWorker::Runner runner = {});

    // A reading of every row begins: the files it does not name are forgotten.
    void StartNewSet() { m_worker.StartNewSet(); }
    void Resume() { m_worker.Resume(); }
    void Ask(const StartupRowModel& rows, const std::vector<StartupSource>& sources,
             const std::vector<std::size_t>& ids);
    // Brings the answers that are ready into `rows`; the ids of the rows
    // whose Publisher text, missing file, Windows signature or time changed.
    std::vector<std::size_t> Take(StartupRowModel& rows);
    bool Complete() const { return m_pending == 0; }

private:
    DetailsWorker m_worker;
    std::vector<unsigned> m_asked; // requests not answered yet, by row id
    std::size_t m_pending = 0;
};

// What the worker is asked for a row, as the kind of its place has it.
std::wstring DetailsCommand(const StartupRow& row, const StartupSource& source);

// The row for the saved list or the clipboard, its details and time found
// now if they are not in yet.
EntryReport CompleteReport(const StartupRowModel& rows, const std::vector<StartupSource>& sources, std::size_t id);
