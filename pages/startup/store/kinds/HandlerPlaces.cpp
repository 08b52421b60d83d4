// Places whose entries are subkeys named by the handler, the key's default
// value its class: Explorer's icon overlays, and the context-menu handlers
// of the shell's classes of files and folders, which may also be named by
// their class. Explorer, and the file dialogs of every program, load each
// class's library. Listed, never switched.

#include "framework/UniqueHandle.h"
#include "pages/startup/store/ClassLibrary.h"
#include "pages/startup/store/PlaceKind.h"

namespace {

class HandlerKind final : public SubkeyPlaceKind {
public:
    explicit HandlerKind(bool contextMenu) : m_contextMenu(contextMenu) {}

    const char* ReadingWork() const override
    {
        return m_contextMenu ? "read: context-menu handlers" : "read: icon overlays";
    }

    StartupValueList Read(const StartupSource& source, EntryPlace place) const override
    {
        StartupValueList entries;
        fw::UniqueRegKey key;
        if (!OpenStartupKey(source, place, key))
            return entries;
        for (const std::wstring& handler : FirstSubkeyNames(key.Get())) {
            fw::UniqueRegKey handlerKey;
            std::wstring clsid;
            if (::RegOpenKeyExW(key.Get(), handler.c_str(), 0, KEY_QUERY_VALUE | source.view, handlerKey.Put())
                == ERROR_SUCCESS)
                clsid = ReadTextValue(handlerKey.Get(), nullptr).value_or(std::wstring());
            // A context-menu handler whose default value is no class is
            // named by its class, as the shell takes it.
            const bool namedByClass = m_contextMenu && !IsClassId(clsid) && IsClassId(handler);
            if (namedByClass)
                clsid = handler;
            if (!IsClassId(clsid))
                continue;
            const ClassRegistration registration = LookUpClassFor(source, clsid);
            // The shell's classes are one key for both views of 64-bit
            // Windows: what the 32-bit view adds are the handlers a 32-bit
            // program can load, those whose class that view registers.
            if (m_contextMenu && source.view == KEY_WOW64_32KEY && registration.library.empty())
                continue;
            entries.push_back(ClassEntry(namedByClass ? std::wstring() : handler, handler, clsid, registration));
        }
        return entries;
    }

    std::wstring DetailsCommand(const std::wstring&, const std::wstring&, const std::wstring& command) const override
    {
        return ServerDetailsCommand(command);
    }

private:
    bool m_contextMenu;
};

} // namespace

const PlaceKind& HandlerPlaces(bool contextMenu)
{
    static const HandlerKind menus(true);
    static const HandlerKind overlays(false);
    return contextMenu ? menus : overlays;
}
