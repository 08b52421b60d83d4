// Switching entries off and on against the registry: what ends up where.

#include "pages/startup/StartupStore.h"
#include "support/RegistrySandbox.h"
#include "startup/store/StoredValue.h"

#include <gtest/gtest.h>

namespace {
bool Listed(HKEY hive, const char* path, const std::string& name)
{
    for (const StartupValue& value : ReadValueList(hive, path))
        if (value.name == name)
            return true;
    return false;
}
} // namespace

TEST(StartupStoreMove, SwitchingOffOverwritesAStaleDisabledValueOfTheSameName)
{
    RegistrySandbox sandbox;
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "app", Sz("c:\\new\\app.exe"));
    WriteStored(HKEY_CURRENT_USER, kDisabledKeyPath, "app", Raw(REG_BINARY, "\x01\x02"));
    EXPECT_TRUE(Listed(HKEY_CURRENT_USER, kRunKeyPath, "app"));
    EXPECT_TRUE(Listed(HKEY_CURRENT_USER, kDisabledKeyPath, "app"));

    ASSERT_TRUE(DisableEntry(StartupOrigin::User, "app", "c:\\new\\app.exe"));
    EXPECT_EQ(ReadStored(HKEY_CURRENT_USER, kDisabledKeyPath, "app"), Sz("c:\\new\\app.exe"));
    EXPECT_FALSE(ReadStored(HKEY_CURRENT_USER, kRunKeyPath, "app"));
}

TEST(StartupStoreMove, NonTextOrMissingValuesAreNotMovedAndLeftUntouched)
{
    RegistrySandbox sandbox;
    const StoredValue number = Raw(REG_DWORD, std::string("\x07\0\0\0", 4));
    const StoredValue bytes = Raw(REG_BINARY, std::string("\xde\xad\x00\xef", 4));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "number", number);
    WriteStored(HKEY_CURRENT_USER, kDisabledKeyPath, "bytes", bytes);
    WriteStored(HKEY_CURRENT_USER, kDisabledKeyPath, "offonly", Sz("off.exe"));

    for (const StartupValue& value : ReadValueList(HKEY_CURRENT_USER, kRunKeyPath))
        EXPECT_FALSE(DisableEntry(StartupOrigin::User, value.name, value.command));
    for (const StartupValue& value : ReadValueList(HKEY_CURRENT_USER, kDisabledKeyPath)) {
        if (value.name == "bytes") {
            EXPECT_FALSE(EnableEntry(StartupOrigin::User, value.name, value.command));
        }
    }
    EXPECT_FALSE(DisableEntry(StartupOrigin::User, "offonly", "off.exe"));
    EXPECT_FALSE(EnableEntry(StartupOrigin::User, "ghost", "ghost.exe"));

    EXPECT_EQ(ReadStored(HKEY_CURRENT_USER, kRunKeyPath, "number"), number);
    EXPECT_EQ(ReadStored(HKEY_CURRENT_USER, kDisabledKeyPath, "bytes"), bytes);
    EXPECT_EQ(ReadStored(HKEY_CURRENT_USER, kDisabledKeyPath, "offonly"), Sz("off.exe"));
    for (const char* name : {"number", "ghost"})
        EXPECT_FALSE(ReadStored(HKEY_CURRENT_USER, kDisabledKeyPath, name)) << name;
    for (const char* name : {"bytes", "offonly", "ghost"})
        EXPECT_FALSE(ReadStored(HKEY_CURRENT_USER, kRunKeyPath, name)) << name;
}
