// Services that start with Windows, made in the test prefix's own Service
// Control Manager: which are listed, and switched off and on with their exact
// start type and delayed flag kept in the registry sandbox, so that nothing
// but the kept value carries them across a restart of the program.

#include "pages/startup/store/PlaceKind.h"
#include "pages/startup/store/StartupMoves.h"
#include "pages/startup/store/StartupStore.h"
#include "support/RegistrySandbox.h"
#include "startup/store/ForwardingCalls.h"
#include "startup/store/StoredValue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct ServiceMade {
    const wchar_t* name;
    DWORD type;
    DWORD start;
};

const ServiceMade kServices[] = {
    {L"QuorvaneTestOwn", SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START},
    {L"QuorvaneTestShared", SERVICE_WIN32_SHARE_PROCESS, SERVICE_AUTO_START},
    {L"QuorvaneTestManual", SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START},
    {L"QuorvaneTestDriver", SERVICE_KERNEL_DRIVER, SERVICE_AUTO_START},
    {L"QuorvaneTestBootDriver", SERVICE_KERNEL_DRIVER, SERVICE_BOOT_START},
    {L"QuorvaneTestFsDriver", SERVICE_FILE_SYSTEM_DRIVER, SERVICE_SYSTEM_START},
    {L"QuorvaneTestManualDriver", SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START},
};

std::wstring ImagePath(const ServiceMade& made)
{
    return made.type == SERVICE_WIN32_SHARE_PROCESS ? L"C:\\windows\\system32\\svchost.exe -k QuorvaneTests"
                                                    : std::wstring(L"\"C:\\Program Files\\Quorvane Tests\\")
                                                          + made.name + L".exe\" /service";
}

// The services above, made for as long as the object lives, their names
// beginning with `prefix` in place of "QuorvaneTest" (tests that run side by
// side share the Service Control Manager); one left over by an earlier run
// that ended early is made anew.
class TestServices {
public:
    explicit TestServices(const wchar_t* prefix = L"QuorvaneTest")
        : m_prefix(prefix), m_manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS))
    {
        Remove();
        for (const ServiceMade& made : kServices) {
            const std::wstring display = (m_prefix == L"QuorvaneTest" ? L"Quorvane Test " : m_prefix + L" ")
                                         + (made.name + 12);
            const std::wstring image = ImagePath(made);
            SC_HANDLE service = ::CreateServiceW(m_manager, Name(made).c_str(), display.c_str(), SERVICE_ALL_ACCESS, made.type,
                                                 made.start, SERVICE_ERROR_IGNORE, image.c_str(), nullptr, nullptr,
                                                 nullptr, nullptr, nullptr);
            EXPECT_TRUE(service) << "service made: " << ::GetLastError();
            ::CloseServiceHandle(service);
        }
    }
    ~TestServices()
    {
        Remove();
        ::CloseServiceHandle(m_manager);
    }
    TestServices(const TestServices&) = delete;
    TestServices& operator=(const TestServices&) = delete;

    // The service's start type and delayed flag, as the Service Control Manager has them.
    std::pair<DWORD, bool> Start(const wchar_t* name) const
    {
        SC_HANDLE service = ::OpenServiceW(m_manager, name, SERVICE_QUERY_CONFIG);
        BYTE buffer[8192];
        DWORD size = 0;
        DWORD start = 0xFFFFFFFF;
        if (::QueryServiceConfigW(service, reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer), sizeof(buffer), &size))
            start = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer)->dwStartType;
        SERVICE_DELAYED_AUTO_START_INFO info{};
        ::QueryServiceConfig2W(service, SERVICE_CONFIG_DELAYED_AUTO_START_INFO, reinterpret_cast<BYTE*>(&info),
                               sizeof(info), &size);
        ::CloseServiceHandle(service);
        return {start, info.fDelayedAutostart != FALSE};
    }

    std::wstring Name(const ServiceMade& made) const { return m_prefix + (made.name + 12); }

    // Sets the start type, as another program could.
    void SetStart(const wchar_t* name, DWORD start) const
    {
        SC_HANDLE service = ::OpenServiceW(m_manager, name, SERVICE_CHANGE_CONFIG);
        EXPECT_TRUE(::ChangeServiceConfigW(service, SERVICE_NO_CHANGE, start, SERVICE_NO_CHANGE, nullptr, nullptr,
                                           nullptr, nullptr, nullptr, nullptr, nullptr));
        ::CloseServiceHandle(service);
    }

