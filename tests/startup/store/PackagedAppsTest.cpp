// Packaged apps' start-up tasks, from a package made in the registry sandbox
// and a scratch folder: listed with their names, programs and publisher,
// switched by the states Task Manager writes, a policy's state left alone,
// and a package whose manifest is hostile or gone not listed.

#include "pages/startup/store/PlaceKind.h"
#include "pages/startup/store/StartupMoves.h"
#include "pages/startup/store/StartupStore.h"
#include "support/RegistrySandbox.h"
#include "support/ScratchFolder.h"
#include "startup/StartupFolderSandbox.h"
#include "startup/store/ForwardingCalls.h"
#include "startup/store/StoredValue.h"

#include <gtest/gtest.h>

#include <string>

namespace {
const char kManifest[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Package xmlns="http://schemas.microsoft.com/appx/manifest/foundation/windows10"
         xmlns:uap5="http://schemas.microsoft.com/appx/manifest/uap/windows10/5">
  <Properties>
    <DisplayName>Chat</DisplayName>
    <PublisherDisplayName>Maker &amp; Sons</PublisherDisplayName>
  </Properties>
  <Applications>
    <Application Id="Chat" Executable="app\Chat.exe">
      <Extensions>
        <uap5:Extension Category="windows.startupTask" Executable="app\Background.exe" Parameters="/tray">
          <uap5:StartupTask TaskId="ChatTray" Enabled="true" DisplayName="Чат в трее"/>
        </uap5:Extension>
        <uap5:Extension Category="windows.startupTask">
          <uap5:StartupTask TaskId="ChatUpdate" Enabled="false" DisplayName="ms-resource:UpdaterName"/>
        </uap5:Extension>
        <uap5:Extension Category="windows.startupTask">
          <uap5:StartupTask TaskId="ChatPolicy" Enabled="true"/>
        </uap5:Extension>
      </Extensions>
    </Application>
  </Applications>
</Package>)";

const std::string kFullName = "Maker.Chat_1.2.10.0_x64__8wekyb3d8bbwe";
const std::string kFamily = "Maker.Chat_8wekyb3d8bbwe";

std::wstring StatePath(const std::string& task)
{
    return std::wstring(kPackageStateKeyPath) + L"\\" + W(kFamily + "\\" + task);
}

void AddPackage(const std::string& fullName, const std::wstring& folder)
{
    WriteStored(HKEY_CURRENT_USER, (std::wstring(kPackageRepositoryKeyPath) + L"\\" + W(fullName)).c_str(),
                "PackageRootFolder", Sz(U8(folder)));
}

// Every call fails from the one given on, counted from 1.
class FailingFrom final : public ForwardingCalls {
public:
    explicit FailingFrom(int call) : m_failFrom(call) {}
    bool Failed() const { return m_calls >= m_failFrom; }

protected:
    bool Pass() override { return ++m_calls < m_failFrom; }

private:
    int m_failFrom;
    int m_calls = 0;
};

const StartupSource& PackagedSource(const std::vector<StartupSource>& sources, std::size_t& index)
{
    for (index = 0; index < sources.size(); ++index)
        if (sources[index].kind == StartupKind::Packaged)
            return sources[index];
    throw std::logic_error("no packaged apps in the table");
}
} // namespace

