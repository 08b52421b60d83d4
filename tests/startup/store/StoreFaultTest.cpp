// Every registry and file call of a move failing in turn: the entry must end
// whole in exactly one of its two places, Windows' switch as it was unless the
// move went through, and the move must say which.

#include "pages/startup/StartupFolders.h"
#include "pages/startup/StartupStore.h"
#include "support/RegistrySandbox.h"
#include "startup/StartupFolderSandbox.h"
#include "startup/store/StoredValue.h"

#include <gtest/gtest.h>

namespace {
// Passes calls on to the registry, except call number `failAt`, which fails
// without touching anything.
class FailingCalls final : public StartupCalls {
public:
    explicit FailingCalls(int failAt) : m_failAt(failAt) { SetStartupCallsForTesting(this); }
    ~FailingCalls() override { SetStartupCallsForTesting(nullptr); }
    bool Failed() const { return m_calls >= m_failAt; }

    LONG CreateKey(HKEY hive, const char* path, REGSAM view, HKEY* key) override
    {
        return Fault() ? ERROR_ACCESS_DENIED : Real().CreateKey(hive, path, view, key);
    }
    LONG OpenKey(HKEY hive, const char* path, REGSAM view, HKEY* key) override
    {
        return Fault() ? ERROR_ACCESS_DENIED : Real().OpenKey(hive, path, view, key);
    }
    LONG QueryValue(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* size) override
    {
        return Fault() ? ERROR_ACCESS_DENIED : Real().QueryValue(key, name, type, data, size);
    }
    LONG SetValue(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size) override
    {
        return Fault() ? ERROR_ACCESS_DENIED : Real().SetValue(key, name, type, data, size);
    }
    LONG DeleteValue(HKEY key, const char* name) override
    {
        return Fault() ? ERROR_ACCESS_DENIED : Real().DeleteValue(key, name);
    }
    LONG CreateFolder(const char* path) override { return Fault() ? ERROR_ACCESS_DENIED : Real().CreateFolder(path); }
    LONG MoveFile(const char* from, const char* to) override
    {
        return Fault() ? ERROR_ACCESS_DENIED : Real().MoveFile(from, to);
    }

private:
    static StartupCalls& Real() { return SystemStartupCalls(); }
    bool Fault() { return ++m_calls == m_failAt; }
    int m_failAt;
    int m_calls = 0;
};

using Stored = std::optional<StoredValue>;

const StoredValue kEnabledForm = Raw(REG_BINARY, std::string("\x02\0\0\0", 4) + std::string(8, '\0'));
const StoredValue kWindowsOff = Raw(REG_BINARY, std::string("\x03\0\0\0\x10\x32\x54\x76\x98\xba\xdc\x01", 12));

struct Scenario {
    const StartupSource& source;
    EntryPlace from;
    bool on;
    Stored inTarget; // a value of the same name already at the other place
    Stored flag;     // Windows' own switch for the entry
};

void RunWithEveryCallFailingInTurn(const Scenario& scenario)
{
    const StartupSource& s = scenario.source;
    const EntryPlace to = scenario.on ? EntryPlace::Startup : EntryPlace::Parked;
    const char* source = scenario.from == EntryPlace::Startup ? s.keyPath : kDisabledKeyPath;
    const char* target = to == EntryPlace::Startup ? s.keyPath : kDisabledKeyPath;
    const std::string name = "entry";
    const StoredValue entry = Sz("\"%ProgramFiles%\\entry\\entry.exe\" /background", REG_EXPAND_SZ);

    for (int failAt = 1;; ++failAt) {
        SCOPED_TRACE("call " + std::to_string(failAt) + " fails");
        RegistrySandbox sandbox;
        CreateEmptyKey(s.hive, s.keyPath, s.view);
        WriteStored(s.hive, source, name, entry, s.view);
        if (scenario.inTarget)
            WriteStored(s.hive, target, name, *scenario.inTarget, s.view);
        if (scenario.flag)
            WriteStored(s.hive, s.approvedKeyPath, name, *scenario.flag, s.approvedView);

        bool moved = false;
        bool faultHit = false;
        {
            FailingCalls calls(failAt);
            moved = SwitchEntry(s, scenario.from, name, scenario.on).outcome == MoveOutcome::Moved;
            faultHit = calls.Failed();
        }

        const Stored inSource = ReadStored(s.hive, source, name, s.view);
        const Stored inTarget = ReadStored(s.hive, target, name, s.view);
        if (moved && source != target) {
            EXPECT_FALSE(inSource);
            EXPECT_EQ(inTarget, entry);
        } else {
            EXPECT_EQ(inSource, entry);
            if (source != target) {
                EXPECT_EQ(inTarget, scenario.inTarget);
            }
        }
        const Stored flag = ReadStored(s.hive, s.approvedKeyPath, name, s.approvedView);
        EXPECT_EQ(flag, moved && scenario.on && scenario.flag ? kEnabledForm : scenario.flag);
        if (!faultHit) {
            EXPECT_TRUE(moved);
            // Opening the keys, reading, writing and deleting all go through the seam.
            EXPECT_GT(failAt, source == target ? 3 : 5);
            return;
        }
        EXPECT_FALSE(moved);
    }
}
struct FolderScenario {
    const StartupSource& source;
    EntryPlace from;
    bool on;
    bool targetTaken; // a file of the same name already at the other place
    Stored flag;
};

void RunFolderMoveWithEveryCallFailingInTurn(const FolderScenario& scenario)
{
    const StartupSource& s = scenario.source;
    const EntryPlace to = scenario.on ? EntryPlace::Startup : EntryPlace::Parked;
    for (int failAt = 1;; ++failAt) {
        SCOPED_TRACE("call " + std::to_string(failAt) + " fails");
        RegistrySandbox registry;
        StartupFolderSandbox folders;
        const std::string startup = StartupFolderPath(s);
        const std::string parked = ParkedFolderPath(s);
        if (scenario.from == EntryPlace::Parked || scenario.targetTaken) {
            ::CreateDirectoryA(parked.substr(0, parked.rfind('\\')).c_str(), nullptr);
            ::CreateDirectoryA(parked.c_str(), nullptr);
        }
        const std::string fromPath = (scenario.from == EntryPlace::Startup ? startup : parked) + "\\entry.cmd";
        const std::string toPath = (to == EntryPlace::Startup ? startup : parked) + "\\entry.cmd";
        WriteFileText(fromPath, "entry");
        if (scenario.targetTaken)
            WriteFileText(toPath, "other");
        if (scenario.flag)
            WriteStored(s.hive, s.approvedKeyPath, "entry.cmd", *scenario.flag, s.approvedView);

        bool moved = false;
        bool faultHit = false;
        {
            FailingCalls calls(failAt);
            moved = SwitchEntry(s, scenario.from, "entry.cmd", scenario.on).outcome == MoveOutcome::Moved;
            faultHit = calls.Failed();
        }

        if (moved && fromPath != toPath) {
            EXPECT_FALSE(ReadFileText(fromPath));
            EXPECT_EQ(ReadFileText(toPath), "entry");
        } else {
            EXPECT_EQ(ReadFileText(fromPath), "entry");
            if (fromPath != toPath) {
                EXPECT_EQ(ReadFileText(toPath), scenario.targetTaken ? std::optional<std::string>("other") : std::nullopt);
            }
        }
        const Stored flag = ReadStored(s.hive, s.approvedKeyPath, "entry.cmd", s.approvedView);
        EXPECT_EQ(flag, moved && scenario.on && scenario.flag ? kEnabledForm : scenario.flag);
        if (!faultHit) {
            EXPECT_EQ(moved, !scenario.targetTaken);
            return;
        }
        EXPECT_FALSE(moved);
    }
}
} // namespace

