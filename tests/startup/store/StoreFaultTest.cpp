// Every registry and file call of a move failing in turn: the entry must end
// whole in exactly one of its two places, Windows' switch as it was unless the
// move went through, and the move must say which.

#include "pages/startup/StartupFolders.h"
#include "pages/startup/StartupMoves.h"
#include "pages/startup/StartupStore.h"
#include "support/RegistrySandbox.h"
#include "startup/StartupFolderSandbox.h"
#include "startup/store/StoredValue.h"

#include <gtest/gtest.h>

#include <shlobj.h>

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

// An entry's two places for one source: values of its keys, or files of its
// folders (their content as the bytes of a value without a type).
class Places {
public:
    explicit Places(const StartupSource& source) : m_source(source) {}

    void Put(EntryPlace place, const StoredValue& value) const
    {
        if (m_source.kind != StartupKind::Folder) {
            WriteStored(m_source.hive, KeyPath(place), kName, value, m_source.view);
            return;
        }
        ::SHCreateDirectoryExA(nullptr, Folder(place).c_str(), nullptr);
        WriteFileText(Folder(place) + "\\" + kName, std::string(value.bytes.begin(), value.bytes.end()));
    }

    Stored Get(EntryPlace place) const
    {
        if (m_source.kind != StartupKind::Folder)
            return ReadStored(m_source.hive, KeyPath(place), kName, m_source.view);
        const std::optional<std::string> content = ReadFileText(Folder(place) + "\\" + kName);
        return content ? Stored(Raw(REG_NONE, *content)) : std::nullopt;
    }

    static constexpr const char* kName = "entry.cmd";

private:
    const char* KeyPath(EntryPlace place) const
    {
        return place == EntryPlace::Startup ? m_source.keyPath : kDisabledKeyPath;
    }
    std::string Folder(EntryPlace place) const
    {
        return place == EntryPlace::Startup ? StartupFolderPath(m_source) : ParkedFolderPath(m_source);
    }

    const StartupSource& m_source;
};

struct Scenario {
    EntryPlace from;
    bool on;
    Stored inTarget; // what already stands under the name at the other place
    Stored flag;     // Windows' own switch for the entry
};

void RunWithEveryCallFailingInTurn(const StartupSource& source, const Scenario& scenario)
{
    const bool folder = source.kind == StartupKind::Folder;
    const StoredValue entry = folder ? Raw(REG_NONE, "start entry.exe")
                                     : Sz("\"%ProgramFiles%\\entry\\entry.exe\" /background", REG_EXPAND_SZ);
    const EntryPlace to = scenario.on ? EntryPlace::Startup : EntryPlace::Parked;
    const bool moves = scenario.from != to; // not so for an entry switched off by Windows alone
    for (int failAt = 1;; ++failAt) {
        SCOPED_TRACE("call " + std::to_string(failAt) + " fails");
        RegistrySandbox registry;
        StartupFolderSandbox folders;
        const Places places(source);
        if (!folder)
            CreateEmptyKey(source.hive, source.keyPath, source.view);
        places.Put(scenario.from, entry);
        if (scenario.inTarget)
            places.Put(to, *scenario.inTarget);
        if (scenario.flag)
            WriteStored(source.hive, source.approvedKeyPath, Places::kName, *scenario.flag, source.approvedView);

        bool moved = false;
        bool faultHit = false;
        {
            FailingCalls calls(failAt);
            moved = SwitchEntry(source, scenario.from, Places::kName, scenario.on).outcome == MoveOutcome::Moved;
            faultHit = calls.Failed();
        }

        if (moved && moves) {
            EXPECT_FALSE(places.Get(scenario.from));
            EXPECT_EQ(places.Get(to), entry);
        } else {
            EXPECT_EQ(places.Get(scenario.from), entry);
            if (moves) {
                EXPECT_EQ(places.Get(to), scenario.inTarget);
            }
        }
        const Stored flag = ReadStored(source.hive, source.approvedKeyPath, Places::kName, source.approvedView);
        EXPECT_EQ(flag, moved && scenario.on && scenario.flag ? kEnabledForWindows : scenario.flag);
        if (!faultHit) {
            // A value of the same name in the disabled key is overwritten; a file never is.
            EXPECT_EQ(moved, !(folder && scenario.inTarget));
            EXPECT_GT(failAt, 1) << "the steps go through the calls that fail";
            return;
        }
        EXPECT_FALSE(moved);
    }
}
} // namespace

TEST(StartupStoreFaults, EveryFailingCallLeavesTheEntryWholeInExactlyOnePlaceAndWindowsSwitchAsItWas)
{
    for (const StartupSource& source : StartupSources()) {
        if (!IsSwitchable(source))
            continue;
        SCOPED_TRACE(source.location);
        const std::vector<Stored> targets =
            source.kind == StartupKind::Folder
                ? std::vector<Stored>{std::nullopt, Raw(REG_NONE, "other")}
                : std::vector<Stored>{std::nullopt, Raw(REG_BINARY, std::string("\x00\x01\xfe", 3)), Sz("stale.exe")};
        for (const Stored& inTarget : targets) {
            SCOPED_TRACE(inTarget ? "target taken" : "target free");
            RunWithEveryCallFailingInTurn(source, {EntryPlace::Startup, false, inTarget, std::nullopt});
            RunWithEveryCallFailingInTurn(source, {EntryPlace::Parked, true, inTarget, kWindowsOff});
        }
        RunWithEveryCallFailingInTurn(source, {EntryPlace::Parked, true, std::nullopt, std::nullopt});
        SCOPED_TRACE("switched off by Windows alone");
        RunWithEveryCallFailingInTurn(source, {EntryPlace::Startup, true, std::nullopt, kWindowsOff});
    }
}
