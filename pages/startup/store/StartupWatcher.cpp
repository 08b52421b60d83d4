#include "pages/startup/store/StartupWatcher.h"

#include "framework/MessageWait.h"
#include "pages/startup/store/PlaceKind.h"
#include "pages/startup/store/StartupFolders.h"

#include <algorithm>
#include <memory>

namespace {
constexpr DWORD kSettleMs = 30;
constexpr UINT_PTR kSettleTimer = 0x5157; // on the watched window, with a procedure of its own

// The watchers of this thread, which its settle timers find by their window.
std::vector<StartupWatcher*>& Watchers()
{
    thread_local std::vector<StartupWatcher*> watchers;
    return watchers;
}

std::wstring ParentPath(const std::wstring& path)
{
    const std::size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

} // namespace

// One watched place and the object that is signalled when it changes.
class StartupWatcher::Watch {
public:
    explicit Watch(Place place) : m_place(std::move(place))
    {
        if (m_place.hive)
            m_event.Reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
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

    const Place& Where() const { return m_place; }

    // What to wait on; null when nothing can be watched.
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
        const BOOL subtree = m_place.subtree ? TRUE : FALSE;
        if (m_keyItself
            && ::RegNotifyChangeKeyValue(m_key.Get(), subtree, kKeyChanges, m_event.Get(), TRUE) == ERROR_SUCCESS)
            return;
        std::wstring path = m_place.path;
        for (;;) {
            if (::RegOpenKeyExW(m_place.hive, path.c_str(), 0, KEY_NOTIFY | m_place.view, m_key.Put())
                == ERROR_SUCCESS)
                break;
            if (path.empty())
                return;
            path = ParentPath(path);
        }
        m_keyItself = path == m_place.path;
        ::RegNotifyChangeKeyValue(m_key.Get(), m_keyItself && subtree, m_keyItself ? kKeyChanges : REG_NOTIFY_CHANGE_NAME,
                                  m_event.Get(), TRUE);
    }

    void ArmFolder()
    {
        // Looked up anew each time: the user may have moved the folder.
        const StartupSource& source = *m_place.folderSource;
        const std::wstring folder = m_place.parkedFolder ? ParkedFolderPath(source) : StartupFolderPath(source);
        m_folder.Reset();
        for (std::wstring path = folder; !path.empty(); path = ParentPath(path)) {
            const DWORD filter = path == folder ? FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE
                                                      | FILE_NOTIFY_CHANGE_SIZE
                                                : FILE_NOTIFY_CHANGE_DIR_NAME;
            m_folder.Reset(::FindFirstChangeNotificationW(path.c_str(), FALSE, filter));
            if (m_folder)
                return;
        }
    }

    Place m_place;
    fw::UniqueKernelHandle m_event;
    fw::UniqueRegKey m_key;
    bool m_keyItself = false; // m_key is the watched key, not a parent waiting for it
    fw::UniqueChangeNotification m_folder;
};

namespace {
// Collects what the kinds ask to watch, each key once, with every source whose
// entries or switches it holds.
class PlaceList final : public WatchList {
public:
    void Key(HKEY hive, const wchar_t* path, REGSAM view, bool subtree, bool movesFolders) override
    {
        if (!path)
            return;
        const auto known = std::find_if(m_places.begin(), m_places.end(), [&](const StartupWatcher::Place& place) {
            return place.hive == hive && place.view == view && place.subtree == subtree
                   && ::lstrcmpiW(place.path.c_str(), path) == 0;
        });
        const bool isNew = known == m_places.end();
        StartupWatcher::Place& place = isNew ? m_places.emplace_back() : *known;
        if (isNew) {
            place.hive = hive;
            place.path = path;
            place.view = view;
            place.subtree = subtree;
        }
        place.sources |= m_current;
        place.movesFolders = place.movesFolders || movesFolders;
    }

    void Folder(const StartupSource& source, bool parked) override
    {
        StartupWatcher::Place& folder = m_places.emplace_back();
        folder.sources = m_current;
        folder.folderSource = &source;
        folder.parkedFolder = parked;
    }

    void SetCurrent(std::size_t index) { m_current = SourceSet::Of(index); }
    std::vector<StartupWatcher::Place> Take() { return std::move(m_places); }

private:
    std::vector<StartupWatcher::Place> m_places;
    SourceSet m_current;
};
} // namespace

std::vector<StartupWatcher::Place> WatchedPlaces(const std::vector<StartupSource>& sources)
{
    PlaceList places;
    for (std::size_t index = 0; index < sources.size(); ++index) {
        const StartupSource& source = sources[index];
        places.SetCurrent(index);
        PlaceKindOf(source.kind).Watch(source, places);
        // Windows' own switches for the entries, of any kind that has them.
        places.Key(source.hive, source.approvedKeyPath, source.approvedView, false, false);
    }
    return places.Take();
}

StartupWatcher::StartupWatcher(const std::vector<StartupSource>& sources, HWND window, UINT message)
    : m_window(window), m_message(message)
{
    for (Place& place : WatchedPlaces(sources)) {
        m_watches.push_back(std::make_unique<Watch>(std::move(place)));
        Rearm(*m_watches.back());
    }
    Watchers().push_back(this);
}

StartupWatcher::~StartupWatcher()
{
    if (m_settling)
        ::KillTimer(m_window, kSettleTimer);
    for (const auto& watch : m_watches)
        if (watch->Waitable())
            fw::RemoveWait(watch->Waitable());
    Watchers().erase(std::find(Watchers().begin(), Watchers().end(), this));
}

void StartupWatcher::Rearm(Watch& watch)
{
    const HANDLE before = watch.Waitable();
    watch.Arm();
    const HANDLE now = watch.Waitable();
    if (before && before != now)
        fw::RemoveWait(before);
    // A place that cannot be watched now is left out until the folders move.
    if (now)
        fw::AddWait(now, [this, &watch] { OnSignalled(watch); });
}

void StartupWatcher::OnSignalled(Watch& watch)
{
    m_changed |= watch.Where().sources;
    // Armed again before the window hears of it: a change from now on
    // signals anew, and everything before is there when it reads.
    Rearm(watch);
    if (watch.Where().movesFolders) {
        for (const auto& other : m_watches)
            if (other->Where().folderSource)
                Rearm(*other);
    }
    // Changes come in bursts (a program writing several values, the page's
    // own Apply): a short pause lets one reading take them all rather than
    // the registry being asked again after each.
    if (!m_settling)
        m_settling = ::SetTimer(m_window, kSettleTimer, kSettleMs, OnSettleTimer) != 0;
}

void StartupWatcher::OnSettled()
{
    ::KillTimer(m_window, kSettleTimer);
    m_settling = false;
    if (!m_changed.Empty() && !std::exchange(m_posted, true))
        ::PostMessageW(m_window, m_message, 0, 0);
}

void CALLBACK StartupWatcher::OnSettleTimer(HWND window, UINT, UINT_PTR, DWORD)
{
    for (StartupWatcher* watcher : Watchers()) {
        if (watcher->m_window == window) {
            watcher->OnSettled();
            return;
        }
    }
}
