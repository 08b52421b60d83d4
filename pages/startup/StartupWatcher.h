#pragma once
// Watches the keys and folders of the start-up sources from a thread of its
// own and tells a window when any of them changed. The thread sleeps until
// the registry or the file system signals a change or it is told to stop:
// there is no polling, and the window's thread never waits for it except to
// stop it.

#include "framework/UniqueHandle.h"
#include "pages/startup/StartupSources.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

class StartupWatcher {
public:
    // Posts `message` to `window` after a change; once, until Acknowledge.
    StartupWatcher(const std::vector<StartupSource>& sources, HWND window, UINT message);
    // Stops the thread and waits for it.
    ~StartupWatcher();
    StartupWatcher(const StartupWatcher&) = delete;
    StartupWatcher& operator=(const StartupWatcher&) = delete;

    // The window is about to read again: the sources that changed since the
    // last call. The next change posts anew.
    SourceSet TakeChanges()
    {
        m_posted.store(false);
        return m_changed.exchange(0);
    }

    // A key or folder that is watched; a missing one is watched through the
    // nearest existing parent until it appears.
    struct Place {
        HKEY hive = nullptr; // null for a folder
        std::wstring path;   // a key's path; a folder's is looked up at each arming
        REGSAM view = 0;
        SourceSet sources = 0; // whose entries or switches it holds
        bool subtree = false;  // changes of subkeys count too
        // A folder: its source, and whether it is where Quorvane keeps the switched-off files.
        const StartupSource* folderSource = nullptr;
        bool parkedFolder = false;
        // Where the Startup folders are: a change moves the folders watched.
        bool movesFolders = false;
    };

private:
    void Run(std::vector<Place> places);

    HWND m_window;
    UINT m_message;
    std::atomic<bool> m_posted{false};
    std::atomic<SourceSet> m_changed{0};
    fw::UniqueKernelHandle m_stop;
    std::thread m_thread;
};

// The keys and folders that hold the sources' entries and Windows' switches
// for them, each once, and the keys that say where the Startup folders are.
std::vector<StartupWatcher::Place> WatchedPlaces(const std::vector<StartupSource>& sources);
