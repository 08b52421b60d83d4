#pragma once
// Reading back a start-up list that was saved as CSV (StartupListCsv) or as
// JSON Lines (StartupListJsonLines), so that today's list can be set beside it.

#include "pages/startup/actions/StartupReport.h"

#include <string>
#include <vector>

// The entries of a saved list, or why there are none: `error` is empty when
// the list was read, else the message for the user (and `entries` is empty).
struct SavedListReading {
    std::vector<EntryReport> entries;
    std::wstring error;
};

// The list in `bytes`, read as StartupListCsv writes it, with the formula
// guard taken off again. Also read: lists saved by earlier versions (eight
// fields, before the impact was measured; eleven, before times and hashes),
// a compared list (its Change last, its gone entries left out: they were not
// there when it was saved), no byte-order mark, lines ending in LF alone, no
// line ending after the last record. Refused with a message: text that is
// not UTF-8 or holds NUL bytes, another heading, broken quoting, a record of
// other than the heading's fields, anything but yes or no under the three
// yes-or-no fields, an impact that is none of the column's words, a figure
// that is not a whole number, a time or hash not as written, a change that
// is none of its words, more than 65,536 entries, more than 16 MiB. A list
// saved as JSON Lines is read too (StartupListJsonLines), each line's names
// as the heading has them.
SavedListReading ReadSavedList(const std::string& bytes);

// The list saved at `path`. A file over 16 MiB is refused without being read.
SavedListReading ReadSavedListFile(const std::wstring& path);
