// A saved start-up list read back: what the program wrote comes back as it
// was, and any other file is refused with a message, nothing read.

#include "pages/startup/compare/SavedList.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

const char kHeading[] = "Program,Location,Execution Path,Program File,Publisher,Verified,Enabled,File Exists";
const char kImpactHeading[] = ",Start-Up Impact,CPU at Start-Up (ms),Disk I/O at Start-Up (KB)";
const char kTimeHeading[] = ",Time,SHA-256";
const std::wstring kNotAList = L"This file is not a start-up list saved by Quorvane: ";
const std::wstring kTooLarge = L"This file is too large for a saved start-up list (over 16 MB).";

auto Fields(const EntryReport& e)
{
    return std::tie(e.program, e.location, e.command, e.programFile, e.publisher, e.verified, e.enabled, e.fileExists,
                    e.impact, e.cpuMs, e.diskKB, e.time, e.sha256);
}

void ExpectSame(const std::vector<EntryReport>& read, const std::vector<EntryReport>& written)
{
    ASSERT_EQ(read.size(), written.size());
    for (std::size_t i = 0; i < read.size(); ++i)
        EXPECT_TRUE(Fields(read[i]) == Fields(written[i])) << "entry " << i;
}

// Texts a spreadsheet or a CSV reader could take for something else: each
// character the formula guard stands before, a text's own ' before one of
// them or alone, quotes, commas, line breaks, text outside Latin.
const std::wstring kAwkwardTexts[] = {
    L"Tool", L"=cmd|' /C calc'!A0", L"+1", L"-x", L"@SUM(1)", L"\tpad", L"\rX", L"'", L"''", L"''=", L"'=1+2",
    L"'+", L"'-x", L"'@", L"'\t", L"'\r\n", L"'hello", L"'quoted'", L"x'=", L"", L"\"", L"say \"hi\"\n", L"a,b",
    L"=1,2", L"two\r\nlines", L"\n", L"Анна", L"同期", L"C:\\\U0001F600\\a.exe", L"(Not verified) Фирма",
};

// An entry of each awkward text in every column, its flags and impact varied.
std::vector<EntryReport> AwkwardEntries()
{
    const wchar_t* const impacts[] = {L"High", L"Medium", L"Low", L"Not measured", L"None", L""};
    std::vector<EntryReport> entries;
    for (const std::wstring& text : kAwkwardTexts) {
        const std::size_t n = entries.size();
        entries.push_back({text, text, text, text, text, n % 2 == 0, n % 3 == 0, n % 5 != 0, impacts[n % 6],
                           n % 6 < 3 ? std::to_wstring(n * 997) : L"", n % 6 < 3 ? std::to_wstring(n) : L"",
                           n % 2 ? L"2026-12-08T23:25:55Z" : L"", n % 3 ? std::wstring(64, L"0af"[n % 3]) : L""});
    }
    return entries;
}

TEST(SavedListTest, ReadsBackWhatWasSaved)
{
    const std::vector<EntryReport> awkward = AwkwardEntries();
    for (const std::string& saved : {StartupListCsv(awkward), StartupListJsonLines(awkward)}) {
        const SavedListReading reading = ReadSavedList(saved);
        EXPECT_EQ(reading.error, L"");
        ExpectSame(reading.entries, awkward);
    }

    ScratchFolder folder;
    const std::wstring path = folder.Path() + L"\\Start-up list.csv";
    ASSERT_EQ(SaveStartupList(path, awkward), static_cast<DWORD>(ERROR_SUCCESS));
    // Read while a spreadsheet program holds it open for writing.
    const HANDLE held = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const SavedListReading fromFile = ReadSavedListFile(path);
    ::CloseHandle(held);
    EXPECT_EQ(fromFile.error, L"");
    ExpectSame(fromFile.entries, awkward);
}

// Lists written before a text's own leading ' was guarded: such a text
// stood unguarded, and reads as it did unless a guarded character follows.
TEST(SavedListTest, ReadsListsOfEarlierVersionsAsBefore)
{
    const SavedListReading reading = ReadSavedList(std::string(kHeading) + "\r\n"
                                                   "'hello,'=1+2,'=x,'quoted',x,no,yes,no\r\n");
    EXPECT_EQ(reading.error, L"");
    ExpectSame(reading.entries, {{L"'hello", L"=1+2", L"=x", L"'quoted'", L"x", false, true, false}});
}

TEST(SavedListTest, RefusesAFileThatCannotBeReadOrIsTooLarge)
{
    ScratchFolder folder;
    const SavedListReading missing = ReadSavedListFile(folder.Path() + L"\\missing.csv");
    EXPECT_EQ(missing.error.rfind(L"Could not read the saved list: ", 0), 0u) << missing.error;
    EXPECT_GT(missing.error.size(), 32u) << "no reason given";
    const SavedListReading large = ReadSavedListFile(folder.Write(L"large.csv", std::string((16 << 20) + 1, 'x')));
    EXPECT_EQ(large.error, kTooLarge);
    EXPECT_TRUE(missing.entries.empty() && large.entries.empty());
}

