// Switching entries off and on against the registry: the entry is found by its
// name as it stands now and moved with its exact type and bytes.

#include "pages/startup/StartupMoves.h"
#include "pages/startup/StartupStore.h"
#include "support/RegistrySandbox.h"
#include "startup/StartupFolderSandbox.h"
#include "startup/store/StoredValue.h"

#include <gtest/gtest.h>

namespace {
using Stored = std::optional<StoredValue>;

struct MoveCase {
    const char* what;
    bool on;         // switch on (out of the disabled key) or off (out of the Run key)
    Stored inSource; // what stands under the name where the row says the entry is
    Stored inTarget; // what already stands under the name at the other place
    MoveOutcome outcome;
};

TEST(StartupStoreMove, MovesWhatStandsThereNowWithItsTypeAndBytes)
{
    const StoredValue expand = Sz("%SystemRoot%\\system32\\notepad.exe /x", REG_EXPAND_SZ);
    const StoredValue number = Raw(REG_DWORD, std::string("\x07\0\0\0", 4));
    const MoveCase cases[] = {
        {"expandable text off", false, expand, std::nullopt, MoveOutcome::Moved},
        {"expandable text on", true, expand, std::nullopt, MoveOutcome::Moved},
        {"plain text of earlier versions on", true, Sz("c:\\old\\tool.exe"), std::nullopt, MoveOutcome::Moved},
        {"text without its NUL", false, Raw(REG_SZ, "abc"), std::nullopt, MoveOutcome::Moved},
        {"stale copy in the disabled key", false, Sz("c:\\new\\app.exe"), Raw(REG_BINARY, "\x01\x02"),
         MoveOutcome::Moved},
        {"gone from Run", false, std::nullopt, std::nullopt, MoveOutcome::Gone},
        {"moved back by someone else", true, std::nullopt, Sz("c:\\app.exe"), MoveOutcome::Gone},
        {"a number is no command", false, number, std::nullopt, MoveOutcome::Failed},
    };
    const std::vector<StartupSource> sources = StartupSources();
    for (const MoveCase& c : cases) {
        for (const StartupSource& source : sources) {
            if (source.kind != StartupKind::Run)
                continue;
            SCOPED_TRACE(std::string(c.what) + ", " + source.location);
            RegistrySandbox sandbox;
            const char* sourcePath = c.on ? kDisabledKeyPath : source.keyPath;
            const char* targetPath = c.on ? source.keyPath : kDisabledKeyPath;
            CreateEmptyKey(source.hive, kRunKeyPath, source.view);
            if (c.inSource)
                WriteStored(source.hive, sourcePath, "app", *c.inSource, source.view);
            if (c.inTarget)
                WriteStored(source.hive, targetPath, "app", *c.inTarget, source.view);

            const MoveResult result =
                SwitchEntry(source, c.on ? EntryPlace::Parked : EntryPlace::Startup, "app", c.on);

            EXPECT_EQ(result.outcome, c.outcome);
            const Stored sourceAfter = ReadStored(source.hive, sourcePath, "app", source.view);
            const Stored targetAfter = ReadStored(source.hive, targetPath, "app", source.view);
            if (c.outcome == MoveOutcome::Moved) {
                EXPECT_FALSE(sourceAfter);
                EXPECT_EQ(targetAfter, c.inSource);
                const StartupValueList listed = ReadValueList(source.hive, targetPath, source.view);
                ASSERT_EQ(listed.size(), 1u);
                EXPECT_EQ(result.command, listed[0].command) << "the row shows what was moved";
            } else {
                EXPECT_EQ(sourceAfter, c.inSource);
                EXPECT_EQ(targetAfter, c.inTarget);
            }
        }
    }
}
TEST(StartupStoreMove, SwitchingOnLeavesTheEntryEnabledForWindowsAndRewritesNoOtherSwitch)
{
    const std::string time = "\x10\x32\x54\x76\x98\xba\xdc\x01";
    const StoredValue off3 = kWindowsOff;
    const StoredValue off7 = Raw(REG_BINARY, std::string("\x07\0\0\0", 4) + time);
    const StoredValue on6 = Raw(REG_BINARY, std::string("\x06\0\0\0", 4) + time);
    const StoredValue shortOdd = Raw(REG_BINARY, std::string("\x03\0\0\0\0\0\0\0", 8));
    const StoredValue enabledForm = kEnabledForWindows;
    const struct {
        EntryPlace from; // Startup: in Run, switched off by Windows alone
        Stored before;
        Stored after;
    } cases[] = {
        {EntryPlace::Parked, off3, enabledForm},   {EntryPlace::Parked, off7, enabledForm},
        {EntryPlace::Parked, on6, on6},            {EntryPlace::Parked, shortOdd, shortOdd},
        {EntryPlace::Parked, std::nullopt, std::nullopt}, {EntryPlace::Startup, off3, enabledForm},
        {EntryPlace::Startup, off7, enabledForm},  {EntryPlace::Startup, shortOdd, shortOdd},
    };
    const std::vector<StartupSource> sources = StartupSources();
    for (const auto& c : cases) {
        for (std::size_t index = 0; index < sources.size(); ++index) {
            const StartupSource& source = sources[index];
            if (source.kind != StartupKind::Run)
                continue;
            SCOPED_TRACE(std::string(source.location) + (c.from == EntryPlace::Parked ? ", parked" : ", in Run")
                         + (c.before ? ", first byte " + std::to_string(c.before->bytes[0]) : ", no switch"));
            RegistrySandbox sandbox;
            StartupFolderSandbox folders;
            const StoredValue command = Sz("%ProgramFiles%\\tool.exe", REG_EXPAND_SZ);
            const char* path = c.from == EntryPlace::Parked ? kDisabledKeyPath : source.keyPath;
            CreateEmptyKey(source.hive, source.keyPath, source.view);
            WriteStored(source.hive, path, "Tool", command, source.view);
            if (c.before) // Windows does not mind the case of a name
                WriteStored(source.hive, source.approvedKeyPath, "TOOL", *c.before, source.approvedView);

            const std::vector<StartupEntry> entries = ReadStartupEntries(sources);
            ASSERT_EQ(entries.size(), 1u);
            EXPECT_EQ(entries[0].source, index);
            EXPECT_EQ(entries[0].offForWindows, c.from == EntryPlace::Startup && c.after == enabledForm);

            EXPECT_EQ(SwitchEntry(source, c.from, "Tool", true).outcome, MoveOutcome::Moved);
            EXPECT_EQ(ReadStored(source.hive, source.keyPath, "Tool", source.view), command);
            EXPECT_EQ(ReadStored(source.hive, source.approvedKeyPath, "TOOL", source.approvedView), c.after);
            EXPECT_EQ(SwitchEntry(source, EntryPlace::Startup, "Tool", false).outcome, MoveOutcome::Moved);
            EXPECT_EQ(ReadStored(source.hive, source.approvedKeyPath, "TOOL", source.approvedView), c.after)
                << "switching off leaves Windows' switch alone";
        }
    }
}

std::vector<std::string> Described(const std::vector<StartupEntry>& entries, const std::vector<StartupSource>& sources)
{
    std::vector<std::string> texts;
    for (const StartupEntry& entry : entries)
        texts.push_back(std::string(sources.at(entry.source).location) + (entry.place == EntryPlace::Startup ? " on: " : " off: ")
                        + entry.value.name + " = " + entry.value.command);
    return texts;
}

TEST(StartupStoreViews, EachViewOfTheMachineListsAndKeepsItsOwnEntries)
{
    RegistrySandbox sandbox;
    StartupFolderSandbox folders;
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "user", Sz("u.exe"));
    WriteStored(HKEY_LOCAL_MACHINE, kRunKeyPath, "both", Sz("64.exe"), KEY_WOW64_64KEY);
    WriteStored(HKEY_LOCAL_MACHINE, kRunKeyPath, "both", Sz("32.exe"), KEY_WOW64_32KEY);
    const std::vector<StartupSource> sources = StartupSources(true);
    const std::size_t view32 = 2;
    ASSERT_EQ(sources.at(view32).view, static_cast<REGSAM>(KEY_WOW64_32KEY));

