// Every registry and file call of a move failing in turn: the entry must end
// whole in exactly one of its two places, what stood at the target untouched,
// Windows' switch as it was unless the move went through, and the move must
// say which.

#include "pages/startup/store/StartupFolders.h"
#include "pages/startup/store/StartupMoves.h"
#include "pages/startup/store/StartupStore.h"
#include "support/RegistrySandbox.h"
#include "startup/StartupFolderSandbox.h"
#include "startup/store/ForwardingCalls.h"
#include "startup/store/StoredValue.h"

#include <gtest/gtest.h>

#include <shlobj.h>

namespace {

using Stored = std::optional<StoredValue>;

// An entry's two places for one source: values of its keys, or files of its
// folders (their content as the bytes of a value without a type).
class Places {
public:
    explicit Places(const StartupSource& source) : m_source(source) {}

    void Put(EntryPlace place, const StoredValue& value) const
    {
        if (m_source.kind != StartupKind::Folder) {
            WriteStored(m_source.hive, KeyPath(place).c_str(), ValueName(place), value, m_source.view);
            return;
        }
        ::SHCreateDirectoryExW(nullptr, W(Folder(place)).c_str(), nullptr);
        WriteFileText(Folder(place) + "\\" + kName, std::string(value.bytes.begin(), value.bytes.end()));
    }

    Stored Get(EntryPlace place) const
    {
        if (m_source.kind != StartupKind::Folder)
            return ReadStored(m_source.hive, KeyPath(place).c_str(), ValueName(place), m_source.view);
        const std::optional<std::string> content = ReadFileText(Folder(place) + "\\" + kName);
        return content ? Stored(Raw(REG_NONE, *content)) : std::nullopt;
    }

    // Named in more than one script, so every call sees the whole name.
    static constexpr const char* kName = "запись 项目 \xF0\x9F\x98\x80.cmd";

    // The key where Windows reads the entry: the source's, or for a debugger
    // the program's key below it, named as the entry.
    std::wstring KeyPath(EntryPlace place) const
    {
        if (place == EntryPlace::Parked)
            return m_source.disabledKeyPath;
        return m_source.kind == StartupKind::Debugger ? std::wstring(m_source.keyPath) + L"\\" + W(kName)
                                                      : m_source.keyPath;
    }

private:
    std::string ValueName(EntryPlace place) const
    {
        return place == EntryPlace::Startup && m_source.kind == StartupKind::Debugger ? "Debugger" : kName;
    }
    std::string Folder(EntryPlace place) const
    {
        return U8(place == EntryPlace::Startup ? StartupFolderPath(m_source) : ParkedFolderPath(m_source));
    }

