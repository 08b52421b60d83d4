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
    // When the entry last changed, where Windows keeps a time (UtcTimeText),
    // and the SHA-256 of its program file in lower-case hex: each empty where
    // there is none (the hash is worked out only when a list is saved).
    std::wstring time{}, sha256{};
    // How it stands to a saved list it was compared with: "new", "changed",
    // "gone" or empty; written only in a compared list.
    std::wstring change{};
};

// The CSV file: UTF-8 with a byte-order mark, a header row, then a row for
// each entry (its texts, the three yes-or-no fields, its impact and figures,
// its time and hash, and, `compared`, its change), lines ending in CRLF. A field is quoted when it holds a comma,
// quote, CR or LF (its quotes doubled), and begins with ' when it needs the
// formula guard (NeedsFormulaGuard), so that no spreadsheet takes it for a
// formula and the guard can be told from a text's own '.
std::string StartupListCsv(const std::vector<EntryReport>& entries, bool compared = false);

// The names of the list's fields in order, as its CSV heading and its JSON
// Lines name them; the Change last where `compared`.
std::vector<std::wstring> StartupListFieldNames(bool compared = false);

// The same fields as JSON Lines: UTF-8 without a byte-order mark, one object
// an entry on a line of its own (LF), named as the CSV heading names them;
// the yes-or-no fields as true or false, the figures as numbers or null,
// every other field a string.
std::string StartupListJsonLines(const std::vector<EntryReport>& entries, bool compared = false);

// Whether a list saved at `path` is written as JSON Lines: its name ends in
// .json, in any case.
bool SavesAsJsonLines(const std::wstring& path);

// Whether a field of this text is written with a ' before it: it begins with
// = + - @, a tab or a CR, which a spreadsheet reads as a formula, or with ',
// so that a reader takes exactly one ' off where the rest needs the guard.
bool NeedsFormulaGuard(std::wstring_view text);

// The entries as tab-separated lines (Program, Location, Execution Path,
// Publisher, program file) with CRLF between them; tabs and line breaks
// inside a field become spaces, so the columns stay aligned.
std::wstring CopiedRowsText(const std::vector<EntryReport>& entries);

// Writes the list to `path` whole (as JSON Lines where SavesAsJsonLines,
// else as CSV), or leaves what stood there; returns ERROR_SUCCESS or the
// Win32 error.
DWORD SaveStartupList(const std::wstring& path, const std::vector<EntryReport>& entries, bool compared = false);

// What the user is told when the list could not be saved.
std::wstring SaveFailureMessage(DWORD error);
