// Packaged apps' start-up tasks (Store, MSIX): each of the user's packages
// whose manifest declares a task, the newest version of a package only;
// Windows keeps a task's state under the package family's key, and without
// one follows the manifest. Switched off and on by writing that state, as
// Windows' own Task Manager does; a state that a policy set stays as it is.

#include "framework/UniqueHandle.h"
#include "pages/startup/store/MoveSteps.h"
#include "pages/startup/store/PackageManifest.h"
#include "pages/startup/store/PlaceKind.h"

#include <shlwapi.h>

#include <algorithm>
#include <array>
#include <cwchar>
#include <iterator>
#include <optional>
#include <vector>

namespace {

// A task's state, as Windows writes it.
enum TaskState : DWORD {
    kDisabled = 0,
    kDisabledByUser = 1,
    kEnabled = 2,
    kDisabledByPolicy = 3,
    kEnabledByPolicy = 4,
};

// A package's family: its full name without version, architecture and resource.
std::wstring FamilyName(const std::wstring& fullName)
{
    const std::size_t first = fullName.find(L'_');
    const std::size_t last = fullName.rfind(L'_');
    if (first == std::wstring::npos || last == first)
        return fullName;
    return fullName.substr(0, first) + fullName.substr(last);
}

// A name as the user should read it: an "ms-resource:" name looked up in the
// package's resources (a bare key is one of its Resources), nothing where
// that fails.
std::wstring Readable(const std::wstring& fullName, const std::wstring& name)
{
    static const wchar_t kResource[] = L"ms-resource:";
    const std::size_t prefix = std::size(kResource) - 1;
    if (name.compare(0, prefix, kResource) != 0)
        return name;
    std::wstring key = name.substr(prefix);
    const std::wstring package = fullName.substr(0, fullName.find(L'_'));
    if (key.compare(0, 2, L"//") != 0)
        key = L"//" + package + (key.compare(0, 1, L"/") == 0 ? key : L"/Resources/" + key);
    const std::wstring indirect = L"@{" + fullName + L"?" + kResource + key + L"}";
    wchar_t text[512] = L"";
    if (FAILED(::SHLoadIndirectString(indirect.c_str(), text, static_cast<UINT>(std::size(text)), nullptr)))
        return {};
    return text;
}

std::wstring StateKeyPath(const std::wstring& id)
{
    return std::wstring(kPackageStateKeyPath) + L"\\" + id;
}

std::optional<DWORD> ReadState(const std::wstring& id)
{
    DWORD state = 0;
    DWORD size = sizeof(state);
    if (::RegGetValueW(HKEY_CURRENT_USER, StateKeyPath(id).c_str(), L"State", RRF_RT_REG_DWORD, nullptr, &state, &size)
        != ERROR_SUCCESS)
        return std::nullopt;
    return state;
}

// Every task of one package, as entries.
void AddTasks(HKEY packages, const std::wstring& fullName, StartupValueList& entries)
{
    fw::UniqueRegKey key;
    if (::RegOpenKeyExW(packages, fullName.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
        return;
    const std::optional<std::wstring> folder = ReadValueText(key.Get(), L"PackageRootFolder");
    if (!folder || folder->empty())
        return;
    const std::optional<PackageManifest> manifest = ReadPackageManifest(*folder + L"\\AppxManifest.xml");
    if (!manifest)
        return;
    const std::wstring family = FamilyName(fullName);
    const std::wstring packageName = Readable(fullName, manifest->displayName);
    for (const StartupTaskDeclaration& task : manifest->startupTasks) {
        StartupValue entry;
        entry.id = family + L"\\" + task.taskId;
        entry.name = Readable(fullName, task.displayName);
        if (entry.name.empty())
            entry.name = !packageName.empty() ? packageName : task.taskId;
        entry.command = L"\"" + *folder + L"\\" + task.executable + L"\"";
        if (!task.parameters.empty())
            entry.command += L" " + task.parameters;
        const std::optional<DWORD> state = ReadState(entry.id);
        const bool enabled = state ? (*state == kEnabled || *state == kEnabledByPolicy) : task.enabled;
        entry.offForWindows = !enabled;
        entry.fixed = state && (*state == kDisabledByPolicy || *state == kEnabledByPolicy);
        entry.publisher = manifest->publisherDisplayName;
        entries.push_back(std::move(entry));
    }
}

// A package's version, from its full name (Name_Version_Architecture_
// ResourceId_PublisherId): four numbers, compared as numbers.
std::array<unsigned long, 4> VersionOf(const std::wstring& fullName)
{
    std::array<unsigned long, 4> version{};
    const std::size_t start = fullName.find(L'_');
    if (start == std::wstring::npos)
        return version;
    const wchar_t* text = fullName.c_str() + start + 1;
    for (unsigned long& part : version) {
        wchar_t* end = nullptr;
        part = std::wcstoul(text, &end, 10);
        if (*end != L'.')
            break;
        text = end + 1;
    }
    return version;
}

// The user's packages, one of each family: the newest version installed,
// the one Windows runs while an update leaves an older one registered.
std::vector<std::wstring> NewestPackages(HKEY packages)
{
    std::vector<std::wstring> newest;
    for (std::wstring& fullName : SubkeyNames(packages)) {
        const auto same = std::find_if(newest.begin(), newest.end(), [&](const std::wstring& known) {
            return FamilyName(known) == FamilyName(fullName);
        });
        if (same == newest.end())
            newest.push_back(std::move(fullName));
        else if (VersionOf(fullName) > VersionOf(*same))
            *same = std::move(fullName);
    }
    return newest;
}

StartupValueList ReadTasks(const StartupSource& source)
{
    StartupValueList entries;
    fw::UniqueRegKey packages;
    if (::RegOpenKeyExW(source.hive, source.keyPath, 0, KEY_READ | source.view, packages.Put()) != ERROR_SUCCESS)
        return entries;
    for (const std::wstring& fullName : NewestPackages(packages.Get()))
        AddTasks(packages.Get(), fullName, entries);
    return entries;
}

class PackagedKind final : public PlaceKind {
public:
    const char* ReadingWork() const override { return "read: packaged apps"; }
    bool Switchable() const override { return true; }

    StartupValueList Read(const StartupSource& source, EntryPlace place) const override
    {
        return place == EntryPlace::Startup ? ReadTasks(source) : StartupValueList{};
    }

    // The task's state, written as Task Manager writes it: 2 to run it, 1 and
    // the time to keep it from running. Never over a policy's state.
    MoveResult Switch(const StartupSource& source, EntryPlace, const std::wstring& id, bool on) const override
    {
        std::optional<StartupValue> task;
        for (StartupValue& entry : ReadTasks(source))
            if (entry.id == id)
                task = std::move(entry);
        if (!task)
            return Refused(MoveOutcome::Gone);
        if (task->fixed)
            return Refused(MoveOutcome::Failed);
        StartupCalls& calls = ActiveCalls();
        fw::UniqueRegKey key;
        if (calls.CreateKey(HKEY_CURRENT_USER, StateKeyPath(id).c_str(), 0, key.Put()) != ERROR_SUCCESS)
            return Refused(MoveOutcome::Failed);
        if (!on) {
            FILETIME now{};
            ::GetSystemTimeAsFileTime(&now);
            const ULONGLONG time = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
            if (calls.SetValue(key.Get(), L"LastDisabledTime", REG_QWORD, reinterpret_cast<const BYTE*>(&time),
                               sizeof(time))
                != ERROR_SUCCESS)
                return Refused(MoveOutcome::Failed);
        }
        const DWORD state = on ? kEnabled : kDisabledByUser;
        if (calls.SetValue(key.Get(), L"State", REG_DWORD, reinterpret_cast<const BYTE*>(&state), sizeof(state))
            != ERROR_SUCCESS)
            return Refused(MoveOutcome::Failed);
        return Moved(task->command, EntryPlace::Startup);
    }

    // The packages, and the tasks' states.
    void Watch(const StartupSource& source, WatchList& list) const override
    {
        list.Key(source.hive, source.keyPath, source.view, true);
        list.Key(HKEY_CURRENT_USER, kPackageStateKeyPath, 0, true);
    }

    // A task is where its state is.
    EntryAddress Address(const StartupSource&, EntryPlace, const std::wstring& id) const override
    {
        EntryAddress address;
        address.hive = HKEY_CURRENT_USER;
        address.keyPath = StateKeyPath(id);
        return address;
    }
};

} // namespace

const PlaceKind& PackagedPlaces()
{
    static const PackagedKind kind;
    return kind;
}
