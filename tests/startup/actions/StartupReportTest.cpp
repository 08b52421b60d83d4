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
         L"Tool,User Start-Up,C:\\Tools\\tool.exe /s,C:\\Tools\\tool.exe,(Verified) Maker,yes,yes,yes,,,"},
        {{L"a,b", L"System Start-Up", L"\"C:\\Program Files\\x.exe\" -a", L"two\r\nlines", L"say \"hi\"\n", false,
          false, false},
         L"\"a,b\",System Start-Up,\"\"\"C:\\Program Files\\x.exe\"\" -a\",\"two\r\nlines\",\"say \"\"hi\"\"\n\","
         L"no,no,no,,,"},
        {{L"=cmd|' /C calc'!A0", L"+1", L"-x", L"@SUM(1)", L"\tpad", false, true, false, L"High", L"1240", L"4198"},
         L"'=cmd|' /C calc'!A0,'+1,'-x,'@SUM(1),'\tpad,no,yes,no,High,1240,4198"},
        {{L"\rX", L"=1,2", L"", L"a=b", L"'x-", true, false, true, L"Not measured"},
         L"\"'\rX\",\"'=1,2\",,a=b,''x-,yes,no,yes,Not measured,,"},
        {{L"Анна", L"同期", L"C:\\\U0001F600\\a.exe", L"broken \xD800", L"(Not verified) Фирма", false, true, true},
         L"Анна,同期,C:\\\U0001F600\\a.exe,broken \xFFFD,(Not verified) Фирма,no,yes,yes,,,"},
    };
    std::vector<EntryReport> entries;
    const std::wstring heading = L"Program,Location,Execution Path,Program File,Publisher,Verified,Enabled,File Exists,"
                                 L"Start-Up Impact,CPU at Start-Up (ms),Disk I/O at Start-Up (KB)\r\n";
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
