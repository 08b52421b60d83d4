#pragma once
// The Startup folders: where they are, what their files run, and where
// Quorvane keeps the files that the user switched off.

#include "pages/startup/StartupStore.h"

#include <functional>
#include <string>

// The path of a folder known by its CSIDL, without a closing backslash; empty
// when there is none.
std::string KnownFolderPath(int csidl);

// Tests put scratch folders in place of the known ones; an empty function
// goes back to the system's.
void SetKnownFolderPathsForTesting(std::function<std::string(int csidl)> paths);

// Where Windows finds the source's files, and where the switched-off ones are kept.
std::string StartupFolderPath(const StartupSource& source);
std::string ParkedFolderPath(const StartupSource& source);

// Every file of the folder, named by its file name, with what it runs; no
// sub-folders, and not the folder's own desktop.ini. Empty when the folder is
// missing.
StartupValueList ReadFolderList(const std::string& folder);

// What a file in a Startup folder starts: a shortcut's target, quoted when it
// holds a space, and its arguments; for any other file its own path.
std::string FileCommand(const std::string& path);
