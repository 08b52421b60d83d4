#pragma once
// Where an entry stands, as Registry Editor or Explorer shows it: the key of
// the value (in its hive and view), or the file in its folder.

#include "pages/startup/actions/ShellActions.h"
#include "pages/startup/store/StartupStore.h"

#include <string>

// The entry `name` of `source`, standing in `place`. Entries of numbered
// sections are values of the section's key ("0001\Depend\name").
EntryAddress EntryAddressOf(const StartupSource& source, EntryPlace place, const std::wstring& name);
