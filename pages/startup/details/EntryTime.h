#pragma once
// When a start-up entry last changed, where Windows keeps a time of it: the
// last write of the registry key that holds it, or of its file (a shortcut,
// a task's definition). Said in UTC, as a list for many machines wants it.

#include "pages/startup/actions/ShellActions.h"

#include <cstdint>
#include <string>

// The time as FILETIME counts it (100 ns since 1601, UTC); 0 where the key
// or file cannot be read, or the address names neither. A file is reached
// as the system sees it (NativeFilePath).
std::uint64_t LastChangeTime(const EntryAddress& address);

// "2026-12-08T23:25:55Z": to the second, in UTC; empty for 0.
std::wstring UtcTimeText(std::uint64_t fileTime);
