// The files of a Startup folder: what the shell starts at log-on. Switched
// off by moving them to a folder of Quorvane's own under the (all users')
// application data, with Windows' own switch where it has one.

#include "pages/startup/store/MoveSteps.h"
#include "pages/startup/store/PlaceKind.h"
#include "pages/startup/store/StartupFolders.h"

#include <algorithm>
#include <vector>

namespace {

bool FileExists(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Whether two files hold the same bytes; false when either cannot be read.
bool SameFileContent(const std::wstring& a, const std::wstring& b)
{
    auto open = [](const std::wstring& path) {
        return fw::UniqueFileHandle(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    };
    const fw::UniqueFileHandle first = open(a);
    const fw::UniqueFileHandle second = open(b);
    LARGE_INTEGER firstSize{};
    LARGE_INTEGER secondSize{};
    if (!first || !second || !::GetFileSizeEx(first.Get(), &firstSize) || !::GetFileSizeEx(second.Get(), &secondSize)
        || firstSize.QuadPart != secondSize.QuadPart)
        return false;
    std::vector<char> firstBytes(64 * 1024);
    std::vector<char> secondBytes(firstBytes.size());
    for (;;) {
        DWORD firstRead = 0;
        DWORD secondRead = 0;
        if (!::ReadFile(first.Get(), firstBytes.data(), static_cast<DWORD>(firstBytes.size()), &firstRead, nullptr)
            || !::ReadFile(second.Get(), secondBytes.data(), static_cast<DWORD>(secondBytes.size()), &secondRead,
                           nullptr)
            || firstRead != secondRead)
            return false;
        if (firstRead == 0)
            return true;
        if (!std::equal(firstBytes.begin(), firstBytes.begin() + firstRead, secondBytes.begin()))
            return false;
    }
}

// Creates the folder and the one above it, where missing.
bool CreateParkedFolder(StartupCalls& calls, const std::wstring& folder)
{
    const std::wstring parent = folder.substr(0, folder.rfind(L'\\'));
    for (const std::wstring& path : {parent, folder}) {
        const LONG status = calls.CreateFolder(path.c_str());
        if (status != ERROR_SUCCESS && status != ERROR_ALREADY_EXISTS)
            return false;
    }
    return true;
}

// Moves a file between a Startup folder and Quorvane's folder for it. The
// move is a rename, whole or not at all, and never replaces a file of the
// same name; when switching on, Windows' switch is written after it and the
// file goes back if that fails.
MoveResult MoveFolderEntry(const StartupSource& source, EntryPlace from, bool on, const std::wstring& name)
{
    StartupCalls& calls = ActiveCalls();
    const std::wstring startup = StartupFolderPath(source);
    const std::wstring parked = ParkedFolderPath(source);
    if (startup.empty() || parked.empty())
        return Refused(MoveOutcome::Failed);
    const std::wstring fromPath = (from == EntryPlace::Startup ? startup : parked) + L"\\" + name;
    if (!FileExists(fromPath))
        return Refused(MoveOutcome::Gone);

    WindowsSwitch windows(calls, source, name);
    if (on && !windows.Read())
        return Refused(MoveOutcome::Failed);
    if (from == EntryPlace::Startup && on) // switched off by Windows alone
        return windows.Enable() ? Moved(FileCommand(fromPath), EntryPlace::Startup) : Refused(MoveOutcome::Failed);

    const EntryPlace target = on ? EntryPlace::Startup : EntryPlace::Parked;
    const std::wstring toPath = (on ? startup : parked) + L"\\" + name;
    if (FileExists(toPath)) {
        if (!SameFileContent(fromPath, toPath))
            return SwitchOffInPlace(windows, on, FileCommand(fromPath));
        // The same file stands at the target already: the one here goes.
        if (windows.Enable() && calls.RemoveFile(fromPath.c_str()) == ERROR_SUCCESS)
            return Moved(FileCommand(toPath), target);
        windows.Restore();
        return Refused(MoveOutcome::Failed);
    }
    if ((!on && !CreateParkedFolder(calls, parked)) || calls.RenameFile(fromPath.c_str(), toPath.c_str()) != ERROR_SUCCESS)
        return Refused(MoveOutcome::Failed);
    if (windows.Enable())
        return Moved(FileCommand(toPath), target);
    calls.RenameFile(toPath.c_str(), fromPath.c_str());
    return Refused(MoveOutcome::Failed);
}

class FolderKind final : public PlaceKind {
public:
    const char* ReadingWork() const override { return "read: Startup folders"; }

    bool Switchable() const override { return true; }

    StartupValueList Read(const StartupSource& source, EntryPlace place) const override
    {
        return ReadFolderList(place == EntryPlace::Startup ? StartupFolderPath(source) : ParkedFolderPath(source));
    }

    MoveResult Switch(const StartupSource& source, EntryPlace from, const std::wstring& name, bool on) const override
    {
        return MoveFolderEntry(source, from, on, name);
    }

    // Both folders, and the key that says where the Startup folder is, in
    // the view it is read in.
    void Watch(const StartupSource& source, WatchList& list) const override
    {
        list.Folder(source, false);
        list.Folder(source, true);
        list.Key(source.hive, kUserShellFoldersKeyPath, source.view, false, true);
    }

    EntryAddress Address(const StartupSource& source, EntryPlace place, const std::wstring& name) const override
    {
        EntryAddress address;
        const std::wstring folder = place == EntryPlace::Startup ? StartupFolderPath(source) : ParkedFolderPath(source);
        address.file = folder + L"\\" + name;
        return address;
    }

    // A file of the folder is the program itself, quoted so that no shorter
    // path with a space wins.
    std::wstring DetailsCommand(const std::wstring&, const std::wstring& name,
                                const std::wstring& command) const override
    {
        const std::wstring ownPath = L"\\" + name;
        const bool fileItself = command.size() > ownPath.size()
                                && command.compare(command.size() - ownPath.size(), ownPath.size(), ownPath) == 0
                                && command.find(L'"') == std::wstring::npos;
        return fileItself ? L"\"" + command + L"\"" : command;
    }
};

} // namespace

const PlaceKind& FolderPlaces()
{
    static const FolderKind kind;
    return kind;
}
