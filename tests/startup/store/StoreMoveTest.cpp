// Switching entries off and on against the registry: the entry is found by its
// name as it stands now and moved with its exact type and bytes, in any
// script, and nothing that stands at the target is ever replaced.

#include "pages/startup/store/StartupMoves.h"
#include "pages/startup/store/StartupStore.h"
#include "support/RegistrySandbox.h"
#include "startup/StartupFolderSandbox.h"
#include "startup/store/ForwardingCalls.h"
#include "startup/store/StoredValue.h"

#include <gtest/gtest.h>

namespace {
using Stored = std::optional<StoredValue>;

// Not in the code page: Cyrillic, CJK, and a character beyond the Basic
// Multilingual Plane (a surrogate pair).
const char kCyrillicCommand[] = "C:\\Users\\Анна\\AppData\\Local\\Sync\\sync.exe";
const char kCjkName[] = "同步助手";
const char kBeyondBmp[] = "\xF0\x9F\x98\x80 \xF0\xA0\x80\x8B tool";

struct MoveCase {
    const char* what;
    const char* name;
    bool on;         // switch on (out of the disabled key) or off (out of the Run key)
    Stored inSource; // what stands under the name where the row says the entry is
    Stored inTarget; // what already stands under the name at the other place
    MoveOutcome outcome;
    // Switched off where it stands, through Windows' own switch, since the
    // name is taken in the disabled key; refused where there is no such switch.
    bool offInPlace = false;
    bool runKeyGone = false; // Windows or a clean-up removed the Run key
};

TEST(StartupStoreMove, MovesWhatStandsThereNowWithItsTypeAndBytesAndNeverReplacesAnything)
{
    const StoredValue expand = Sz("%SystemRoot%\\system32\\notepad.exe /x", REG_EXPAND_SZ);
    const StoredValue number = Raw(REG_DWORD, std::string("\x07\0\0\0", 4));
    const MoveCase cases[] = {
        {"expandable text off", "app", false, expand, std::nullopt, MoveOutcome::Moved},
        {"expandable text on", "app", true, expand, std::nullopt, MoveOutcome::Moved},
        {"plain text of earlier versions on", "app", true, Sz("c:\\old\\tool.exe"), std::nullopt, MoveOutcome::Moved},
        {"text without its NUL", "app", false, Raw(REG_SZ, Utf16Bytes("abc")), std::nullopt, MoveOutcome::Moved},
        {"Cyrillic command off", "sync", false, Sz(kCyrillicCommand), std::nullopt, MoveOutcome::Moved},
        {"CJK name on", kCjkName, true, Sz(kCyrillicCommand, REG_EXPAND_SZ), std::nullopt, MoveOutcome::Moved},
        {"surrogate pairs off", kBeyondBmp, false, Sz(std::string("\"C:\\") + kBeyondBmp + ".exe\""), std::nullopt,
         MoveOutcome::Moved},
        {"the same entry switched off before", "dup", false, Sz("c:\\new\\dup.exe"), Sz("c:\\new\\dup.exe"),
         MoveOutcome::Moved},
        {"the same entry back in Run", "dup", true, Sz("c:\\new\\dup.exe"), Sz("c:\\new\\dup.exe"), MoveOutcome::Moved},
        {"another entry of the name switched off before", "dup", false, Sz("c:\\new\\dup.exe"),
         Sz("c:\\old\\dup.exe"), MoveOutcome::Moved, true},
        {"another type of the same text switched off before", "dup", false, Sz("c:\\dup.exe"),
         Sz("c:\\dup.exe", REG_EXPAND_SZ), MoveOutcome::Moved, true},
        {"another entry of the name back in Run", "dup", true, Sz("c:\\old\\dup.exe"), Sz("c:\\new\\dup.exe"),
         MoveOutcome::NameTaken},
        {"gone from Run", "app", false, std::nullopt, std::nullopt, MoveOutcome::Gone},
        {"moved back by someone else", "app", true, std::nullopt, Sz("c:\\app.exe"), MoveOutcome::Gone},
        {"a number is no command", "app", false, number, std::nullopt, MoveOutcome::Failed},
        {"back into a Run key made again", "app", true, expand, std::nullopt, MoveOutcome::Moved, false, true},
        {"off from a Run key that is gone", "app", false, std::nullopt, std::nullopt, MoveOutcome::Gone, false, true},
    };
    const std::vector<StartupSource> sources = StartupSources();
    for (const MoveCase& c : cases) {
        for (std::size_t index = 0; index < sources.size(); ++index) {
            const StartupSource& source = sources[index];
            if (source.kind != StartupKind::Run)
                continue;
            SCOPED_TRACE(std::string(c.what) + ", " + U8(source.location));
            RegistrySandbox sandbox;
            const wchar_t* sourcePath = c.on ? source.disabledKeyPath : source.keyPath;
            const wchar_t* targetPath = c.on ? source.keyPath : source.disabledKeyPath;
            if (!c.runKeyGone)
                CreateEmptyKey(source.hive, source.keyPath, source.view);
            if (c.inSource)
                WriteStored(source.hive, sourcePath, c.name, *c.inSource, source.view);
            if (c.inTarget)
                WriteStored(source.hive, targetPath, c.name, *c.inTarget, source.view);
            const bool inPlace = c.offInPlace && source.approvedKeyPath;

            const ForwardingCalls windows10;
            const MoveResult result =
                SwitchEntry(source, c.on ? EntryPlace::Parked : EntryPlace::Startup, W(c.name), c.on);

            EXPECT_EQ(result.outcome, c.offInPlace && !inPlace ? MoveOutcome::NameTaken : c.outcome);
            const Stored sourceAfter = ReadStored(source.hive, sourcePath, c.name, source.view);
            const Stored targetAfter = ReadStored(source.hive, targetPath, c.name, source.view);
            const Stored switchAfter =
                source.approvedKeyPath ? ReadStored(source.hive, source.approvedKeyPath, c.name, source.approvedView)
                                       : std::nullopt;
            if (result.outcome == MoveOutcome::Moved && !inPlace) {
                EXPECT_FALSE(sourceAfter);
                EXPECT_EQ(targetAfter, c.inSource);
                EXPECT_EQ(result.place, c.on ? EntryPlace::Startup : EntryPlace::Parked);
                EXPECT_FALSE(switchAfter);
            } else {
                EXPECT_EQ(sourceAfter, c.inSource);
                EXPECT_EQ(targetAfter, c.inTarget);
                EXPECT_EQ(IsWindowsOffSwitch(switchAfter), inPlace);
            }
            if (result.outcome != MoveOutcome::Moved)
                continue;
            // What the next reading lists: the entry once, where the move says, as the row shows it.
            std::vector<StartupEntry> listed;
            for (StartupEntry& entry : ReadStartupEntries(sources, SourceSet::Of(index)))
                if (entry.value.name == W(c.name) && entry.place == result.place)
                    listed.push_back(std::move(entry));
            ASSERT_EQ(listed.size(), 1u);
            EXPECT_EQ(listed[0].value.command, result.command) << "the row shows what was moved";
            EXPECT_EQ(listed[0].offForWindows, inPlace);
        }
    }
}

TEST(StartupStoreMove, WindowsWithoutItsOwnSwitchesRefusesANameTakenAndChangesNothing)
{
    RegistrySandbox sandbox;
    const StartupSource& source = StartupSources().at(0);
    WriteStored(source.hive, source.keyPath, "dup", Sz("c:\\new\\dup.exe"));
    WriteStored(source.hive, source.disabledKeyPath, "dup", Sz("c:\\old\\dup.exe"));
    ForwardingCalls olderWindows;
    olderWindows.WithoutWindowsSwitches();

    EXPECT_EQ(SwitchEntry(source, EntryPlace::Startup, L"dup", false).outcome, MoveOutcome::NameTaken);
    EXPECT_EQ(ReadStored(source.hive, source.keyPath, "dup"), Sz("c:\\new\\dup.exe"));
    EXPECT_EQ(ReadStored(source.hive, source.disabledKeyPath, "dup"), Sz("c:\\old\\dup.exe"));
    EXPECT_FALSE(ReadStored(source.hive, source.approvedKeyPath, "dup"));
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
            if (source.kind != StartupKind::Run || !source.approvedKeyPath)
                continue;
            SCOPED_TRACE(U8(source.location) + (c.from == EntryPlace::Parked ? ", parked" : ", in Run")
                         + (c.before ? ", first byte " + std::to_string(c.before->bytes[0]) : ", no switch"));
            RegistrySandbox sandbox;
            StartupFolderSandbox folders;
            const StoredValue command = Sz("%ProgramFiles%\\tool.exe", REG_EXPAND_SZ);
            const wchar_t* path = c.from == EntryPlace::Parked ? source.disabledKeyPath : source.keyPath;
            CreateEmptyKey(source.hive, source.keyPath, source.view);
            WriteStored(source.hive, path, "Tool", command, source.view);
            if (c.before) // Windows does not mind the case of a name
                WriteStored(source.hive, source.approvedKeyPath, "TOOL", *c.before, source.approvedView);

            const std::vector<StartupEntry> entries = ReadStartupEntries(sources);
            ASSERT_EQ(entries.size(), 1u);
            EXPECT_EQ(entries[0].source, index);
            EXPECT_EQ(entries[0].offForWindows, c.from == EntryPlace::Startup && c.after == enabledForm);

            EXPECT_EQ(SwitchEntry(source, c.from, L"Tool", true).outcome, MoveOutcome::Moved);
            EXPECT_EQ(ReadStored(source.hive, source.keyPath, "Tool", source.view), command);
            EXPECT_EQ(ReadStored(source.hive, source.approvedKeyPath, "TOOL", source.approvedView), c.after);
            EXPECT_EQ(SwitchEntry(source, EntryPlace::Startup, L"Tool", false).outcome, MoveOutcome::Moved);
            EXPECT_EQ(ReadStored(source.hive, source.approvedKeyPath, "TOOL", source.approvedView), c.after)
                << "switching off leaves Windows' switch alone";
        }
    }
}

