// Office's add-ins of one application (Word, Excel, PowerPoint, Outlook):
// each subkey of its Addins key, named by the add-in's ProgID, that Office
// loads as it starts (LoadBehavior: loaded, and loaded at start). Named as
// the add-in names itself (FriendlyName); its program is the library of the
// ProgID's class, or a VSTO add-in's deployment manifest. Listed, never
// switched.

#include "framework/UniqueHandle.h"
#include "pages/startup/store/ClassLibrary.h"
#include "pages/startup/store/PlaceKind.h"

#include <shlwapi.h>

#include <iterator>

namespace {

constexpr DWORD kLoaded = 0x1;
constexpr DWORD kLoadAtStart = 0x2;

bool LoadsAtStart(HKEY addIn)
{
    DWORD behavior = 0;
    DWORD size = sizeof(behavior);
    DWORD type = REG_NONE;
    return ::RegQueryValueExW(addIn, L"LoadBehavior", nullptr, &type, reinterpret_cast<BYTE*>(&behavior), &size)
               == ERROR_SUCCESS
           && type == REG_DWORD && size == sizeof(behavior) && (behavior & (kLoaded | kLoadAtStart)) == (kLoaded | kLoadAtStart);
}

// The class of a ProgID, the user's registration first.
std::wstring ProgIdClass(const StartupSource& source, const std::wstring& progId)
{
    const std::wstring path = L"Software\\Classes\\" + progId + L"\\CLSID";
    const REGSAM view = source.view ? source.view : (IsWindows64Bit() ? KEY_WOW64_64KEY : 0);
    for (const HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        fw::UniqueRegKey key;
        if (::RegOpenKeyExW(hive, path.c_str(), 0, KEY_QUERY_VALUE | view, key.Put()) == ERROR_SUCCESS)
            return ReadTextValue(key.Get(), nullptr).value_or(std::wstring());
    }
    return {};
}

bool IsFileUrl(const std::wstring& text)
{
    return text.size() >= 5 && ::CompareStringOrdinal(text.c_str(), 5, L"file:", 5, TRUE) == CSTR_EQUAL;
}

class OfficeAddInKind final : public SubkeyPlaceKind {
public:
    const char* ReadingWork() const override { return "read: Office add-ins"; }

    StartupValueList Read(const StartupSource& source, EntryPlace place) const override
    {
        StartupValueList entries;
        fw::UniqueRegKey key;
        if (!OpenStartupKey(source, place, key))
            return entries;
        for (const std::wstring& progId : FirstSubkeyNames(key.Get())) {
            fw::UniqueRegKey addIn;
            if (::RegOpenKeyExW(key.Get(), progId.c_str(), 0, KEY_QUERY_VALUE | source.view, addIn.Put())
                    != ERROR_SUCCESS
                || !LoadsAtStart(addIn.Get()))
                continue;
            std::wstring shown = ReadTextValue(addIn.Get(), L"FriendlyName").value_or(std::wstring());
            StartupValue entry(shown.empty() ? progId : shown, {});
            if (entry.name != progId)
                entry.id = progId;
            entry.command = ReadTextValue(addIn.Get(), L"Manifest").value_or(std::wstring());
            if (entry.command.empty())
                entry.command = LookUpClassFor(source, ProgIdClass(source, progId)).library;
            entries.push_back(std::move(entry));
        }
        return entries;
    }

    // A manifest is given as a file's URL, with "|vstolocal" or the like
    // after it: the details are the file's.
    std::wstring DetailsCommand(const std::wstring&, const std::wstring&, const std::wstring& command) const override
    {
        if (!IsFileUrl(command))
            return ServerDetailsCommand(command);
        const std::wstring url = command.substr(0, command.find(L'|'));
        wchar_t path[MAX_PATH * 4];
        DWORD length = static_cast<DWORD>(std::size(path));
        if (FAILED(::PathCreateFromUrlW(url.c_str(), path, &length, 0)))
            return {};
        return L"\"" + std::wstring(path, length) + L"\"";
    }
};

} // namespace

const PlaceKind& OfficeAddInPlaces()
{
    static const OfficeAddInKind kind;
    return kind;
}