private:
    void Remove()
    {
        for (const ServiceMade& made : kServices) {
            if (SC_HANDLE service = ::OpenServiceW(m_manager, Name(made).c_str(), DELETE)) {
                ::DeleteService(service);
                ::CloseServiceHandle(service);
            }
        }
    }

    std::wstring m_prefix;
    SC_HANDLE m_manager;
};

std::size_t ServiceSourceIndex(const std::vector<StartupSource>& sources, StartupKind kind = StartupKind::Service)
{
    const auto found = std::find_if(sources.begin(), sources.end(),
                                    [&](const StartupSource& source) { return source.kind == kind; });
    EXPECT_NE(found, sources.end());
    return static_cast<std::size_t>(found - sources.begin());
}

// The test's services (their names beginning with `prefix`) as listed: id,
// place, name and command.
std::vector<std::string> Listed(const std::vector<StartupSource>& sources, const std::wstring& prefix = L"QuorvaneTest",
                                StartupKind kind = StartupKind::Service)
{
    std::vector<std::string> lines;
    for (const StartupEntry& entry : ReadStartupEntries(sources, SourceSet::Of(ServiceSourceIndex(sources, kind)))) {
        if (entry.value.id.compare(0, prefix.size(), prefix) == 0)
            lines.push_back(U8(entry.value.id) + (entry.place == EntryPlace::Startup ? " on | " : " off | ")
                            + U8(entry.value.name) + " | " + U8(entry.value.command));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::optional<StoredValue> Kept(const wchar_t* name)
{
    return ReadStored(HKEY_LOCAL_MACHINE, kDisabledServicesKeyPath, U8(name));
}

StoredValue KeptStart(DWORD value) { return Raw(REG_DWORD, std::string(reinterpret_cast<const char*>(&value), 4)); }

// The start types given to the system. Wine keeps no delayed flag: the flag is
// recorded, and the system is given the start type alone.
class RecordingStarts final : public ForwardingCalls {
public:
    LONG ChangeServiceStart(SC_HANDLE service, DWORD startType, bool delayed) override
    {
        starts.emplace_back(startType, delayed);
        return ForwardingCalls::ChangeServiceStart(service, startType, false);
    }
    std::vector<std::pair<DWORD, bool>> starts;
};

} // namespace

TEST(Services, AutomaticWin32ServicesAreListedAndSwitchedWithTheirExactStartKept)
{
    RegistrySandbox sandbox;
    TestServices services;
    const std::vector<StartupSource> sources = StartupSources();
    const StartupSource& source = sources[ServiceSourceIndex(sources)];
    const std::string path = "\"C:\\Program Files\\Quorvane Tests\\";
    EXPECT_EQ(Listed(sources), (std::vector<std::string>{
                                   "QuorvaneTestOwn on | Quorvane Test Own | " + path + "QuorvaneTestOwn.exe\" /service",
                                   "QuorvaneTestShared on | Quorvane Test Shared | C:\\windows\\system32\\svchost.exe -k QuorvaneTests",
                               }))
        << "neither a driver nor a service started on demand";

    // Off: to start on demand, the start kept; on: the start given back, the
    // kept value gone. Nothing but the kept value carries the switch, as
    // across a restart: every reading asks the system anew.
    const wchar_t* own = L"QuorvaneTestOwn";
    EXPECT_EQ(SwitchEntry(source, EntryPlace::Startup, own, false).outcome, MoveOutcome::Moved);
    EXPECT_EQ(services.Start(own).first, static_cast<DWORD>(SERVICE_DEMAND_START));
    EXPECT_EQ(Kept(own), KeptStart(SERVICE_AUTO_START));
    EXPECT_EQ(SwitchEntry(source, EntryPlace::Startup, own, false).outcome, MoveOutcome::Gone) << "no longer automatic";
    // A service kept as automatic and delayed, that another program made start
    // on demand meanwhile; and a kept one that is automatic again.
    WriteStored(HKEY_LOCAL_MACHINE, kDisabledServicesKeyPath, "QuorvaneTestManual", KeptStart(SERVICE_AUTO_START | 0x10000));
    WriteStored(HKEY_LOCAL_MACHINE, kDisabledServicesKeyPath, "QuorvaneTestShared", KeptStart(SERVICE_AUTO_START));
    EXPECT_EQ(Listed(sources), (std::vector<std::string>{
                                   "QuorvaneTestManual off | Quorvane Test Manual | " + path + "QuorvaneTestManual.exe\" /service",
                                   "QuorvaneTestOwn off | Quorvane Test Own | " + path + "QuorvaneTestOwn.exe\" /service",
                                   "QuorvaneTestShared on | Quorvane Test Shared | C:\\windows\\system32\\svchost.exe -k QuorvaneTests",
                               }));
    for (const auto& [name, delayed] : {std::pair{own, false}, std::pair{L"QuorvaneTestManual", true}}) {
        SCOPED_TRACE(U8(name));
        RecordingStarts calls;
        EXPECT_EQ(SwitchEntry(source, EntryPlace::Parked, name, true).outcome, MoveOutcome::Moved);
        EXPECT_EQ(calls.starts, (std::vector<std::pair<DWORD, bool>>{{SERVICE_AUTO_START, delayed}}));
        EXPECT_EQ(services.Start(name).first, static_cast<DWORD>(SERVICE_AUTO_START));
        EXPECT_FALSE(Kept(name));
    }
    // A listing takes the start type and image path from the service's key,
    // where the Service Control Manager keeps them, without asking it.
    const std::wstring ownKey = std::wstring(kServicesKeyPath) + L"\\QuorvaneTestOwn";
    WriteStored(HKEY_LOCAL_MACHINE, ownKey.c_str(), "Start", KeptStart(SERVICE_AUTO_START));
    WriteStored(HKEY_LOCAL_MACHINE, ownKey.c_str(), "ImagePath", Sz("%SystemRoot%\\own.exe", REG_EXPAND_SZ));
    EXPECT_EQ(Listed(sources).at(1), "QuorvaneTestOwn on | Quorvane Test Own | %SystemRoot%\\own.exe");
    EXPECT_EQ(SwitchEntry(source, EntryPlace::Startup, L"QuorvaneTestDriver", false).outcome, MoveOutcome::Gone);
    EXPECT_EQ(SwitchEntry(source, EntryPlace::Startup, L"QuorvaneTestNoSuch", false).outcome, MoveOutcome::Gone);
    EXPECT_EQ(U8(EntryAddressOf(source, EntryPlace::Startup, L"QuorvaneTestOwn").keyPath),
              U8(kServicesKeyPath) + "\\QuorvaneTestOwn");
}

TEST(Services, AServiceIsKnownByItsDllOnlyWhereWindowsOwnHostRunsIt)
{
    RegistrySandbox sandbox;
    wchar_t system[MAX_PATH];
    ::GetSystemDirectoryW(system, MAX_PATH);
    const std::string host = U8(system) + "\\svchost.exe -k QuorvaneTests";
    const std::string dll = U8(system) + "\\quorvane-tests.dll";
    const std::string longDll = "C:\\" + std::string(300, 'd') + ".dll";
    const StoredValue number = Raw(REG_DWORD, std::string("\x01\0\0\0", 4));
    const struct {
        const char* what;
        std::string image;
        std::optional<StoredValue> inParameters, inKey; // its ServiceDll in either key
        std::string program;                            // the command its details are found for
    } cases[] = {
        {"expandable, under Parameters", host, Sz("%SystemRoot%\\system32\\quorvane-tests.dll", REG_EXPAND_SZ),
         std::nullopt, "\"" + dll + "\""},
        {"under the service's key", "%SystemRoot%\\system32\\svchost.exe -k x", std::nullopt, Sz(dll),
         "\"" + dll + "\""},
        {"Parameters first", "svchost.exe -k x", Sz(dll), Sz("C:\\other.dll"), "\"" + dll + "\""},
        {"longer than MAX_PATH", host, Sz(longDll), std::nullopt, "\"" + longDll + "\""},
        {"a number", host, number, Sz(dll), ""},
        {"several texts", host, Raw(REG_MULTI_SZ, Utf16Bytes(std::string("a.dll\0\0", 7))), std::nullopt, ""},
        {"empty", host, Sz(""), std::nullopt, ""},
        {"none", host, std::nullopt, std::nullopt, ""},
        {"a program of its own", "\"C:\\evil\\evil.exe\" /service", Sz("kernel32.dll"), Sz("kernel32.dll"),
         "\"C:\\evil\\evil.exe\" /service"},
        {"a host that is not Windows' own", "C:\\evil\\svchost.exe -k x", Sz("kernel32.dll"), std::nullopt,
         "C:\\evil\\svchost.exe -k x"},
    };
    const PlaceKind& kind = PlaceKindOf(StartupKind::Service);
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string name = "QuorvaneHosted" + std::to_string(++index);
        const std::wstring key = std::wstring(kServicesKeyPath) + L"\\" + W(name);
        CreateEmptyKey(HKEY_LOCAL_MACHINE, key.c_str());
        if (c.inParameters)
            WriteStored(HKEY_LOCAL_MACHINE, (key + L"\\Parameters").c_str(), "ServiceDll", *c.inParameters);
        if (c.inKey)
            WriteStored(HKEY_LOCAL_MACHINE, key.c_str(), "ServiceDll", *c.inKey);
        EXPECT_EQ(U8(kind.DetailsCommand(W(name), L"", W(c.image))), c.program);
    }
}

