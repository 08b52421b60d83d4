#pragma once
// The Startup folders: where they are, what their files run, and where
// Quorvane keeps the files that the user switched off.

#include "pages/startup/store/StartupStore.h"

#include <functional>
#include <string>

// The path of a folder known by its CSIDL, without a closing backslash; empty
// when there is none. The Startup folders are looked up where the user may
// have moved them (User Shell Folders) at every call, so a moved folder is
// found without a new start; `view` is the registry view of the key that
// says so (User Shell Folders).
std::wstring KnownFolderPath(int csidl, REGSAM view = 0);

// Tests put scratch folders in place of the known ones (an empty path leaves
// that folder to the system); an empty function goes back to the system's.
void SetKnownFolderPathsForTesting(std::function<std::wstring(int csidl)> paths);

// Where Windows finds the source's files, and where the switched-off ones are kept.
std::wstring StartupFolderPath(const StartupSource& source);
std::wstring ParkedFolderPath(const StartupSource& source);

// Every file of the folder, named by its file name, with what it runs; no
// sub-folders, and not the folder's own desktop.ini. Empty when the folder is
// missing.
StartupValueList ReadFolderList(const std::wstring& folder);

// What a file in a Startup folder starts: a shortcut's target, quoted when it
// holds a space, and its arguments; for any other file its own path.
std::wstring FileCommand(const std::wstring& path);
