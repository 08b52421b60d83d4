#pragma once
// The log-ons Windows recorded for the current user: the files
// <SID>_StartupInfo<n>.xml of %windir%\System32\WDI\LogFiles\StartupInfo,
// one for each of the last few log-ons (up to five, rotated).

#include "pages/startup/impact/StartupInfoFile.h"

#include <functional>
#include <string>
#include <vector>

struct StartupInfoReading {
    bool accessDenied = false; // the folder or a file could not be read for lack of rights
    std::vector<std::vector<MeasuredProcess>> logOns; // newest first, at most five
};

// Through fw::NativeSystemFolderPath(), so that the 32-bit program is not
// redirected to SysWOW64; empty when the system folder cannot be read.
std::wstring StartupInfoFolderPath();

// The process token's user SID as text (S-1-5-21-...); empty on failure.
std::wstring CurrentUserSid();

// The log-ons of the user `sid` recorded in `folder`: its files named
// <sid>_StartupInfo<digits>.xml (without regard to case; other users' files
// and other names are not looked at), the five last written, newest first,
// each file that is not such a document left out. A missing folder is no
// log-ons; a folder or file that could not be read for lack of rights says
// so in accessDenied.
StartupInfoReading ReadStartupInfo(const std::wstring& folder, const std::wstring& sid);

// The same log-ons, each handed to `take` as it is read and kept by none:
// what holds one log-on's processes at a time. True where a folder or file
// could not be read for lack of rights.
using LogOnTaker = std::function<void(std::vector<MeasuredProcess>&& processes)>;
bool ForEachStartupInfo(const std::wstring& folder, const std::wstring& sid, const LogOnTaker& take);
// The current user's, in the system's folder.
bool ForEachUserStartupInfo(const LogOnTaker& take);

