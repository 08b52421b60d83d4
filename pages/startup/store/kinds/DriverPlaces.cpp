// Kernel and file-system drivers that start at boot, with the system or
// automatically, as the Service Control Manager lists them, named as it
// names them, with the image path it reports. Listed, never switched: a
// driver switched off wrongly can leave Windows unable to start. Read once
// the window is drawn, and again on F5; nothing is watched.

#include "pages/startup/store/PlaceKind.h"
#include "pages/startup/store/ServiceListing.h"

#include <winsvc.h>

namespace {

bool StartsWithWindows(DWORD start)
{
    return start == SERVICE_BOOT_START || start == SERVICE_SYSTEM_START || start == SERVICE_AUTO_START;
}

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix)
{
    const std::size_t length = std::char_traits<wchar_t>::length(prefix);
    return text.size() >= length
           && ::CompareStringOrdinal(text.c_str(), static_cast<int>(length), prefix, static_cast<int>(length), TRUE)
                  == CSTR_EQUAL;
}

class DriverKind final : public SubkeyPlaceKind {
public:
    const char* ReadingWork() const override { return "read: drivers"; }

    StartupValueList Read(const StartupSource&, EntryPlace place) const override
    {
        return place == EntryPlace::Startup ? ReadServices(SERVICE_DRIVER, nullptr, &StartsWithWindows)
                                            : StartupValueList{};
    }

    // The driver's file as Windows loads it: without an image path, the
    // driver's name in System32\drivers with ".sys"; \SystemRoot\ is the
    // Windows folder; "\??\" and "\\?\" name a path of the Win32 namespace;
    // a relative path is taken from the Windows folder. Quoted: a driver's
    // image path has no arguments.
    std::wstring DetailsCommand(const std::wstring& id, const std::wstring&, const std::wstring& command) const override
    {
        std::wstring image = command;
        if (image.size() >= 2 && image.front() == L'"' && image.back() == L'"')
            image = image.substr(1, image.size() - 2);
        if (image.find_first_not_of(L" \t") == std::wstring::npos)
            image = L"%SystemRoot%\\System32\\drivers\\" + id + L".sys";
        else if (StartsWithNoCase(image, L"\\SystemRoot\\"))
            image = L"%SystemRoot%" + image.substr(11);
        else if (StartsWithNoCase(image, L"\\\\?\\UNC\\"))
            image = L"\\" + image.substr(7);
        else if (StartsWithNoCase(image, L"\\??\\") || StartsWithNoCase(image, L"\\\\?\\"))
            image = image.substr(4);
        else if (image.front() != L'\\' && image.front() != L'%' && image.find(L':') == std::wstring::npos)
            image = L"%SystemRoot%\\" + image;
        return L"\"" + image + L"\"";
    }
};

} // namespace

const PlaceKind& DriverPlaces()
{
    static const DriverKind kind;
    return kind;
}