std::string Records(std::size_t count, const std::string& record)
{
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += record;
    return text;
}

TEST(SavedListTest, RefusesAnythingElseWithWhyAndReadsWhatEditorsWrite)
{
    const std::string head = std::string("\xEF\xBB\xBF") + kHeading + "\r\n";
    const std::string tool = "Tool,Run,C:\\t.exe,C:\\t.exe,Maker,yes,no,yes\r\n";
    const std::string impact = std::string("\xEF\xBB\xBF") + kHeading + kImpactHeading + "\r\n";
    const std::string timed = std::string(kHeading) + kImpactHeading + kTimeHeading + "\r\n";
    const std::string compared = std::string(kHeading) + kImpactHeading + kTimeHeading + ",Change\r\n";
    const std::string hash(64, 'F');
    const EntryReport runs{L"T", L"Run", L"C:\\t.exe", L"", L""};
    EntryReport gone{L"G", L"Run", L"C:\\g.exe", L"", L""};
    gone.change = L"gone";
    const std::string jsonTool = StartupListJsonLines({runs});
    // A list of exactly 16 MiB, its last publisher padded out.
    std::string largest = head + "Tool,Run,C:\\t.exe,C:\\t.exe,,yes,no,yes\r\n";
    largest.insert(largest.size() - 13, (16u << 20) - largest.size(), 'p');
    const struct {
        const char* name;
        std::string bytes;
        std::wstring error; // empty: read, every entry runs C:\t.exe
        std::size_t entries;
    } cases[] = {
        {"empty", "", kNotAList + L"it is empty.", 0},
        {"a byte-order mark alone", "\xEF\xBB\xBF", kNotAList + L"it is empty.", 0},
        {"UTF-16", "\xFF\xFEP\0r\0", kNotAList + L"it is not UTF-8 text.", 0},
        {"an overlong sequence", head + "T\xC0\xAF,Run,C:\\t.exe,,,no,no,no\r\n", kNotAList + L"it is not UTF-8 text.", 0},
        {"a NUL byte", head + "T" + std::string(1, '\0') + tool, kNotAList + L"it holds binary data, not text.", 0},
        {"another heading", "Name,Location\r\n" + tool, kNotAList + L"its first line is not the list's heading.", 0},
        {"JSON Lines of eight fields, and compared", std::string(R"({"Program":"T","Location":"Run",)") +
             R"("Execution Path":"C:\\t.exe","Program File":"","Publisher":"","Verified":true,"Enabled":false,)" +
             "\"File Exists\":true}\n" + StartupListJsonLines({runs}, true) +
             StartupListJsonLines({gone}, true), L"", 2},
        {"JSON Lines, a field short", R"({"Program":"T","Location":"Run"})" "\n",
         kNotAList + L"line 1 does not name the list's fields in their order.", 0},
        {"JSON Lines, fields out of order", jsonTool.substr(0, 1) + R"("Location":"Run",)" + jsonTool.substr(1),
         kNotAList + L"line 1 does not name the list's fields in their order.", 0},
        {"JSON Lines, a string that never ends", jsonTool + R"({"Program":"T)" "\n",
         kNotAList + L"line 2 is not an object of the list's fields.", 0},
        {"JSON Lines, an array inside", R"({"Program":["T"]})" "\n",
         kNotAList + L"line 1 is not an object of the list's fields.", 0},
        {"JSON Lines, a blank line", jsonTool + "\n" + jsonTool, kNotAList + L"line 2 is not an object of the list's fields.", 0},
        {"JSON Lines, a flag as text", std::string(jsonTool).replace(jsonTool.find("false"), 5, "\"maybe\""),
         kNotAList + L"line 1 has something other than yes or no under Verified.", 0},
        {"a column more", kHeading + std::string(",Note\r\n"), kNotAList + L"its first line is not the list's heading.", 0},
        {"a quote that never ends", head + tool + "\"Tool,Run\r\n", kNotAList + L"line 3 has a quoted field that never ends.", 0},
        {"text after a closing quote", head + "\"To\"ol,Run,c,f,p,no,no,no\r\n",
         kNotAList + L"line 2 has text after a closing quote.", 0},
        {"a quote in a plain field", head + "To\"ol,Run,c,f,p,no,no,no\r\n",
         kNotAList + L"line 2 has a quote in a field that is not quoted.", 0},
        {"a lone CR", head + "Tool\r,Run,c,f,p,no,no,no\r\n", kNotAList + L"line 2 has a carriage return outside quotes.", 0},
        {"five fields after two lines in quotes", head + "\"two\r\nlines\",R,c,f,p,no,no,no\r\na,b,c,d,e\r\n",
         kNotAList + L"line 4 has 5 fields, not 8.", 0},
        {"nine fields", head + "a,b,c,d,e,no,no,no,x\r\n", kNotAList + L"line 2 has 9 fields, not 8.", 0},
        {"a blank line at the end", head + tool + "\r\n", kNotAList + L"line 3 has 1 field, not 8.", 0},
        {"Yes", head + "a,b,c,d,e,Yes,no,no\r\n", kNotAList + L"line 2 has something other than yes or no under Verified.", 0},
        {"no flag", head + "a,b,c,d,e,no,no,\r\n",
         kNotAList + L"line 2 has something other than yes or no under File Exists.", 0},
        {"over 16 MiB", largest + "x", kTooLarge, 0},
        {"65,537 entries", head + Records(65537, tool), kNotAList + L"it holds more than 65,536 entries.", 0},
        {"eleven fields under the earlier heading", head + "a,b,c,d,e,no,no,no,Low,1,2\r\n",
         kNotAList + L"line 2 has 11 fields, not 8.", 0},
        {"eight fields under the heading with the impact", impact + "a,b,c,d,e,no,no,no\r\n",
         kNotAList + L"line 2 has 8 fields, not 11.", 0},
        {"an impact that is no impact", impact + "a,b,c,d,e,no,no,no,Huge,1,2\r\n",
         kNotAList + L"line 2 has something other than an impact under Start-Up Impact.", 0},
        {"a figure that is no whole number", impact + "a,b,c,d,e,no,no,no,Low,1.5,2\r\n",
         kNotAList + L"line 2 has something other than a whole number under a figure at start-up.", 0},
        {"a negative figure", impact + "a,b,c,d,e,no,no,no,Low,1,-2\r\n",
         kNotAList + L"line 2 has something other than a whole number under a figure at start-up.", 0},
        {"the impact, measured and not", impact + "T,Run,C:\\t.exe,,,no,yes,yes,High,1240,4198\r\n"
                                                  "T,Run,C:\\t.exe,,,no,yes,yes,Not measured,,\r\n", L"", 2},
        {"a time not as written", timed + "a,b,c,d,e,no,no,no,,,,2026-12-08 23:25:55,\r\n",
         kNotAList + L"line 2 has something other than a time under Time.", 0},
        {"a hash a digit short", timed + "a,b,c,d,e,no,no,no,,,,," + hash.substr(1) + "\r\n",
         kNotAList + L"line 2 has something other than a SHA-256 under SHA-256.", 0},
        {"a hash of another alphabet", timed + "a,b,c,d,e,no,no,no,,,,," + hash.substr(1) + "g\r\n",
         kNotAList + L"line 2 has something other than a SHA-256 under SHA-256.", 0},
        {"a change that is none", compared + "a,b,c,d,e,no,no,no,,,,,,moved\r\n",
         kNotAList + L"line 2 has something other than new, changed or gone under Change.", 0},
        {"eleven fields under the heading with times", timed + "a,b,c,d,e,no,no,no,Low,1,2\r\n",
         kNotAList + L"line 2 has 11 fields, not 13.", 0},
        {"time and hash, in upper case too", timed + "T,Run,C:\\t.exe,,,no,no,no,,,,2026-12-08T23:25:55Z," + hash +
                                                 "\r\nT,Run,C:\\t.exe,,,no,no,no,,,,,\r\n", L"", 2},
        {"a compared list, its gone left out", compared + "T,Run,C:\\t.exe,,,no,no,no,,,,,,new\r\n"
                                                          "T,Run,C:\\t.exe,,,no,no,no,,,,,,\r\n"
                                                          "G,Run,C:\\g.exe,,,no,no,no,,,,,,gone\r\n", L"", 2},
        {"the heading alone, no line ending", kHeading, L"", 0},
        {"no byte-order mark", kHeading + std::string("\r\n") + tool, L"", 1},
        {"LF endings, quoted too", std::string(kHeading) + "\n\"T\nx\",Run,C:\\t.exe,,,no,no,no\n", L"", 1},
        {"no line ending at the end", head + tool + tool.substr(0, tool.size() - 2), L"", 2},
        {"65,536 entries", head + Records(65536, tool), L"", 65536},
        {"16 MiB", largest, L"", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SavedListReading reading = ReadSavedList(c.bytes);
        EXPECT_EQ(reading.error, c.error);
        ASSERT_EQ(reading.entries.size(), c.entries);
        for (const EntryReport& entry : reading.entries) {
            ASSERT_EQ(entry.command, L"C:\\t.exe");
            ASSERT_TRUE(entry.sha256.empty() || entry.sha256 == std::wstring(64, L'f')) << "hash not lower-cased";
        }
    }
}

} // namespace
