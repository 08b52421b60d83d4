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

struct Scenario {
    const StartupSource& source;
    bool switchOff;
    std::optional<StoredValue> inTarget; // a value of the same name already in the target key
};

void RunWithEveryCallFailingInTurn(const Scenario& scenario)
{
    const HKEY hive = scenario.source.hive;
    const REGSAM view = scenario.source.view;
    const char* source = scenario.switchOff ? kRunKeyPath : kDisabledKeyPath;
    const char* target = scenario.switchOff ? kDisabledKeyPath : kRunKeyPath;
    const std::string name = "entry";
    const StoredValue entry = Sz("\"%ProgramFiles%\\entry\\entry.exe\" /background", REG_EXPAND_SZ);

    for (int failAt = 1;; ++failAt) {
        SCOPED_TRACE("call " + std::to_string(failAt) + " fails");
        RegistrySandbox sandbox;
        CreateEmptyKey(hive, kRunKeyPath, view);
        WriteStored(hive, source, name, entry, view);
        if (scenario.inTarget)
            WriteStored(hive, target, name, *scenario.inTarget, view);

        bool moved = false;
        bool faultHit = false;
        {
            FailingCalls calls(failAt);
            const EntryPlace from = scenario.switchOff ? EntryPlace::Startup : EntryPlace::Parked;
            moved = SwitchEntry(scenario.source, from, name, !scenario.switchOff).outcome == MoveOutcome::Moved;
            faultHit = calls.Failed();
        }

        const auto inSource = ReadStored(hive, source, name, view);
        const auto inTarget = ReadStored(hive, target, name, view);
        if (moved) {
            EXPECT_FALSE(inSource);
            EXPECT_EQ(inTarget, entry);
        } else {
            EXPECT_EQ(inSource, entry);
            EXPECT_EQ(inTarget, scenario.inTarget);
        }
        if (!faultHit) {
            EXPECT_TRUE(moved);
            // Opening both keys, checking the source, writing and deleting all go through the seam.
            EXPECT_GT(failAt, 5);
            return;
        }
        EXPECT_FALSE(moved);
    }
}
} // namespace

TEST(StartupStoreFaults, EveryFailingCallLeavesTheEntryInExactlyOneKey)
{
    const std::optional<StoredValue> targets[] = {std::nullopt, Raw(REG_BINARY, std::string("\x00\x01\xfe", 3)),
                                                  Sz("stale.exe")};
    for (const StartupSource& source : StartupSources())
        for (bool switchOff : {true, false})
            for (const auto& inTarget : targets) {
                SCOPED_TRACE(std::string(source.location) + (switchOff ? " off" : " on")
                             + (inTarget ? ", target taken" : ""));
                RunWithEveryCallFailingInTurn({source, switchOff, inTarget});
            }
}
