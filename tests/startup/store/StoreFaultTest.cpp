// Every registry call of a move failing in turn: the entry must end in exactly
// one of its two keys with its text, and the move must say which.

#include "pages/startup/StartupStore.h"
#include "support/RegistrySandbox.h"
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

private:
    static StartupCalls& Real() { return SystemStartupCalls(); }
    bool Fault() { return ++m_calls == m_failAt; }
    int m_failAt;
    int m_calls = 0;
};

using Stored = std::optional<StoredValue>;

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
    const StoredValue enabledForm = Raw(REG_BINARY, std::string("\x02\0\0\0", 4) + std::string(8, '\0'));

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
        EXPECT_EQ(flag, moved && scenario.on && scenario.flag ? enabledForm : scenario.flag);
        if (!faultHit) {
            EXPECT_TRUE(moved);
            // Opening the keys, reading, writing and deleting all go through the seam.
            EXPECT_GT(failAt, source == target ? 3 : 5);
            return;
        }
        EXPECT_FALSE(moved);
    }
}
} // namespace

TEST(StartupStoreFaults, EveryFailingCallLeavesTheEntryWholeInExactlyOnePlaceAndWindowsSwitchAsItWas)
{
    const Stored targets[] = {std::nullopt, Raw(REG_BINARY, std::string("\x00\x01\xfe", 3)), Sz("stale.exe")};
    const Stored windowsOff = Raw(REG_BINARY, std::string("\x03\0\0\0\x10\x32\x54\x76\x98\xba\xdc\x01", 12));
    for (const StartupSource& source : StartupSources()) {
        if (!IsSwitchable(source))
            continue;
        SCOPED_TRACE(source.location);
        for (const Stored& inTarget : targets) {
            SCOPED_TRACE(inTarget ? "target taken" : "target free");
            RunWithEveryCallFailingInTurn({source, EntryPlace::Startup, false, inTarget, std::nullopt});
            RunWithEveryCallFailingInTurn({source, EntryPlace::Parked, true, inTarget, std::nullopt});
            RunWithEveryCallFailingInTurn({source, EntryPlace::Parked, true, inTarget, windowsOff});
        }
        SCOPED_TRACE("switched off by Windows alone");
        RunWithEveryCallFailingInTurn({source, EntryPlace::Startup, true, std::nullopt, windowsOff});
    }
}
