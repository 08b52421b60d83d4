// Reading the value lists: what is listed, in which order, and how data that
// is not a plain terminated string comes out.

#include "pages/startup/StartupStore.h"
#include "support/RegistrySandbox.h"
#include "startup/store/StoredValue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {
std::vector<std::string> Names(const StartupValueList& values)
{
    std::vector<std::string> names;
    for (const StartupValue& value : values)
        names.push_back(value.name);
    return names;
}

// The key's value names as the registry enumerates them.
std::vector<std::string> EnumeratedNames(HKEY hive, const char* path)
{
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(hive, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof(name);
        if (::RegEnumValueA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    ::RegCloseKey(key);
    return names;
}
} // namespace

TEST(StartupStoreRead, ListsEveryValueInEnumerationOrderIncludingTheUnnamedDefault)
{
    RegistrySandbox sandbox;
    for (const char* name : {"zeta", "", "Alpha", "mid"})
        WriteStored(HKEY_CURRENT_USER, kRunKeyPath, name, Sz(std::string(name) + ".exe"));
    WriteStored(HKEY_LOCAL_MACHINE, kRunKeyPath, "machine", Sz("m.exe"));

    const StartupValueList values = ReadValueList(HKEY_CURRENT_USER, kRunKeyPath);
    EXPECT_EQ(Names(values), EnumeratedNames(HKEY_CURRENT_USER, kRunKeyPath));
    ASSERT_EQ(values.size(), 4u);
    for (const StartupValue& value : values) {
        EXPECT_EQ(value.command, value.name + ".exe");
        EXPECT_TRUE(value.isText);
    }
    EXPECT_EQ(Names(ReadValueList(HKEY_LOCAL_MACHINE, kRunKeyPath, kNativeView)), std::vector<std::string>{"machine"});
}

TEST(StartupStoreRead, OversizedNamesAndDataAreSkippedWhileTheRestIsRead)
{
    RegistrySandbox sandbox;
    const std::string longestName(8191, 'n');
    const std::string longestText(8191, 't'); // 8192 bytes with its NUL
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "before", Sz("b.exe"));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, longestName, Sz("n.exe"));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, std::string(8192, 'x'), Sz("x.exe"));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "largest", Sz(longestText));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "toolarge", Sz(std::string(8192, 'd')));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "after", Sz("a.exe"));
    ASSERT_TRUE(ReadStored(HKEY_CURRENT_USER, kRunKeyPath, std::string(8192, 'x')));
    ASSERT_TRUE(ReadStored(HKEY_CURRENT_USER, kRunKeyPath, "toolarge"));

    const StartupValueList values = ReadValueList(HKEY_CURRENT_USER, kRunKeyPath);
    std::vector<std::string> names = Names(values);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"after", "before", "largest", longestName}));
    for (const StartupValue& value : values) {
        if (value.name == "largest") {
            EXPECT_EQ(value.command, longestText);
        }
    }
}

TEST(StartupStoreRead, NonTextValuesAreRenderedReadablyAndMarkedAsNotText)
{
    RegistrySandbox sandbox;
    const std::pair<const char*, StoredValue> cases[] = {
        {"dword", Raw(REG_DWORD, std::string("\x00\x28\x6b\xee", 4))},
        {"qword", Raw(REG_QWORD, std::string("\x00\xf2\x05\x2a\x01\0\0\0", 8))},
        {"binary", Raw(REG_BINARY, std::string("\x01\xa0\xff", 3))},
        {"multi", Raw(REG_MULTI_SZ, std::string("a.exe\0b c\0\0", 11))},
        {"none", Raw(REG_NONE, "")},
    };
    for (const auto& [name, value] : cases)
        WriteStored(HKEY_CURRENT_USER, kRunKeyPath, name, value);

    const std::map<std::string, std::string> expected = {
        {"dword", "4000000000"}, {"qword", "5000000000"}, {"binary", "01 a0 ff"}, {"multi", "a.exe; b c"}, {"none", ""}};
    const StartupValueList values = ReadValueList(HKEY_CURRENT_USER, kRunKeyPath);
    ASSERT_EQ(values.size(), expected.size());
    for (const StartupValue& value : values) {
        EXPECT_EQ(value.command, expected.at(value.name)) << value.name;
        EXPECT_FALSE(value.isText) << value.name;
    }
}

TEST(StartupStoreRead, TextWithoutClosingNulIsReadWithinItsOwnBytes)
{
    RegistrySandbox sandbox;
    const std::string full(8192, 'f'); // fills the whole buffer, no NUL anywhere
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "a_long", Sz("c:\\a much longer command line.exe"));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "b_short", Raw(REG_SZ, "abc"));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "c_full", Raw(REG_SZ, full));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "d_inner", Raw(REG_EXPAND_SZ, std::string("ab\0zz", 5)));

    const std::map<std::string, std::string> expected = {
        {"a_long", "c:\\a much longer command line.exe"}, {"b_short", "abc"}, {"c_full", full}, {"d_inner", "ab"}};
    const StartupValueList values = ReadValueList(HKEY_CURRENT_USER, kRunKeyPath);
    ASSERT_EQ(values.size(), expected.size());
    for (const StartupValue& value : values)
        EXPECT_EQ(value.command, expected.at(value.name)) << value.name;
}
