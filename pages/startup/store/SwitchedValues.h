#pragma once
// What the kinds of place have in common whose entries are single registry
// values that Windows loads or starts outside the log-on (image hijacks,
// libraries): read on the sampling worker, read again on F5 and after a
// switch, and only command lines that say something are entries.

#include "pages/startup/store/LibraryFiles.h"
#include "pages/startup/store/PlaceKind.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The value's text where it is a command line (REG_SZ or REG_EXPAND_SZ) that
// is not empty; nothing otherwise.
std::optional<std::wstring> ReadCommandText(HKEY key, const wchar_t* name);

// The values of hive\path (in `view`) that are command lines and not empty,
// as ReadValueList lists them.
StartupValueList ReadCommandValues(HKEY hive, const wchar_t* path, REGSAM view);

// A number given as text, read as Windows reads a flag value stored so:
// leading blanks and a sign, then digits up to the first that is none; with
// `prefixes`, 0x, 0o or 0b before them say another base than ten.
std::uint32_t TextNumber(const std::wstring& text, bool prefixes);

// A move with no switch of Windows' own, for the kinds that move one value.
MoveResult MoveValue(const StartupSource& source, bool on, const std::wstring& key, const std::wstring& name,
                     const std::wstring& parkedName);
