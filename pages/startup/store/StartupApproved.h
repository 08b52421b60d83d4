#pragma once
// Windows' own switch for start-up entries, which its start-up settings
// write: under StartupApproved of each hive, a REG_BINARY value named like
// the entry, 12 bytes of a 4-byte flag and a FILETIME.

#include <windows.h>

#include <cstddef>

extern const wchar_t kApprovedRunKeyPath[];    // the user's Run key and the machine's 64-bit view
extern const wchar_t kApprovedRun32KeyPath[];  // the machine's 32-bit view
extern const wchar_t kApprovedFolderKeyPath[]; // files in the Startup folders

enum class ApprovedState { NoOpinion, Enabled, Disabled };

// An odd first flag byte disables the entry and an even one enables it; a
// value of another type or size says nothing.
ApprovedState DecodeStartupApproved(DWORD type, const BYTE* data, DWORD size);

// What switching an entry on writes where a disabling value stands: the
// flag 02 00 00 00 and a zero time.
constexpr std::size_t kApprovedValueSize = 12;
extern const BYTE kApprovedEnabledValue[kApprovedValueSize];

// What Windows' own tools write to switch an entry off: the flag 03 00 00 00
// and the time it was switched off.
void ApprovedDisabledValue(const FILETIME& when, BYTE (&value)[kApprovedValueSize]);
