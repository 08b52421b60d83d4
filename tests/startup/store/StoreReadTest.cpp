// Reading the value lists: what is listed, in which order, and how data that
// is not a plain terminated string comes out.

#include "pages/startup/store/StartupStore.h"
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
        names.push_back(U8(value.name));
    return names;
}

std::map<std::string, std::string> Commands(const StartupValueList& values)
{
    std::map<std::string, std::string> commands;
    for (const StartupValue& value : values)
        commands[U8(value.name)] = U8(value.command);
    return commands;
}

// The key's value names as the registry enumerates them.
std::vector<std::string> EnumeratedNames(HKEY hive, const wchar_t* path)
{
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(hive, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (::RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.push_back(U8(std::wstring(name, length)));
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
        EXPECT_EQ(value.command, value.name + L".exe");
        EXPECT_TRUE(value.isText);
    }
    EXPECT_EQ(Names(ReadValueList(HKEY_LOCAL_MACHINE, kRunKeyPath, kNativeView)), std::vector<std::string>{"machine"});
}

TEST(StartupStoreRead, LongNamesAndLargeDataAreReadWhole)
{
    RegistrySandbox sandbox;
    const std::string longName(8192, 'n');
    const std::string longestName(16383, 'x'); // the longest the registry allows
    const std::string largeText(100000, 't');
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "before", Sz("b.exe"));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, longName, Sz("n.exe"));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, longestName, Sz("x.exe"));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "large", Sz(largeText));
    ASSERT_TRUE(ReadStored(HKEY_CURRENT_USER, kRunKeyPath, longestName));

    EXPECT_EQ(Commands(ReadValueList(HKEY_CURRENT_USER, kRunKeyPath)),
              (std::map<std::string, std::string>{
                  {"before", "b.exe"}, {longName, "n.exe"}, {longestName, "x.exe"}, {"large", largeText}}));
}

TEST(StartupStoreRead, DataIsReadWithinItsOwnBytesAndNonTextIsRenderedAndMarked)
{
    RegistrySandbox sandbox;
    const struct {
        const char* name;
        StoredValue value;
        const char* shown;
        bool isText;
    } cases[] = {
        {"dword", Raw(REG_DWORD, std::string("\x00\x28\x6b\xee", 4)), "4000000000", false},
        {"qword", Raw(REG_QWORD, std::string("\x00\xf2\x05\x2a\x01\0\0\0", 8)), "5000000000", false},
        {"binary", Raw(REG_BINARY, std::string("\x01\xa0\xff", 3)), "01 a0 ff", false},
        {"multi", Raw(REG_MULTI_SZ, Utf16Bytes(std::string("a.exe\0b c\0\0", 11))), "a.exe; b c", false},
        {"multi without end", Raw(REG_MULTI_SZ, Utf16Bytes("a.exe")), "a.exe", false},
        {"none", Raw(REG_NONE, ""), "", false},
        {"no NUL", Raw(REG_SZ, Utf16Bytes("abc")), "abc", true},
        {"odd byte", Raw(REG_SZ, Utf16Bytes("abc") + "x"), "abc", true},
        {"inner NUL", Raw(REG_EXPAND_SZ, Utf16Bytes(std::string("ab\0zz", 5))), "ab", true},
        {"Cyrillic, CJK and beyond", Sz("C:\\Users\\Анна\\同步\\\xF0\x9F\x98\x80.exe"),
         "C:\\Users\\Анна\\同步\\\xF0\x9F\x98\x80.exe", true},
    };
    for (const auto& c : cases)
        WriteStored(HKEY_CURRENT_USER, kRunKeyPath, c.name, c.value);

    const StartupValueList values = ReadValueList(HKEY_CURRENT_USER, kRunKeyPath);
    ASSERT_EQ(values.size(), std::size(cases));
    for (const auto& c : cases) {
        const auto value = std::find_if(values.begin(), values.end(),
                                        [&](const StartupValue& v) { return v.name == W(c.name); });
        ASSERT_NE(value, values.end()) << c.name;
        EXPECT_EQ(U8(value->command), c.shown) << c.name;
        EXPECT_EQ(value->isText, c.isText) << c.name;
    }
}
