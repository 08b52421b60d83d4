#pragma once
// Reading the start-up entries of every source: the places Windows reads and
// the places where Quorvane keeps the entries the user switched off. Nothing
// is cached; every call reads what stands there now. All text is UTF-16, as
// the registry and the file system store it.

#include "pages/startup/store/StartupSources.h"

#include <windows.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct StartupValue {
    StartupValue() = default;
    StartupValue(std::wstring valueName, std::wstring valueCommand, bool text = true)
        : name(std::move(valueName)), command(std::move(valueCommand)), isText(text)
    {
    }

    std::wstring name;    // the value's name: the program's name in the key
    std::wstring command; // text data up to its first NUL, or a rendering of non-text data
    bool isText = true;   // REG_SZ or REG_EXPAND_SZ; other types are shown but never moved
    // What kinds of place whose entries are more than a value say of one:
    // what finds it again where its name is only shown (empty: the name)...
    std::wstring id;
    // ...that Windows does not run it though it stands where Windows looks,
    // that its state cannot be changed here (a policy holds it, or its name
    // cannot be addressed), and who published it by its own account.
    bool offForWindows = false;
    bool fixed = false;
    std::wstring publisher;
};

// What finds the entry again: its id where it has one, else its name.
inline const std::wstring& EntryId(const StartupValue& value)
{
    return value.id.empty() ? value.name : value.id;
}

using StartupValueList = std::vector<StartupValue>;

// Every value of an open key, whatever the length of its names and data, in
// enumeration order. Unnamed values are included. A name holding a NUL, which
// the registry's calls cannot address (they end a name at its first NUL, the
// name of another value), is shown with each NUL as the two characters \0;
// its id is the name as the registry counts it, and it is fixed.
StartupValueList ReadKeyValues(HKEY key);

// The text of the value `name` of an open key, whatever its length, as a list
// shows it; nothing when there is no such value.
std::optional<std::wstring> ReadValueText(HKEY key, const wchar_t* name);

// The text of a value of type REG_SZ or REG_EXPAND_SZ (`name` null: the
// default value), whatever its length; nothing for a missing value or one of
// another type.
std::optional<std::wstring> ReadTextValue(HKEY key, const wchar_t* name);

// Every value of hive\keyPath in the given view, whatever the length of its
// name and data, in enumeration order; empty when the key is missing or
// cannot be read. Unnamed values are included.
StartupValueList ReadValueList(HKEY hive, const wchar_t* keyPath, REGSAM view = 0);

// Where an entry stands: where Windows finds it, or where Quorvane keeps it
// while it is switched off.
enum class EntryPlace { Startup, Parked };

struct StartupEntry {
    std::size_t source = 0; // index in the source table that was read
    EntryPlace place = EntryPlace::Startup;
    StartupValue value;
    // Where Windows finds it, but its own start-up settings switch it off.
    bool offForWindows = false;
};

// The entries of the sources in `which`: first those in the places Windows
// reads, then the switched-off ones, each group in the order of the sources.
// The sources whose reading could not be had (see ReportReadingFailed) go
// into `failed`, where given: what they gave is no account of their entries.
std::vector<StartupEntry> ReadStartupEntries(const std::vector<StartupSource>& sources,
                                             SourceSet which = SourceSet::All(), SourceSet* failed = nullptr);

// Said by a kind of place, within its reading of a source, when what holds
// the entries did not answer (a service that lists them refused): the
// source's reading failed, which is not the same as a source without entries.
void ReportReadingFailed();

// Within one reading of sources (a call of ReadStartupEntries) on this
// thread, what `make` gave the first time it was asked for under `key`, so
// that the sources of one kind share one listing; dropped when the reading
// ends. Outside a reading, `make` runs at each call.
std::shared_ptr<const void> SharedInReading(const void* key, const std::function<std::shared_ptr<const void>()>& make);

// The command line of a program and its arguments: the program quoted where
// it holds a space and is not quoted yet, so that no shorter path wins.
std::wstring CommandLine(const std::wstring& program, const std::wstring& arguments);

// Registry value names compared as the registry compares them: without
// regard to case.
bool SameValueName(const std::wstring& a, const std::wstring& b);