    EXPECT_EQ(Described(ReadStartupEntries(sources), sources),
              (std::vector<std::string>{"User Start-Up on: user = u.exe", "System Start-Up on: both = 64.exe",
                                        "System Start-Up (32-bit) on: both = 32.exe"}));

    ASSERT_EQ(SwitchEntry(sources[view32], EntryPlace::Startup, "both", false).outcome, MoveOutcome::Moved);
    EXPECT_EQ(ReadStored(HKEY_LOCAL_MACHINE, kDisabledKeyPath, "both", KEY_WOW64_32KEY), Sz("32.exe"));
    EXPECT_FALSE(ReadStored(HKEY_LOCAL_MACHINE, kDisabledKeyPath, "both", KEY_WOW64_64KEY));
    EXPECT_EQ(Described(ReadStartupEntries(sources), sources),
              (std::vector<std::string>{"User Start-Up on: user = u.exe", "System Start-Up on: both = 64.exe",
                                        "System Start-Up (32-bit) off: both = 32.exe"}));

    ASSERT_EQ(SwitchEntry(sources[view32], EntryPlace::Parked, "both", true).outcome, MoveOutcome::Moved);
    EXPECT_EQ(ReadStored(HKEY_LOCAL_MACHINE, kRunKeyPath, "both", KEY_WOW64_32KEY), Sz("32.exe"));
    EXPECT_EQ(ReadStored(HKEY_LOCAL_MACHINE, kRunKeyPath, "both", KEY_WOW64_64KEY), Sz("64.exe"));
}
} // namespace
