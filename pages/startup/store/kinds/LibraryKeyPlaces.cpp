// Places where each entry is a subkey that names, in one of its values (the
// source's valueName), a library or database that Windows loads into its own
// programs: Winlogon's notification packages, Group Policy's client-side
// extensions, the spooler's print monitors and print processors, Winsock's
// name-space providers, the time service's providers and the installed
// compatibility databases. Listed, never switched: a wrong switch there can
// leave Windows unable to start or log on. Read once the window is drawn,
// and again on F5; nothing is watched.

#include "framework/UniqueHandle.h"
#include "pages/startup/store/LibraryFiles.h"
#include "pages/startup/store/PlaceKind.h"

namespace {

struct Shape {
    const char* work;
    // The value whose text names the entry where it has one (L"": the
    // default value); null, or blank text: the subkey's name.
    const wchar_t* nameValue = nullptr;
    // Where set, a REG_DWORD that must be 1 for Windows to load the entry.
    const wchar_t* enabledValue = nullptr;
    // Where set, the entries are the subkeys of this subkey of each subkey
    // (Print Processors of each environment), named "<outer>\<inner>".
    const wchar_t* within = nullptr;
};

bool Enabled(HKEY key, const wchar_t* name)
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    return ::RegGetValueW(key, nullptr, name, RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS
           && value == 1;
}

class LibraryKeyKind : public UnwatchedKind {
public:
    explicit LibraryKeyKind(Shape shape) : m_shape(shape) {}

    const char* ReadingWork() const override { return m_shape.work; }

    StartupValueList Read(const StartupSource& source, EntryPlace place) const override
    {
        StartupValueList entries;
        fw::UniqueRegKey key;
        if (!OpenStartupKey(source, place, key))
            return entries;
        for (const std::wstring& name : SubkeyNames(key.Get())) {
            if (entries.size() >= kMostLibraryEntries)
                break;
            if (!m_shape.within) {
                ReadEntry(source, key.Get(), name, name, entries);
                continue;
            }
            fw::UniqueRegKey inner;
            if (::RegOpenKeyExW(key.Get(), (name + L"\\" + m_shape.within).c_str(), 0, KEY_READ | source.view,
                                inner.Put())
                != ERROR_SUCCESS)
                continue;
            for (const std::wstring& innerName : SubkeyNames(inner.Get())) {
                if (entries.size() >= kMostLibraryEntries)
                    break;
                ReadEntry(source, inner.Get(), innerName, name + L"\\" + innerName, entries);
            }
        }
        return entries;
    }

    // An entry is its subkey.
    EntryAddress Address(const StartupSource& source, EntryPlace place, const std::wstring& name) const override
    {
        EntryAddress address = KeyAddress(source, place);
        std::wstring path = name;
        const std::size_t outer = path.find(L'\\');
        if (m_shape.within && outer != std::wstring::npos)
            path.insert(outer, std::wstring(L"\\") + m_shape.within);
        address.keyPath += L"\\" + path;
        return address;
    }

    std::wstring DetailsCommand(const std::wstring&, const std::wstring&, const std::wstring& command) const override
    {
        return LibraryFile(command);
    }

private:
    // The entry of the subkey `name` of `parent`, found again by `id`.
    void ReadEntry(const StartupSource& source, HKEY parent, const std::wstring& name, const std::wstring& id,
                   StartupValueList& entries) const
    {
        fw::UniqueRegKey key;
        if (::RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ | source.view, key.Put()) != ERROR_SUCCESS)
            return;
        std::optional<std::wstring> library = LibraryText(key.Get(), source.valueName);
        if (!library || (m_shape.enabledValue && !Enabled(key.Get(), m_shape.enabledValue)))
            return;
        const std::optional<std::wstring> shown =
            m_shape.nameValue ? LibraryText(key.Get(), m_shape.nameValue) : std::nullopt;
        StartupValue entry(shown ? *shown : id, std::move(*library));
        if (shown)
            entry.id = id;
        entries.push_back(std::move(entry));
    }

    Shape m_shape;
};

// A print processor's library is found in its environment's own folder,
// spool\prtprocs\<Directory> of the system folder, Directory being what the
// environment's key says (x64, W32X86, ...); the system folder where it says
// nothing usable.
class PrintProcessorKind final : public LibraryKeyKind {
public:
    PrintProcessorKind() : LibraryKeyKind({"read: print processors", nullptr, nullptr, L"Print Processors"}) {}

    std::wstring DetailsCommand(const std::wstring& id, const std::wstring&, const std::wstring& command) const override
    {
        const std::size_t end = id.find(L'\\');
        fw::UniqueRegKey environment;
        std::optional<std::wstring> directory;
        const std::wstring path = std::wstring(kPrintEnvironmentsKeyPath) + L"\\" + id.substr(0, end);
        if (end != std::wstring::npos
            && ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, environment.Put()) == ERROR_SUCCESS)
            directory = LibraryText(environment.Get(), L"Directory");
        if (!directory || directory->find_first_of(L"\\/:.") != std::wstring::npos)
            return LibraryFile(command);
        return LibraryFile(command, L"%SystemRoot%\\System32\\spool\\prtprocs\\" + TrimmedText(*directory));
    }
};

} // namespace

const PlaceKind& WinlogonNotifyPlaces()
{
    static const LibraryKeyKind kind({"read: Winlogon notification packages"});
    return kind;
}

const PlaceKind& GroupPolicyExtensionPlaces()
{
    static const LibraryKeyKind kind({"read: Group Policy extensions", L""});
    return kind;
}

const PlaceKind& PrintMonitorPlaces()
{
    static const LibraryKeyKind kind({"read: print monitors"});
    return kind;
}

const PlaceKind& PrintProcessorPlaces()
{
    static const PrintProcessorKind kind;
    return kind;
}

const PlaceKind& WinsockProviderPlaces()
{
    static const LibraryKeyKind kind({"read: Winsock providers", L"DisplayString"});
    return kind;
}

const PlaceKind& TimeProviderPlaces()
{
    static const LibraryKeyKind kind({"read: time providers", nullptr, L"Enabled"});
    return kind;
}

const PlaceKind& ShimDatabasePlaces()
{
    static const LibraryKeyKind kind({"read: compatibility databases", L"DatabaseDescription"});
    return kind;
}