std::vector<std::string> Described(const std::vector<StartupEntry>& entries, const std::vector<StartupSource>& sources)
{
    std::vector<std::string> texts;
    for (const StartupEntry& entry : entries)
        texts.push_back(U8(sources.at(entry.source).location) + (entry.place == EntryPlace::Startup ? " on: " : " off: ")
                        + U8(entry.value.name) + " = " + U8(entry.value.command));
    return texts;
}

TEST(StartupStoreViews, EachViewOfTheMachineListsAndKeepsItsOwnEntries)
{
    RegistrySandbox sandbox;
    StartupFolderSandbox folders;
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "user", Sz("u.exe"));
    WriteStored(HKEY_LOCAL_MACHINE, kRunKeyPath, "both", Sz("64.exe"), KEY_WOW64_64KEY);
    WriteStored(HKEY_LOCAL_MACHINE, kRunKeyPath, "both", Sz("32.exe"), KEY_WOW64_32KEY);
    WriteStored(HKEY_LOCAL_MACHINE, kPolicyRunKeyPath, "policy", Sz("p32.exe"), KEY_WOW64_32KEY);
    const std::vector<StartupSource> sources = StartupSources(true);
    const std::size_t view32 = 2;
    ASSERT_EQ(sources.at(view32).view, static_cast<REGSAM>(KEY_WOW64_32KEY));

    EXPECT_EQ(Described(ReadStartupEntries(sources), sources),
              (std::vector<std::string>{"User Start-Up on: user = u.exe", "System Start-Up on: both = 64.exe",
                                        "System Start-Up (32-bit) on: both = 32.exe",
                                        "System Policy Start-Up (32-bit) on: policy = p32.exe"}));

    ASSERT_EQ(SwitchEntry(sources[view32], EntryPlace::Startup, L"both", false).outcome, MoveOutcome::Moved);
    EXPECT_EQ(ReadStored(HKEY_LOCAL_MACHINE, kDisabledKeyPath, "both", KEY_WOW64_32KEY), Sz("32.exe"));
    EXPECT_FALSE(ReadStored(HKEY_LOCAL_MACHINE, kDisabledKeyPath, "both", KEY_WOW64_64KEY));
    EXPECT_EQ(Described(ReadStartupEntries(sources), sources),
              (std::vector<std::string>{"User Start-Up on: user = u.exe", "System Start-Up on: both = 64.exe",
                                        "System Policy Start-Up (32-bit) on: policy = p32.exe",
                                        "System Start-Up (32-bit) off: both = 32.exe"}));

    ASSERT_EQ(SwitchEntry(sources[view32], EntryPlace::Parked, L"both", true).outcome, MoveOutcome::Moved);
    EXPECT_EQ(ReadStored(HKEY_LOCAL_MACHINE, kRunKeyPath, "both", KEY_WOW64_32KEY), Sz("32.exe"));
    EXPECT_EQ(ReadStored(HKEY_LOCAL_MACHINE, kRunKeyPath, "both", KEY_WOW64_64KEY), Sz("64.exe"));
}
} // namespace
