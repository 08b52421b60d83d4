#pragma once
// How the entries of one kind of place are read, switched, watched and
// addressed. Each kind is a file of its own (store/kinds/); the source table
// gives every source its kind, so a new kind of place is one file, a line
// here and rows in the table.

#include "framework/UniqueHandle.h"
#include "pages/startup/actions/ShellActions.h"
#include "pages/startup/store/StartupMoves.h"
#include "pages/startup/store/StartupStore.h"

#include <windows.h>

#include <string>
#include <vector>

// What a kind asks the watcher to follow for one source.
class WatchList {
public:
    virtual ~WatchList() = default;
    // A key of the source; with `subtree` changes of its subkeys count too.
    // `movesFolders`: it says where the Startup folders are.
    virtual void Key(HKEY hive, const wchar_t* path, REGSAM view, bool subtree = false, bool movesFolders = false) = 0;
    // The source's Startup folder, or (parked) Quorvane's folder for its switched-off files.
    virtual void Folder(const StartupSource& source, bool parked) = 0;
};

class PlaceKind {
public:
    virtual ~PlaceKind() = default;
    // What reading places of this kind is timed as, for the start-up benchmark.
    virtual const char* ReadingWork() const = 0;
    // Whether the user can switch the entries off and on.
    virtual bool Switchable() const { return false; }
    // Whether reading the places asks other processes, at a cost the window
    // should not wait for: they are read on the sampling worker once the
    // window is drawn, and their entries follow. Reading them must not
    // depend on the thread.
    virtual bool ReadInBackground() const { return false; }
    // The entries standing at one of the source's places: where Windows finds
    // them, or where Quorvane keeps the switched-off ones.
    virtual StartupValueList Read(const StartupSource& source, EntryPlace place) const = 0;
    // Switches the entry `name`, standing in `from`, on or off (see SwitchEntry).
    // Asked of switchable kinds only, and only for a change of state.
    virtual MoveResult Switch(const StartupSource& source, EntryPlace from, const std::wstring& name,
                              bool on) const;
    // What a switch of the entry `id` switches with it: the entries of every
    // source whose key is the same (a task's programs and triggers, which one
    // switch of the task changes together); empty where it is the entry alone.
    virtual std::wstring SwitchKey(const std::wstring& id) const
    {
        (void)id;
        return {};
    }
    // The keys and folders that hold the source's entries.
    virtual void Watch(const StartupSource& source, WatchList& list) const = 0;
    // Where the entry `name` stands, as Registry Editor or Explorer shows it.
    virtual EntryAddress Address(const StartupSource& source, EntryPlace place, const std::wstring& name) const = 0;
    // What the details are found for: an entry's command, as a rule. `id`
    // finds the entry again (see EntryId), `name` is the one shown.
    virtual std::wstring DetailsCommand(const std::wstring& id, const std::wstring& name,
                                        const std::wstring& command) const
    {
        (void)id;
        (void)name;
        return command;
    }
};

// A kind whose entries are values of the source's key (and of its disabled
// key, where it has one): both are watched, and an entry is addressed by its key.
class KeyPlaceKind : public PlaceKind {
public:
    void Watch(const StartupSource& source, WatchList& list) const override;
    EntryAddress Address(const StartupSource& source, EntryPlace place, const std::wstring& name) const override;
};

// A kind read once the window is drawn, on the sampling worker, and
// followed by no change notification: the window's thread waits on too few
// handles to follow every place; its entries are read again on F5.
class UnwatchedKind : public PlaceKind {
public:
    bool ReadInBackground() const override { return true; }
    void Watch(const StartupSource&, WatchList&) const override {}
};

// Such a kind whose every entry is a subkey of the source's key, named as
// the subkey and addressed by it.
class SubkeyPlaceKind : public UnwatchedKind {
public:
    EntryAddress Address(const StartupSource& source, EntryPlace place, const std::wstring& name) const override;
};

const PlaceKind& PlaceKindOf(StartupKind kind);

// The kinds, each defined in its own file.
const PlaceKind& RunPlaces();
const PlaceKind& RunOncePlaces();
const PlaceKind& RunOnceExPlaces();
const PlaceKind& FolderPlaces();
const PlaceKind& ValuePlaces();
const PlaceKind& ScriptPlaces();
const PlaceKind& ActiveSetupPlaces();
const PlaceKind& PackagedPlaces();
const PlaceKind& ServicePlaces();
const PlaceKind& TaskPlaces(bool boot);
// Libraries and providers that Windows' own services load, and drivers.
const PlaceKind& WinlogonNotifyPlaces();
const PlaceKind& GroupPolicyExtensionPlaces();
const PlaceKind& LsaPackagePlaces();
const PlaceKind& SecurityProviderPlaces();
const PlaceKind& PrintMonitorPlaces();
const PlaceKind& PrintProcessorPlaces();
const PlaceKind& NetworkProviderPlaces();
const PlaceKind& WinsockProviderPlaces();
const PlaceKind& TimeProviderPlaces();
const PlaceKind& CodecPlaces();
const PlaceKind& ShimDatabasePlaces();
const PlaceKind& ShimProgramPlaces();
const PlaceKind& DriverPlaces();
// Classes that Windows, Explorer and Office load, and the user's classes that shadow the machine's.
const PlaceKind& ClassKeyPlaces(bool machineClasses);
const PlaceKind& ClassValuePlaces(bool classInName);
const PlaceKind& HandlerPlaces(bool contextMenu);
const PlaceKind& OfficeAddInPlaces();
const PlaceKind& ComHijackPlaces();
// Image hijacks, libraries and single values switched by moving them.
const PlaceKind& DebuggerPlaces();
const PlaceKind& ExitMonitorPlaces();
const PlaceKind& AutoRunPlaces();
const PlaceKind& OpenCommandPlaces();
const PlaceKind& AppInitPlaces();
const PlaceKind& AppCertPlaces();
const PlaceKind& NetshHelperPlaces();
const PlaceKind& ScreenSaverPlaces();
const PlaceKind& OfficeTestPlaces();

// Tests list and switch only the services that `visible` lets through (the
// ones they make), never the machine's own; nullptr: every service.
void SetServiceFilterForTesting(bool (*visible)(const wchar_t* name));

// Opens the source's key where Windows reads its entries, in its hive and
// view, for a kind that keeps no switched-off entries of its own: false for
// the parked place, and where the key cannot be opened.
bool OpenStartupKey(const StartupSource& source, EntryPlace place, fw::UniqueRegKey& key);

// The names of the subkeys of an open key, in enumeration order; none that
// holds a NUL, which the registry's calls cannot open.
std::vector<std::wstring> SubkeyNames(HKEY key);

// The address of a value of a source's key (or, parked, of its disabled key).
EntryAddress KeyAddress(const StartupSource& source, EntryPlace place);

// Where the entry `name` of `source`, standing in `place`, is: the key of the
// value (in its hive and view), or the file in its folder.
EntryAddress EntryAddressOf(const StartupSource& source, EntryPlace place, const std::wstring& name);
