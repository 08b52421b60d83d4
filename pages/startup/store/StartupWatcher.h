#pragma once
// Watches the keys and folders of the start-up sources and tells a window
// when any of them changed. The window's own message loop waits on the
// registry's and the file system's change notifications beside its messages
// (fw::AddWait): there is no polling and no thread of its own, which under
// Wine would cost a megabyte of memory for as long as the page lives.

#include "framework/UniqueHandle.h"
#include "pages/startup/store/StartupSources.h"

#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

class StartupWatcher {
public:
    // Posts `message` to `window` a short while after a change, so that one
    // reading takes a burst of changes; once, until TakeChanges. To be made
    // on the window's thread, whose message loop then follows the changes.
    StartupWatcher(const std::vector<StartupSource>& sources, HWND window, UINT message);
    ~StartupWatcher();
    StartupWatcher(const StartupWatcher&) = delete;
    StartupWatcher& operator=(const StartupWatcher&) = delete;

    // The window is about to read again: the sources that changed since the
    // last call. The next change posts anew.
    SourceSet TakeChanges()
    {
        m_posted = false;
        return std::exchange(m_changed, {});
    }

    // A key or folder that is watched; a missing one is watched through the
    // nearest existing parent until it appears.
    struct Place {
        HKEY hive = nullptr; // null for a folder
        std::wstring path;   // a key's path; a folder's is looked up at each arming
        REGSAM view = 0;
        SourceSet sources; // whose entries or switches it holds
        bool subtree = false;  // changes of subkeys count too
        // A folder: its source, and whether it is where Quorvane keeps the switched-off files.
        const StartupSource* folderSource = nullptr;
        bool parkedFolder = false;
        // Where the Startup folders are: a change moves the folders watched.
        bool movesFolders = false;
    };

private:
    class Watch;
    void OnSignalled(Watch& watch);
    // Arms the watch again and waits on what it waits on now.
    void Rearm(Watch& watch);
    void OnSettled();
    static void CALLBACK OnSettleTimer(HWND window, UINT, UINT_PTR, DWORD);

    HWND m_window;
    UINT m_message;
    bool m_posted = false;
    bool m_settling = false;
    SourceSet m_changed;
    std::vector<std::unique_ptr<Watch>> m_watches;
};

// The keys and folders that hold the sources' entries and Windows' switches
// for them, each once, and the keys that say where the Startup folders are.
std::vector<StartupWatcher::Place> WatchedPlaces(const std::vector<StartupSource>& sources);
