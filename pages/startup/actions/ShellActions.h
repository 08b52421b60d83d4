#pragma once
// What the user can do with a start-up entry besides switching it: see its
// file in Explorer, open the file's Properties, go to the entry in Registry
// Editor, copy its text. None of them ever starts the entry's own program:
// under Wine a shell verb on an .exe runs it, whatever the verb, so the file
// is only ever handed to Explorer or to the shell's context-menu object.

#include <windows.h>

#include <functional>
#include <string>

// Explorer with the file at `path` (a full path) selected in its folder; when
// there is no such file, Explorer on its nearest folder that exists. False
// when nothing could be opened.
bool OpenFileLocation(const std::wstring& path);

// The file's Properties window, shown from a thread of its own that ends when
// the window closes: Wine holds the calling thread while the window is open,
// and the caller's windows must stay responsive. The thread is detached, so
// a window still open when the program ends goes with the process and never
// holds it. False when there is no such file or no thread could start.
bool ShowFileProperties(const std::wstring& path);
// How many Properties threads are running now.
int PropertiesThreadsRunning();

// Where an entry stands, for Jump to Entry: its registry key (hive, view and
// key path), or for a file in a Startup folder, no hive and the file.
struct EntryAddress {
    HKEY hive = nullptr;
    REGSAM view = 0;
    std::wstring keyPath;
    std::wstring file;
};

// The key as Registry Editor names it: the hive's full name and the path,
// the 32-bit view of the machine's software under WOW6432Node. Empty for a
// hive it does not show.
std::wstring RegistryEditorKeyPath(HKEY hive, const std::wstring& keyPath, REGSAM view);

// The text for Registry Editor's LastKey setting that opens `keyPath`, in the
// form the installed Registry Editor wrote last (`previous`): Windows' own
// puts the name of its root item, "Computer" in English, before the hive,
// Wine's puts the hive first. When `previous` shows neither, `defaultRoot`
// (with its closing backslash, or empty) goes before the hive.
std::wstring RegistryEditorLastKey(const std::wstring& keyPath, const std::wstring& previous,
                                   const std::wstring& defaultRoot);

// Registry Editor at the entry's key: an open Registry Editor that is idle is
// closed first (it would save its own last key as it closes, and a second
// start only brings the first forward), then its LastKey is set and it is
// started, the 64-bit one on 64-bit Windows. It cannot be told to select the
// value: LastKey names a key only. A folder entry: its file in Explorer.
bool JumpToEntry(const EntryAddress& entry);

// Puts `text` on the clipboard as CF_UNICODETEXT, owned by `owner`.
bool CopyTextToClipboard(HWND owner, const std::wstring& text);

// How the actions reach Explorer and Registry Editor; tests put stand-ins in
// their place. An empty member is the system's way.
struct ShellLaunchers {
    // SHOpenFolderAndSelectItems on the file.
    std::function<bool(const std::wstring& file)> showSelected;
    // explorer.exe started on the folder.
    std::function<bool(const std::wstring& folder)> openFolder;
    // Asks every idle Registry Editor window to close, and waits a while for it.
    std::function<void()> closeRegistryEditors;
    // Registry Editor started through the shell, which asks for elevation where it must.
    std::function<bool(const std::wstring& program)> startRegistryEditor;
};
void SetShellLaunchers(ShellLaunchers launchers);
