#include "app/WindowlessRun.h"

#include "app/ConsoleLine.h"
#include "pages/startup/actions/ListSnapshot.h"
#include "pages/startup/compare/ListComparison.h"
#include "pages/startup/compare/SavedList.h"
#include "pages/startup/details/FileHash.h"

#include <algorithm>
#include <optional>

namespace {

int Failed(const std::wstring& why)
{
    WriteConsoleLine(why, true);
    return kExitFailed;
}

std::wstring Counted(std::size_t count, const wchar_t* what)
{
    return std::to_wstring(count) + L" " + what;
}

} // namespace

int RunWithoutWindow(const CommandLineRequest& request)
{
    if (request.usage) {
        std::wstring usage = CommandLineUsage();
        usage.erase(usage.find_last_not_of(L"\r\n") + 1);
        WriteConsoleLine(usage, false);
        return kExitDone;
    }
    if (!request.error.empty())
        return Failed(request.error);

    std::optional<SavedListReading> saved;
    if (!request.compare.empty()) {
        saved = ReadSavedListFile(request.compare);
        if (!saved->error.empty())
            return Failed(request.compare + L": " + saved->error);
    }
    ListSnapshot snapshot = ReadListSnapshot(StartupSources(), request.all);
    // Without a place's entries the list would save as a machine without
    // them and compare as if they were gone: neither is done.
    if (!snapshot.unread.empty()) {
        std::wstring places;
        for (const std::wstring& place : snapshot.unread)
            places += (places.empty() ? L"" : L", ") + place;
        return Failed(L"Could not read every place of the start-up list (" + places +
                      L" did not answer): nothing was saved or compared.");
    }
    std::vector<EntryReport> list = std::move(snapshot.entries);
    // Hashes cost a read of every program file: worked out for a list that
    // is saved, or compared with one that holds them.
    if (!request.save.empty() || (saved && HoldsHashes(saved->entries)))
        AddProgramHashes(list);

    std::size_t found = 0;
    std::wstring said;
    if (saved) {
        list = ComparedList(std::move(list), saved->entries, found);
        for (const wchar_t* change : {L"new", L"changed", L"gone"}) {
            const auto count = std::count_if(list.begin(), list.end(),
                                             [&](const EntryReport& entry) { return entry.change == change; });
            said += (said.empty() ? L"" : L", ") + Counted(static_cast<std::size_t>(count), change);
        }
        said += L" since " + request.compare;
    }
    if (!request.save.empty()) {
        const DWORD error = SaveStartupList(request.save, list, saved.has_value());
        if (error != ERROR_SUCCESS)
            return Failed(request.save + L": " + SaveFailureMessage(error));
        const std::wstring saving = Counted(list.size(), list.size() == 1 ? L"entry" : L"entries") + L" saved to " +
                                    request.save;
        said = said.empty() ? L"The start-up list: " + saving : said + L"; the list of " + saving;
    }
    WriteConsoleLine(said + L".", false);
    return found > 0 ? kExitFound : kExitDone;
}
