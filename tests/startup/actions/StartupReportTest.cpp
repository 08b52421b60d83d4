// The saved start-up list and the copied rows: what a spreadsheet or a text
// editor reads back.

#include "pages/startup/actions/StartupReport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The UTF-8 bytes read back as a spreadsheet would, refusing invalid sequences.
std::wstring DecodeUtf8(const std::string& bytes)
{
    const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                             static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                          length);
    return text;
}

TEST(StartupListCsvTest, QuotesPrefixesAndEncodesEveryField)
{
    const struct {
        EntryReport entry;
        std::wstring line;
    } rows[] = {
        {{L"Tool", L"User Start-Up", L"C:\\Tools\\tool.exe /s", L"C:\\Tools\\tool.exe", L"(Verified) Maker", true,
          true, true},
         L"Tool,User Start-Up,C:\\Tools\\tool.exe /s,C:\\Tools\\tool.exe,(Verified) Maker,yes,yes,yes,,,,,"},
        {{L"a,b", L"System Start-Up", L"\"C:\\Program Files\\x.exe\" -a", L"two\r\nlines", L"say \"hi\"\n", false,
          false, false},
         L"\"a,b\",System Start-Up,\"\"\"C:\\Program Files\\x.exe\"\" -a\",\"two\r\nlines\",\"say \"\"hi\"\"\n\","
         L"no,no,no,,,,,"},
        {{L"=cmd|' /C calc'!A0", L"+1", L"-x", L"@SUM(1)", L"\tpad", false, true, false, L"High", L"1240", L"4198"},
         L"'=cmd|' /C calc'!A0,'+1,'-x,'@SUM(1),'\tpad,no,yes,no,High,1240,4198,,"},
        {{L"\rX", L"=1,2", L"", L"a=b", L"'x-", true, false, true, L"Not measured"},
         L"\"'\rX\",\"'=1,2\",,a=b,''x-,yes,no,yes,Not measured,,,,"},
        {{L"Анна", L"同期", L"C:\\\U0001F600\\a.exe", L"broken \xD800", L"(Not verified) Фирма", false, true, true},
         L"Анна,同期,C:\\\U0001F600\\a.exe,broken \xFFFD,(Not verified) Фирма,no,yes,yes,,,,,"},
    };
    std::vector<EntryReport> entries;
    const std::wstring heading = L"Program,Location,Execution Path,Program File,Publisher,Verified,Enabled,File Exists,"
                                 L"Start-Up Impact,CPU at Start-Up (ms),Disk I/O at Start-Up (KB),Time,SHA-256\r\n";
    std::wstring expected = heading;
    for (const auto& row : rows) {
        entries.push_back(row.entry);
        expected += row.line + L"\r\n";
    }

    const std::string csv = StartupListCsv(entries);
    ASSERT_EQ(csv.compare(0, 3, "\xEF\xBB\xBF"), 0) << "no byte-order mark";
    EXPECT_EQ(DecodeUtf8(csv.substr(3)), expected);
    EXPECT_EQ(DecodeUtf8(StartupListCsv({}).substr(3)), heading);
}

// The same fields as JSON Lines, and the compared list's Change in both forms.
TEST(StartupListJsonLinesTest, WritesOneObjectAnEntryWithTheFieldsTyped)
{
    EntryReport measured{L"Tool \"x\"", L"Run", L"C:\\t.exe\t/s\x7F", L"C:\\t.exe", L"Фирма", true, false, true,
                         L"High", L"1240", L"4198", L"2026-12-08T23:25:55Z", std::wstring(64, L'a'), L"changed"};
    EntryReport unmeasured{L"=x", L"Run", L"\r\n", L"", L"", false, true, false};
    unmeasured.change = L"gone";
    const std::string fields = "\"Program\":\"Tool \\\"x\\\"\",\"Location\":\"Run\","
                               "\"Execution Path\":\"C:\\\\t.exe\\u0009/s\\u007f\",\"Program File\":\"C:\\\\t.exe\","
                               "\"Publisher\":\"\xD0\xA4\xD0\xB8\xD1\x80\xD0\xBC\xD0\xB0\",\"Verified\":true,"
                               "\"Enabled\":false,\"File Exists\":true,\"Start-Up Impact\":\"High\","
                               "\"CPU at Start-Up (ms)\":1240,\"Disk I/O at Start-Up (KB)\":4198,"
                               "\"Time\":\"2026-12-08T23:25:55Z\",\"SHA-256\":\"" + std::string(64, 'a') + "\"";
    const std::string other = "{\"Program\":\"=x\",\"Location\":\"Run\",\"Execution Path\":\"\\u000d\\u000a\","
                              "\"Program File\":\"\",\"Publisher\":\"\",\"Verified\":false,\"Enabled\":true,"
                              "\"File Exists\":false,\"Start-Up Impact\":\"\",\"CPU at Start-Up (ms)\":null,"
                              "\"Disk I/O at Start-Up (KB)\":null,\"Time\":\"\",\"SHA-256\":\"\"";
    EXPECT_EQ(StartupListJsonLines({measured, unmeasured}), "{" + fields + "}\n" + other + "}\n");
    EXPECT_EQ(StartupListJsonLines({measured}, true), "{" + fields + ",\"Change\":\"changed\"}\n");
    EXPECT_EQ(StartupListJsonLines({}), "");

    const std::string csv = StartupListCsv({measured, unmeasured}, true);
    const std::size_t headingEnd = csv.find("\r\n");
    EXPECT_EQ(csv.substr(headingEnd - 19, 19), "Time,SHA-256,Change");
    const std::string lastFields = ",no,yes,no,,,,,,gone\r\n";
    EXPECT_EQ(csv.substr(csv.size() - lastFields.size()), lastFields);

    for (const auto& [path, json] : {std::pair{L"list.json", true}, std::pair{L"C:\\a.b\\LIST.JSON", true},
                                     std::pair{L"list.csv", false}, std::pair{L"json", false},
                                     std::pair{L"list.jsonl", false}, std::pair{L"", false}})
        EXPECT_EQ(SavesAsJsonLines(path), json) << path;
}

TEST(CopiedRowsTest, AreTabSeparatedLinesWithTheirColumnsKeptInLine)
{
    const std::vector<EntryReport> entries = {
        {L"Tool", L"User Start-Up", L"C:\\Tools\\tool.exe /s", L"C:\\Tools\\tool.exe", L"(Verified) Maker"},
        {L"Two\tparts", L"System Start-Up", L"a\r\nb", L"", L"Фирма\n"},
    };
    EXPECT_EQ(CopiedRowsText(entries), L"Tool\tUser Start-Up\tC:\\Tools\\tool.exe /s\t(Verified) Maker\t"
                                       L"C:\\Tools\\tool.exe\r\n"
                                       L"Two parts\tSystem Start-Up\ta  b\tФирма \t");
    EXPECT_EQ(CopiedRowsText({}), L"");
}

} // namespace
