#include "pages/startup/store/PlaceKind.h"

#include <iterator>

MoveResult PlaceKind::Switch(const StartupSource&, EntryPlace, const std::wstring&, bool) const
{
    return {MoveOutcome::Failed, {}, EntryPlace::Startup};
}

const PlaceKind& PlaceKindOf(StartupKind kind)
{
    switch (kind) {
    case StartupKind::Run: return RunPlaces();
    case StartupKind::RunOnce: return RunOncePlaces();
    case StartupKind::RunOnceEx: return RunOnceExPlaces();
    case StartupKind::Folder: return FolderPlaces();
    case StartupKind::Value: return ValuePlaces();
    case StartupKind::Script: return ScriptPlaces();
    case StartupKind::ActiveSetup: return ActiveSetupPlaces();
    case StartupKind::Packaged: return PackagedPlaces();
    case StartupKind::Service: return ServicePlaces();
    case StartupKind::LogOnTask: return TaskPlaces(false);
    case StartupKind::BootTask: return TaskPlaces(true);
    // Libraries and providers that Windows' own services load, and drivers.
    case StartupKind::WinlogonNotify: return WinlogonNotifyPlaces();
    case StartupKind::GroupPolicyExtension: return GroupPolicyExtensionPlaces();
    case StartupKind::LsaPackages: return LsaPackagePlaces();
    case StartupKind::SecurityProviders: return SecurityProviderPlaces();
    case StartupKind::PrintMonitor: return PrintMonitorPlaces();
    case StartupKind::PrintProcessor: return PrintProcessorPlaces();
    case StartupKind::NetworkProvider: return NetworkProviderPlaces();
    case StartupKind::WinsockProvider: return WinsockProviderPlaces();
    case StartupKind::TimeProvider: return TimeProviderPlaces();
    case StartupKind::Codec: return CodecPlaces();
    case StartupKind::ShimDatabase: return ShimDatabasePlaces();
    case StartupKind::ShimProgram: return ShimProgramPlaces();
    case StartupKind::Driver: return DriverPlaces();
    // Classes that Windows, Explorer and Office load, and the user's classes that shadow the machine's.
    case StartupKind::CredentialProvider: return ClassKeyPlaces(true);
    case StartupKind::BrowserHelper: return ClassKeyPlaces(false);
    case StartupKind::ClassValue: return ClassValuePlaces(false);
    case StartupKind::ClassNamedValue: return ClassValuePlaces(true);
    case StartupKind::IconOverlay: return HandlerPlaces(false);
    case StartupKind::ContextMenuHandler: return HandlerPlaces(true);
    case StartupKind::OfficeAddIn: return OfficeAddInPlaces();
    case StartupKind::ComHijack: return ComHijackPlaces();
    // Image hijacks, libraries and single values switched by moving them.
    case StartupKind::Debugger: return DebuggerPlaces();
    case StartupKind::ExitMonitor: return ExitMonitorPlaces();
    case StartupKind::AutoRun: return AutoRunPlaces();
    case StartupKind::OpenCommand: return OpenCommandPlaces();
    case StartupKind::AppInit: return AppInitPlaces();
    case StartupKind::AppCert: return AppCertPlaces();
    case StartupKind::NetshHelper: return NetshHelperPlaces();
    case StartupKind::ScreenSaver: return ScreenSaverPlaces();
    case StartupKind::OfficeTest: return OfficeTestPlaces();
    }
    return RunOncePlaces(); // not reached: every kind is named above
}

bool OpenStartupKey(const StartupSource& source, EntryPlace place, fw::UniqueRegKey& key)
{
    return place == EntryPlace::Startup
           && ::RegOpenKeyExW(source.hive, source.keyPath, 0, KEY_READ | source.view, key.Put()) == ERROR_SUCCESS;
}

std::vector<std::wstring> SubkeyNames(HKEY key)
{
    std::vector<std::wstring> names;
    wchar_t name[256]; // the longest key name the registry allows, and its NUL
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(std::size(name));
        if (::RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return names;
        // A name holding a NUL cannot be opened: the registry's calls end
        // it there, at the name of another key.
        if (std::wstring(name, length).find(L'\0') == std::wstring::npos)
            names.emplace_back(name, length);
    }
}

bool IsSwitchable(const StartupSource& source)
{
    return PlaceKindOf(source.kind).Switchable();
}

void KeyPlaceKind::Watch(const StartupSource& source, WatchList& list) const
{
    list.Key(source.hive, source.keyPath, source.view);
    list.Key(source.hive, source.disabledKeyPath, source.view);
}

EntryAddress KeyPlaceKind::Address(const StartupSource& source, EntryPlace place, const std::wstring&) const
{
    return KeyAddress(source, place);
}

EntryAddress SubkeyPlaceKind::Address(const StartupSource& source, EntryPlace place, const std::wstring& name) const
{
    EntryAddress address = KeyAddress(source, place);
    address.keyPath += L"\\" + name;
    return address;
}

EntryAddress EntryAddressOf(const StartupSource& source, EntryPlace place, const std::wstring& name)
{
    return PlaceKindOf(source.kind).Address(source, place, name);
}

EntryAddress KeyAddress(const StartupSource& source, EntryPlace place)
{
    EntryAddress address;
    address.hive = source.hive;
    address.view = source.view;
    address.keyPath = place == EntryPlace::Parked && source.disabledKeyPath ? source.disabledKeyPath : source.keyPath;
    return address;
}