// Every way a switch can be cut short: each call failing, any two failing,
// the program ending after any call. The service is listed exactly once
// afterwards, switched off (its kept start there) where it is not automatic;
// a switch said done has made the change, one refused has not.
TEST(Services, WhereverASwitchIsCutShortTheServiceIsListedOnceAsItStands)
{
    RegistrySandbox sandbox;
    TestServices services(L"QuorvaneCut");
    const std::vector<StartupSource> sources = StartupSources();
    const StartupSource& source = sources[ServiceSourceIndex(sources)];
    const wchar_t* name = L"QuorvaneCutOwn";
    const std::string command = U8(ImagePath(kServices[0]));
    struct Cut {
        int failAt = 0, alsoAt = 0; // the calls that fail
        int endsAfter = -1;         // or the calls made before the program ended
    };
    for (const bool on : {false, true}) {
        const auto cutShort = [&](const Cut& cut) {
            SCOPED_TRACE(std::string(on ? "on" : "off") + ", failing at " + std::to_string(cut.failAt) + " and "
                         + std::to_string(cut.alsoAt) + ", ending after " + std::to_string(cut.endsAfter));
            services.SetStart(name, on ? SERVICE_DEMAND_START : SERVICE_AUTO_START);
            if (on)
                WriteStored(HKEY_LOCAL_MACHINE, kDisabledServicesKeyPath, U8(name), KeptStart(SERVICE_AUTO_START));
            const std::optional<StoredValue> keptBefore = Kept(name);
            const auto before = services.Start(name);
            MoveOutcome outcome = MoveOutcome::Gone;
            bool reached = false;
            if (cut.endsAfter >= 0) {
                EndingCalls calls(cut.endsAfter);
                outcome = SwitchEntry(source, on ? EntryPlace::Parked : EntryPlace::Startup, name, on).outcome;
                reached = calls.Ended();
            } else {
                FailingCalls calls(cut.failAt, cut.alsoAt);
                outcome = SwitchEntry(source, on ? EntryPlace::Parked : EntryPlace::Startup, name, on).outcome;
                reached = cut.alsoAt ? calls.FailedBoth() : calls.Failed();
            }
            const bool automatic = services.Start(name).first == SERVICE_AUTO_START;
            EXPECT_EQ(Listed(sources, name),
                      std::vector<std::string>{U8(name) + (automatic ? " on" : " off") + " | QuorvaneCut Own | "
                                               + command});
            if (cut.endsAfter < 0) {
                EXPECT_TRUE(outcome == MoveOutcome::Moved || outcome == MoveOutcome::Failed) << "said as \"not allowed\"";
                EXPECT_EQ(automatic, (outcome == MoveOutcome::Moved) == on);
                if (outcome == MoveOutcome::Failed) {
                    EXPECT_EQ(services.Start(name), before);
                    if (!cut.alsoAt) {
                        EXPECT_EQ(Kept(name), keptBefore);
                    }
                }
            }
            return reached;
        };
        int calls = 1;
        while (cutShort({calls, 0, -1}))
            ++calls;
        EXPECT_GT(calls, on ? 5 : 3) << "the switch goes through the calls that fail";
        for (int first = 1; first < calls; ++first)
            for (int second = first + 1; cutShort({first, second, -1}); ++second) {
            }
        for (int made = 0; made < calls; ++made)
            cutShort({0, 0, made});
    }
}