TEST(StartupStoreFaults, EveryFailingFolderCallLeavesTheFileWholeInExactlyOnePlaceAndWindowsSwitchAsItWas)
{
    for (const StartupSource& source : StartupSources()) {
        if (source.kind != StartupKind::Folder)
            continue;
        SCOPED_TRACE(source.location);
        for (bool taken : {false, true}) {
            SCOPED_TRACE(taken ? "name taken at the target" : "target free");
            RunFolderMoveWithEveryCallFailingInTurn({source, EntryPlace::Startup, false, taken, std::nullopt});
            RunFolderMoveWithEveryCallFailingInTurn({source, EntryPlace::Parked, true, taken, kWindowsOff});
        }
        RunFolderMoveWithEveryCallFailingInTurn({source, EntryPlace::Parked, true, false, std::nullopt});
        SCOPED_TRACE("switched off by Windows alone");
        RunFolderMoveWithEveryCallFailingInTurn({source, EntryPlace::Startup, true, false, kWindowsOff});
    }
}

TEST(StartupStoreFaults, EveryFailingCallLeavesTheEntryWholeInExactlyOnePlaceAndWindowsSwitchAsItWas)
{
    const Stored targets[] = {std::nullopt, Raw(REG_BINARY, std::string("\x00\x01\xfe", 3)), Sz("stale.exe")};
    for (const StartupSource& source : StartupSources()) {
        if (!IsSwitchable(source) || source.kind == StartupKind::Folder)
            continue;
        SCOPED_TRACE(source.location);
        for (const Stored& inTarget : targets) {
            SCOPED_TRACE(inTarget ? "target taken" : "target free");
            RunWithEveryCallFailingInTurn({source, EntryPlace::Startup, false, inTarget, std::nullopt});
            RunWithEveryCallFailingInTurn({source, EntryPlace::Parked, true, inTarget, std::nullopt});
            RunWithEveryCallFailingInTurn({source, EntryPlace::Parked, true, inTarget, kWindowsOff});
        }
        SCOPED_TRACE("switched off by Windows alone");
        RunWithEveryCallFailingInTurn({source, EntryPlace::Startup, true, std::nullopt, kWindowsOff});
    }
}
