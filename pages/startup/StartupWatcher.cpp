#include "pages/startup/StartupWatcher.h"

#include "pages/startup/StartupFolders.h"

#include <algorithm>
#include <memory>

namespace {
constexpr DWORD kSettleMs = 30;

std::string ParentPath(const std::string& path)
{
    const std::size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// One watched place and the object that is signalled when it changes.
class Watch {
public:
    explicit Watch(StartupWatcher::Place place) : m_place(std::move(place))
    {
        if (m_place.hive)
            m_event.Reset(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    }

    // Asks to be signalled at the next change. A missing key or folder is
    // watched for new children in the nearest parent that exists.
    void Arm()
    {
        if (m_place.hive)
            ArmKey();
        else
            ArmFolder();
    }

    // What to wait on; null when nothing can be watched.
    SourceSet Sources() const { return m_place.sources; }

    HANDLE Waitable() const
    {
        if (m_place.hive)
            return m_event.Get();
        return m_folder ? m_folder.Get() : nullptr;
    }

private:
    void ArmKey()
    {
        // The key itself stays open while it exists; asking again is enough.
        constexpr DWORD kKeyChanges = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;
        if (m_keyItself && ::RegNotifyChangeKeyValue(m_key.Get(), FALSE, kKeyChanges, m_event.Get(), TRUE)
                               == ERROR_SUCCESS)
            return;
        std::string path = m_place.path;
        for (;;) {
            if (::RegOpenKeyExA(m_place.hive, path.c_str(), 0, KEY_NOTIFY | m_place.view, m_key.Put())
                == ERROR_SUCCESS)
                break;
            if (path.empty())
                return;
            path = ParentPath(path);
        }
        m_keyItself = path == m_place.path;
        ::RegNotifyChangeKeyValue(m_key.Get(), FALSE, m_keyItself ? kKeyChanges : REG_NOTIFY_CHANGE_NAME,
                                  m_event.Get(), TRUE);
    }

    void ArmFolder()
    {
        for (std::string path = m_place.path; !path.empty(); path = ParentPath(path)) {
            const DWORD filter = path == m_place.path
                                     ? FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE
                                           | FILE_NOTIFY_CHANGE_SIZE
                                     : FILE_NOTIFY_CHANGE_DIR_NAME;
            m_folder.Reset(::FindFirstChangeNotificationA(path.c_str(), FALSE, filter));
            if (m_folder)
                return;
        }
    }

    StartupWatcher::Place m_place;
    fw::UniqueKernelHandle m_event;
    fw::UniqueRegKey m_key;
    bool m_keyItself = false; // m_key is the watched key, not a parent waiting for it
    fw::UniqueChangeNotification m_folder;
};
} // namespace

std::vector<StartupWatcher::Place> WatchedPlaces(const std::vector<StartupSource>& sources)
{
    std::vector<StartupWatcher::Place> places;
    SourceSet current = 0;
    auto add = [&](HKEY hive, const std::string& path, REGSAM view) {
        if (path.empty())
            return;
        const auto known = std::find_if(places.begin(), places.end(), [&](const StartupWatcher::Place& place) {
            return place.hive == hive && place.view == view && ::lstrcmpiA(place.path.c_str(), path.c_str()) == 0;
        });
        if (known != places.end())
            known->sources |= current;
        else
            places.push_back({hive, path, view, current});
    };
    for (std::size_t index = 0; index < sources.size(); ++index) {
        const StartupSource& source = sources[index];
        current = SourceBit(index);
        if (source.kind == StartupKind::Folder) {
            add(nullptr, StartupFolderPath(source), 0);
            add(nullptr, ParkedFolderPath(source), 0);
        } else {
            add(source.hive, source.keyPath, source.view);
            if (IsSwitchable(source))
                add(source.hive, kDisabledKeyPath, source.view);
        }
        if (source.approvedKeyPath)
            add(source.hive, source.approvedKeyPath, source.approvedView);
    }
    return places;
}

StartupWatcher::StartupWatcher(const std::vector<StartupSource>& sources, HWND window, UINT message)
    : m_window(window), m_message(message), m_stop(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
    // Folder paths are worked out here, on the caller's thread.
    if (m_stop)
        m_thread = std::thread(&StartupWatcher::Run, this, WatchedPlaces(sources));
}

StartupWatcher::~StartupWatcher()
{
    if (m_thread.joinable()) {
        ::SetEvent(m_stop.Get());
        m_thread.join();
    }
}

void StartupWatcher::Run(std::vector<Place> places)
{
    std::vector<std::unique_ptr<Watch>> watches;
    // The stop event comes first, so it wins when several objects are signalled.
    std::vector<HANDLE> waitables{m_stop.Get()};
    for (Place& place : places) {
        if (waitables.size() == MAXIMUM_WAIT_OBJECTS)
            break;
        auto watch = std::make_unique<Watch>(std::move(place));
        watch->Arm();
        if (!watch->Waitable())
            continue;
        waitables.push_back(watch->Waitable());
        watches.push_back(std::move(watch));
    }

    for (;;) {
        const DWORD signalled =
            ::WaitForMultipleObjects(static_cast<DWORD>(waitables.size()), waitables.data(), FALSE, INFINITE);
        const DWORD index = signalled - WAIT_OBJECT_0;
        if (index == 0 || index >= waitables.size())
            return; // stopped, or waiting failed
        // Changes come in bursts (a program writing several values, the
        // page's own Apply): a short pause lets one reading take them all
        // rather than the registry being asked again after each.
        if (::WaitForSingleObject(m_stop.Get(), kSettleMs) != WAIT_TIMEOUT)
            return;
        Watch& watch = *watches[index - 1];
        m_changed.fetch_or(watch.Sources());
        // Armed again before the window hears of it: a change from now on
        // signals anew, and everything before is there when it reads.
        watch.Arm();
        if (watch.Waitable()) {
            waitables[index] = watch.Waitable();
        } else {
            waitables.erase(waitables.begin() + index);
            watches.erase(watches.begin() + (index - 1));
        }
        if (!m_posted.exchange(true))
            ::PostMessageA(m_window, m_message, 0, 0);
    }
}