    const StartupSource& m_source;
};

struct Scenario {
    EntryPlace from;
    bool on;
    Stored inTarget; // what already stands under the name at the other place
    Stored flag;     // Windows' own switch for the entry
    bool runKeyGone = false;
};

StoredValue EntryOf(const StartupSource& source)
{
    return source.kind == StartupKind::Folder ? Raw(REG_NONE, "start entry.exe")
                                              : Sz("\"%ProgramFiles%\\Анна\\entry.exe\" /background", REG_EXPAND_SZ);
}

void RunWithEveryCallFailingInTurn(const StartupSource& source, const Scenario& scenario)
{
    const StoredValue entry = EntryOf(source);
    const EntryPlace to = scenario.on ? EntryPlace::Startup : EntryPlace::Parked;
    const bool moves = scenario.from != to; // not so for an entry switched off by Windows alone
    const bool other = scenario.inTarget && !(*scenario.inTarget == entry);
    // Another entry of the name at the target: switched off in place through
    // Windows' switch, or refused.
    const bool inPlace = other && !scenario.on && source.approvedKeyPath;
    for (int failAt = 1;; ++failAt) {
        SCOPED_TRACE("call " + std::to_string(failAt) + " fails");
        RegistrySandbox registry;
        StartupFolderSandbox folders;
        const Places places(source);
        if (source.kind != StartupKind::Folder && !scenario.runKeyGone)
            CreateEmptyKey(source.hive, places.KeyPath(EntryPlace::Startup).c_str(), source.view);
        places.Put(scenario.from, entry);
        if (scenario.inTarget)
            places.Put(to, *scenario.inTarget);
        if (scenario.flag)
            WriteStored(source.hive, source.approvedKeyPath, Places::kName, *scenario.flag, source.approvedView);

        bool moved = false;
        bool faultHit = false;
        {
            FailingCalls calls(failAt);
            moved = SwitchEntry(source, scenario.from, W(Places::kName), scenario.on).outcome == MoveOutcome::Moved;
            faultHit = calls.Failed();
        }

        const Stored flag = source.approvedKeyPath
                                ? ReadStored(source.hive, source.approvedKeyPath, Places::kName, source.approvedView)
                                : std::nullopt;
        if (moved && moves && !inPlace) {
            EXPECT_FALSE(places.Get(scenario.from));
            EXPECT_EQ(places.Get(to), entry);
        } else {
            EXPECT_EQ(places.Get(scenario.from), entry);
            if (moves) {
                EXPECT_EQ(places.Get(to), scenario.inTarget);
            }
        }
        if (moved && inPlace) {
            EXPECT_TRUE(IsWindowsOffSwitch(flag));
        } else {
            EXPECT_EQ(flag, moved && scenario.on && scenario.flag ? kEnabledForWindows : scenario.flag);
        }
        if (!faultHit) {
            EXPECT_EQ(moved, !other || inPlace) << "another entry of the name is never replaced";
            EXPECT_GT(failAt, 1) << "the steps go through the calls that fail";
            return;
        }
        EXPECT_FALSE(moved);
    }
}
} // namespace

TEST(StartupStoreFaults, EveryFailingCallLeavesTheEntryWholeInExactlyOnePlaceAndWindowsSwitchAsItWas)
{
    // The kinds that move entries between two places (packaged apps' tasks
    // are switched where they stand: PackagedAppsTest), and of those that
    // move one value the native view's debuggers, whose key is the program's.
    for (const StartupSource& source : StartupSources()) {
        const bool debuggers = source.kind == StartupKind::Debugger && source.view != KEY_WOW64_32KEY;
        if (source.kind != StartupKind::Run && source.kind != StartupKind::Folder && !debuggers)
            continue;
        SCOPED_TRACE(U8(source.location));
        const StoredValue entry = EntryOf(source);
        const std::vector<Stored> targets =
            source.kind == StartupKind::Folder
                ? std::vector<Stored>{std::nullopt, Raw(REG_NONE, "other"), entry}
                : std::vector<Stored>{std::nullopt, Raw(REG_BINARY, std::string("\x00\x01\xfe", 3)), Sz("stale.exe"),
                                      entry};
        for (const Stored& inTarget : targets) {
            SCOPED_TRACE(!inTarget ? "target free" : *inTarget == entry ? "the same entry at the target"
                                                                        : "another entry at the target");
            RunWithEveryCallFailingInTurn(source, {EntryPlace::Startup, false, inTarget, std::nullopt});
            if (source.approvedKeyPath)
                RunWithEveryCallFailingInTurn(source, {EntryPlace::Parked, true, inTarget, kWindowsOff});
        }
        RunWithEveryCallFailingInTurn(source, {EntryPlace::Parked, true, std::nullopt, std::nullopt});
        if ((source.kind == StartupKind::Run && !source.approvedKeyPath) || debuggers) {
            SCOPED_TRACE("the Run key gone meanwhile"); // as a policy's or the install mode's can be
            RunWithEveryCallFailingInTurn(source, {EntryPlace::Parked, true, std::nullopt, std::nullopt, true});
        }
        if (source.approvedKeyPath) {
            SCOPED_TRACE("switched off by Windows alone");
            RunWithEveryCallFailingInTurn(source, {EntryPlace::Startup, true, std::nullopt, kWindowsOff});
        }
    }
}
