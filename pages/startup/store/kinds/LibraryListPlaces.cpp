// Places where one value (the source's valueName) lists libraries that
// Windows loads into its own programs, a row for each member: the Local
// Security Authority's packages (REG_MULTI_SZ), the security providers (a
// comma-separated text) and the network providers (a comma-separated
// ProviderOrder, each provider's library in its service's key). Listed,
// never switched: a wrong switch there can leave Windows unable to log on.
// Read once the window is drawn, and again on F5; nothing is watched.

#include "framework/UniqueHandle.h"
#include "pages/startup/store/LibraryFiles.h"
#include "pages/startup/store/MoveSteps.h"
#include "pages/startup/store/PlaceKind.h"
#include "pages/startup/store/RegistryValueText.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// A member that names nothing: blank, or only the quotes that Windows puts
// in an otherwise empty list ("").
bool Blank(const std::wstring& member)
{
    const std::wstring trimmed = TrimmedText(member);
    return trimmed.empty() || trimmed == L"\"\"";
}

// The members of the list, each once (as the registry compares names:
// without regard to case), trimmed, without blank ones, at most
// kMostLibraryEntries of them. A list of `commas` is text, its members
// separated by commas. Any other is a REG_MULTI_SZ, which ends at its first
// empty string as Windows reads it, or a text that is its one member. Any
// other type lists nothing.
std::vector<std::wstring> Members(const RawValue& value, bool commas)
{
    std::vector<std::wstring> members;
    auto add = [&](const std::wstring& member) {
        if (Blank(member) || members.size() >= kMostLibraryEntries)
            return;
        const std::wstring trimmed = TrimmedText(member);
        for (const std::wstring& listed : members)
            if (SameValueName(listed, trimmed))
                return;
        members.push_back(trimmed);
    };
    std::wstring all(value.bytes.size() / sizeof(wchar_t), L'\0');
    if (!all.empty())
        std::memcpy(all.data(), value.bytes.data(), all.size() * sizeof(wchar_t));
    if (value.type == REG_MULTI_SZ && !commas) {
        for (std::size_t pos = 0; pos < all.size() && members.size() < kMostLibraryEntries;) {
            const std::size_t end = std::min(all.find(L'\0', pos), all.size());
            if (end == pos)
                break;
            add(all.substr(pos, end - pos));
            pos = end + 1;
        }
        return members;
    }
    if (!IsTextValueType(value.type))
        return members;
    all.resize(std::min(all.find(L'\0'), all.size()));
    if (!commas) {
        add(all);
        return members;
    }
    for (std::size_t pos = 0; pos <= all.size() && members.size() < kMostLibraryEntries;) {
        const std::size_t comma = std::min(all.find(L',', pos), all.size());
        add(all.substr(pos, comma - pos));
        pos = comma + 1;
    }
    return members;
}

// The members of the source's value, as Members reads them.
std::vector<std::wstring> ListedMembers(const StartupSource& source, bool commas)
{
    fw::UniqueRegKey key;
    RawValue value;
    const std::wstring name = source.valueName ? source.valueName : L"";
    if (::RegOpenKeyExW(source.hive, source.keyPath, 0, KEY_READ | source.view, key.Put()) != ERROR_SUCCESS
        || ReadRawValue(SystemStartupCalls(), key.Get(), name, value) != Lookup::Found)
        return {};
    return Members(value, commas);
}

class ListKind : public UnwatchedKind {
public:

    // An entry is a member of the source's value.
    EntryAddress Address(const StartupSource& source, EntryPlace place, const std::wstring&) const override
    {
        return KeyAddress(source, place);
    }

    std::wstring DetailsCommand(const std::wstring&, const std::wstring&, const std::wstring& command) const override
    {
        return LibraryFile(command);
    }
};

// Packages whose libraries the Local Security Authority (or the security
// support provider interface) loads from the system folder, named as the list
// names them: the name is the entry, as stored.
class PackageListKind final : public ListKind {
public:
    PackageListKind(const char* work, bool commas) : m_work(work), m_commas(commas) {}

    const char* ReadingWork() const override { return m_work; }

    StartupValueList Read(const StartupSource& source, EntryPlace place) const override
    {
        StartupValueList entries;
        if (place != EntryPlace::Startup)
            return entries;
        for (const std::wstring& member : ListedMembers(source, m_commas))
            entries.push_back({member, member});
        return entries;
    }

private:
    const char* m_work;
    bool m_commas;
};

// The key of a network provider's library: its service's NetworkProvider key.
std::wstring ProviderKeyPath(const std::wstring& provider)
{
    return std::wstring(kServicesKeyPath) + L"\\" + provider + L"\\NetworkProvider";
}

// The providers that ProviderOrder names, in its order, each with the
// ProviderPath of its service's NetworkProvider key; one without is not loaded.
class NetworkProviderKind final : public ListKind {
public:
    const char* ReadingWork() const override { return "read: network providers"; }

    StartupValueList Read(const StartupSource& source, EntryPlace place) const override
    {
        StartupValueList entries;
        if (place != EntryPlace::Startup)
            return entries;
        for (const std::wstring& provider : ListedMembers(source, true)) {
            fw::UniqueRegKey key;
            if (::RegOpenKeyExW(source.hive, ProviderKeyPath(provider).c_str(), 0, KEY_READ | source.view,
                                key.Put())
                != ERROR_SUCCESS)
                continue;
            if (std::optional<std::wstring> library = LibraryText(key.Get(), L"ProviderPath"))
                entries.push_back({provider, std::move(*library)});
        }
        return entries;
    }

    EntryAddress Address(const StartupSource& source, EntryPlace place, const std::wstring& name) const override
    {
        EntryAddress address = KeyAddress(source, place);
        address.keyPath = ProviderKeyPath(name);
        return address;
    }
};

} // namespace

const PlaceKind& LsaPackagePlaces()
{
    static const PackageListKind kind("read: security packages", false);
    return kind;
}

const PlaceKind& SecurityProviderPlaces()
{
    static const PackageListKind kind("read: security providers", true);
    return kind;
}

const PlaceKind& NetworkProviderPlaces()
{
    static const NetworkProviderKind kind;
    return kind;
}
