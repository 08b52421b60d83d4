#pragma once
// The start-up list as others read it: the CSV file that the user saves and
// the text that Copy puts on the clipboard.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

// One listed entry with its details, as the page has it.
struct EntryReport {
    std::wstring program, location, command, programFile, publisher;
    bool verified = false, enabled = false, fileExists = false;
    // What the entry costs the log-on, as the Start-Up Impact column shows it,
    // and the medians behind it in whole milliseconds of CPU and kilobytes of
    // disk I/O; each empty where there is none.
    std::wstring impact{}, cpuMs{}, diskKB{};
};

// The CSV file: UTF-8 with a byte-order mark, a header row, then a row for
// each entry (its texts, the three yes-or-no fields, then its impact and
// figures), lines ending in CRLF. A field is quoted when it holds a comma,
// quote, CR or LF (its quotes doubled), and begins with ' when it needs the
// formula guard (NeedsFormulaGuard), so that no spreadsheet takes it for a
// formula and the guard can be told from a text's own '.
std::string StartupListCsv(const std::vector<EntryReport>& entries);

// Whether a field of this text is written with a ' before it: it begins with
// = + - @, a tab or a CR, which a spreadsheet reads as a formula, or with ',
// so that a reader takes exactly one ' off where the rest needs the guard.
bool NeedsFormulaGuard(std::wstring_view text);

// The entries as tab-separated lines (Program, Location, Execution Path,
// Publisher, program file) with CRLF between them; tabs and line breaks
// inside a field become spaces, so the columns stay aligned.
std::wstring CopiedRowsText(const std::vector<EntryReport>& entries);

// Writes the CSV file to `path` whole, or leaves what stood there; returns
// ERROR_SUCCESS or the Win32 error.
DWORD SaveStartupList(const std::wstring& path, const std::vector<EntryReport>& entries);

// What the user is told when the list could not be saved.
std::wstring SaveFailureMessage(DWORD error);