TEST(Services, AKeptStartOtherThanAutomaticIsRefusedAndNothingChanges)
{
    RegistrySandbox sandbox;
    TestServices services(L"QuorvaneKept");
    const std::vector<StartupSource> sources = StartupSources();
    const StartupSource& source = sources[ServiceSourceIndex(sources)];
    const wchar_t* name = L"QuorvaneKeptManual";
    for (const DWORD kept : {DWORD{SERVICE_DISABLED}, DWORD{SERVICE_DEMAND_START}, DWORD{SERVICE_BOOT_START},
                             DWORD{SERVICE_DISABLED | 0x10000}, DWORD{SERVICE_AUTO_START | 0x20000},
                             DWORD{SERVICE_AUTO_START | 0x100}, DWORD{0xFFFFFFFF}}) {
        SCOPED_TRACE(kept);
        WriteStored(HKEY_LOCAL_MACHINE, kDisabledServicesKeyPath, U8(name), KeptStart(kept));
        EXPECT_EQ(SwitchEntry(source, EntryPlace::Parked, name, true).outcome, MoveOutcome::Failed);
        EXPECT_EQ(services.Start(name), (std::pair<DWORD, bool>{SERVICE_DEMAND_START, false}));
        EXPECT_EQ(Kept(name), KeptStart(kept));
    }
}