TEST(PackagedApps, TasksAreListedWithTheirProgramsAndSwitchedByTheStatesTaskManagerWrites)
{
    RegistrySandbox sandbox;
    ScratchFolder package;
    package.Write(L"AppxManifest.xml", kManifest);
    package.Write(L"app\\Background.exe");
    package.Write(L"app\\Chat.exe");
    AddPackage(kFullName, package.Path());
    WriteStored(HKEY_CURRENT_USER, StatePath("ChatPolicy").c_str(), "State", Raw(REG_DWORD, std::string("\3\0\0\0", 4)));
    // A package whose manifest declares a document type, one whose folder is gone.
    ScratchFolder hostile;
    hostile.Write(L"AppxManifest.xml", "<!DOCTYPE Package [<!ENTITY x \"x\">]><Package/>");
    AddPackage("Evil_1.0.0.0_x64__aaaaaaaaaaaaa", hostile.Path());
    AddPackage("Gone_1.0.0.0_x64__bbbbbbbbbbbbb", package.Path() + L"\\nowhere");
    // An older version of the package that an update left registered: one row per task, the newest's.
    ScratchFolder older;
    older.Write(L"AppxManifest.xml", kManifest);
    AddPackage("Maker.Chat_1.2.9.0_x64__8wekyb3d8bbwe", older.Path());

    const std::vector<StartupSource> sources = StartupSources();
    std::size_t index = 0;
    const StartupSource& source = PackagedSource(sources, index);
    auto listed = [&] {
        std::vector<std::string> lines;
        for (const StartupEntry& entry : ReadStartupEntries(sources, SourceSet::Of(index)))
            lines.push_back(U8(entry.value.name) + " | " + U8(entry.value.id) + " | " + U8(entry.value.command) + " | "
                            + U8(entry.value.publisher) + (entry.offForWindows ? " | off" : " | on")
                            + (entry.value.fixed ? ", fixed" : ""));
        return lines;
    };
    const std::string folder = U8(package.Path());
    EXPECT_EQ(listed(), (std::vector<std::string>{
                            "Чат в трее | " + kFamily + "\\ChatTray | \"" + folder + "\\app\\Background.exe\" /tray"
                                + " | Maker & Sons | on",
                            "Chat | " + kFamily + "\\ChatUpdate | \"" + folder + "\\app\\Chat.exe\" | Maker & Sons | off",
                            "Chat | " + kFamily + "\\ChatPolicy | \"" + folder + "\\app\\Chat.exe\" | Maker & Sons"
                                + " | off, fixed",
                        }))
        << "an unresolved resource name gives way to the package's; no row for a hostile or missing manifest,"
           " nor for an older version";

    // Off: state 1 and the time; on: state 2. A policy's state is never written over.
    const std::wstring tray = W(kFamily + "\\ChatTray");
    EXPECT_EQ(SwitchEntry(source, EntryPlace::Startup, tray, false).outcome, MoveOutcome::Moved);
    EXPECT_EQ(ReadStored(HKEY_CURRENT_USER, StatePath("ChatTray").c_str(), "State"),
              Raw(REG_DWORD, std::string("\1\0\0\0", 4)));
    const std::optional<StoredValue> when = ReadStored(HKEY_CURRENT_USER, StatePath("ChatTray").c_str(), "LastDisabledTime");
    ASSERT_TRUE(when);
    EXPECT_EQ(when->type, static_cast<DWORD>(REG_QWORD));
    const MoveResult on = SwitchEntry(source, EntryPlace::Startup, W(kFamily + "\\ChatUpdate"), true);
    EXPECT_EQ(on.outcome, MoveOutcome::Moved);
    EXPECT_EQ(U8(on.command), "\"" + folder + "\\app\\Chat.exe\"");
    EXPECT_EQ(ReadStored(HKEY_CURRENT_USER, StatePath("ChatUpdate").c_str(), "State"),
              Raw(REG_DWORD, std::string("\2\0\0\0", 4)));
    EXPECT_EQ(SwitchEntry(source, EntryPlace::Startup, W(kFamily + "\\ChatPolicy"), true).outcome, MoveOutcome::Failed);
    EXPECT_EQ(ReadStored(HKEY_CURRENT_USER, StatePath("ChatPolicy").c_str(), "State"),
              Raw(REG_DWORD, std::string("\3\0\0\0", 4)));
    EXPECT_EQ(SwitchEntry(source, EntryPlace::Startup, W(kFamily + "\\NoSuchTask"), false).outcome, MoveOutcome::Gone);
    EXPECT_EQ(listed()[0], "Чат в трее | " + kFamily + "\\ChatTray | \"" + folder + "\\app\\Background.exe\" /tray"
                               + " | Maker & Sons | off");
    EXPECT_EQ(U8(EntryAddressOf(source, EntryPlace::Startup, tray).keyPath), U8(StatePath("ChatTray")));
}

TEST(PackagedApps, AFailingCallLeavesTheTaskAsItWasAndSaysSo)
{
    RegistrySandbox sandbox;
    ScratchFolder package;
    package.Write(L"AppxManifest.xml", kManifest);
    AddPackage(kFullName, package.Path());
    const std::vector<StartupSource> sources = StartupSources();
    std::size_t index = 0;
    const StartupSource& source = PackagedSource(sources, index);
    for (int call = 1;; ++call) {
        SCOPED_TRACE("failing from call " + std::to_string(call));
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kPackageStateKeyPath);
        FailingFrom calls(call);
        const MoveOutcome outcome = SwitchEntry(source, EntryPlace::Startup, W(kFamily + "\\ChatTray"), false).outcome;
        const std::optional<StoredValue> state = ReadStored(HKEY_CURRENT_USER, StatePath("ChatTray").c_str(), "State");
        if (!calls.Failed()) {
            EXPECT_EQ(outcome, MoveOutcome::Moved);
            EXPECT_EQ(state, Raw(REG_DWORD, std::string("\1\0\0\0", 4)));
            EXPECT_GT(call, 2) << "the switch goes through the calls that fail";
            return;
        }
        EXPECT_EQ(outcome, MoveOutcome::Failed);
        EXPECT_FALSE(state) << "the task still runs as the manifest says";
    }
}
