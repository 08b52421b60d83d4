#include "pages/startup/store/EntryLocation.h"

#include "pages/startup/store/StartupFolders.h"

EntryAddress EntryAddressOf(const StartupSource& source, EntryPlace place, const std::wstring& name)
{
    EntryAddress address;
    if (source.kind == StartupKind::Folder) {
        const std::wstring folder = place == EntryPlace::Startup ? StartupFolderPath(source) : ParkedFolderPath(source);
        address.file = folder + L"\\" + name;
        return address;
    }
    address.hive = source.hive;
    address.view = source.view;
    address.keyPath = place == EntryPlace::Parked && source.disabledKeyPath ? source.disabledKeyPath : source.keyPath;
    const std::size_t section = name.rfind(L'\\');
    if (source.kind == StartupKind::RunOnceEx && section != std::wstring::npos)
        address.keyPath += L"\\" + name.substr(0, section);
    return address;
}