// Drivers that start at boot, with the system or automatically, as the
// Service Control Manager lists them; none is ever switched.
TEST(Services, DriversThatStartWithWindowsAreListedAndNeverSwitched)
{
    RegistrySandbox sandbox;
    TestServices services(L"QuorvaneDrv");
    const std::vector<StartupSource> sources = StartupSources();
    const StartupSource& source = sources[ServiceSourceIndex(sources, StartupKind::Driver)];
    EXPECT_EQ(source.group, PlaceGroup::Drivers);
    const std::string path = "\"C:\\Program Files\\Quorvane Tests\\";
    const std::vector<std::string> drivers = Listed(sources, L"QuorvaneDrv", StartupKind::Driver);
    EXPECT_EQ(drivers, (std::vector<std::string>{
                           "QuorvaneDrvBootDriver on | QuorvaneDrv BootDriver | " + path + "QuorvaneTestBootDriver.exe\" /service",
                           "QuorvaneDrvDriver on | QuorvaneDrv Driver | " + path + "QuorvaneTestDriver.exe\" /service",
                           "QuorvaneDrvFsDriver on | QuorvaneDrv FsDriver | " + path + "QuorvaneTestFsDriver.exe\" /service",
                       }))
        << "neither a driver started on demand nor a service";
    for (const ServiceMade& made : kServices) {
        for (const bool on : {false, true})
            EXPECT_EQ(SwitchEntry(source, EntryPlace::Startup, services.Name(made), on).outcome, MoveOutcome::Failed);
        EXPECT_EQ(services.Start(services.Name(made).c_str()).first, made.start) << U8(made.name);
    }
    EXPECT_EQ(Listed(sources, L"QuorvaneDrv", StartupKind::Driver), drivers);
    EXPECT_EQ(U8(EntryAddressOf(source, EntryPlace::Startup, L"QuorvaneDrvDriver").keyPath),
              U8(kServicesKeyPath) + "\\QuorvaneDrvDriver");
}
