// The web search: the term taken from a command line, the encoded address,
// the browser the user chose, and how it is started.

#include "pages/startup/search/WebSearch.h"
#include "support/FakeBrowser.h"
#include "support/RegistrySandbox.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

const std::wstring kPrefix = L"https://www.google.com/search?q=";
using WidePairs = std::vector<std::pair<std::wstring, std::wstring>>;

std::string Narrow(const std::wstring& ascii) { return std::string(ascii.begin(), ascii.end()); }

TEST(SearchTermTest, TakesTheProgramFileNameFromCommandLines)
{
    const WidePairs cases = {
        {L"\"C:\\Program Files\\Tool\\tool.exe\" /background", L"tool.exe"},
        {L"C:\\Tools\\tool.exe C:\\Tools\\settings.ini", L"settings.ini"},
        {L"C:/Tools/tool.exe -s", L"tool.exe -s"},
        {L"C:tool.exe", L"tool.exe"},
        {L" \t C:\\Tools\\tool.exe \r\n", L"tool.exe"},
        {L"\"C:\\Tools\\tool.exe -s", L"tool.exe -s"},
        {L"\"\"", L""},
        {L"\"C:\\Users\\Анна\\Синхронизация.exe\" -тихо", L"Синхронизация.exe"},
        {L"C:\\ツール\\同期.exe", L"同期.exe"},
        {L"C:\\Tools\\\U0001F600tool.exe", L"\U0001F600tool.exe"},
    };
    for (const auto& [command, term] : cases)
        EXPECT_EQ(ExtractSearchTerm(command), term) << Narrow(term);

    const std::wstring name(700, L'n');
    const std::wstring extension = L"." + std::wstring(700, L'e');
    EXPECT_EQ(ExtractSearchTerm(L"C:\\" + name + extension), name.substr(0, 255) + extension.substr(0, 255));
    EXPECT_EQ(ExtractSearchTerm(std::wstring(5000, L'\\') + name), name.substr(0, 255));
    // A part cut at its limit keeps no half of a surrogate pair.
    std::wstring pairs;
    for (int i = 0; i < 200; ++i)
        pairs += L"\U0001F600";
    EXPECT_EQ(ExtractSearchTerm(L"C:\\" + pairs), pairs.substr(0, 254));
}

TEST(SearchAddressTest, EncodesEveryByteThatCouldBreakTheAddressOrAddArguments)
{
    const WidePairs cases = {
        {L"AZaz09-._~", L"AZaz09-._~"},
        {L"a b\"c&d#e%f+g/h?i\\j\tk", L"a%20b%22c%26d%23e%25f%2Bg%2Fh%3Fi%5Cj%09k"},
        {L"café €", L"caf%C3%A9%20%E2%82%AC"},
        {L"Анна", L"%D0%90%D0%BD%D0%BD%D0%B0"},
        {L"同期", L"%E5%90%8C%E6%9C%9F"},
        {L"\U0001F600", L"%F0%9F%98%80"},
        // Lone surrogates, which UTF-8 cannot hold, become U+FFFD.
        {std::wstring(L"a\xD83D" L"b"), L"a%EF%BF%BDb"},
        {std::wstring(L"\xDE00\xD83D"), L"%EF%BF%BD%EF%BF%BD"},
    };
    for (const auto& [text, encoded] : cases)
        EXPECT_EQ(PercentEncode(text), encoded) << Narrow(encoded);
    EXPECT_EQ(BuildSearchAddress(L"x\" --flag \"y"), kPrefix + L"x%22%20--flag%20%22y");
}

TEST(BrowserLaunchTest, PutsTheAddressWhereTheRegisteredCommandWantsIt)
{
    const std::wstring address = kPrefix + L"tool.exe";
    const struct {
        std::wstring registered, program, commandLine;
    } cases[] = {
        {L"\"C:\\Program Files\\Mozilla Firefox\\firefox.exe\" -osint -url \"%1\"",
         L"C:\\Program Files\\Mozilla Firefox\\firefox.exe",
         L"\"C:\\Program Files\\Mozilla Firefox\\firefox.exe\" -osint -url \"" + address + L"\""},
        {L"\"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe\" --single-argument %1",
         L"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe",
         L"\"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe\" --single-argument " + address},
        {L"C:\\Program Files\\Browser\\browser.EXE %L %*", L"C:\\Program Files\\Browser\\browser.EXE",
         L"\"C:\\Program Files\\Browser\\browser.EXE\" " + address},
        {L"\"C:\\Browser\\browser.exe -nohome", L"C:\\Browser\\browser.exe",
         L"\"C:\\Browser\\browser.exe\" -nohome " + address},
        {L"rundll32.exe url.dll,FileProtocolHandler %1", L"rundll32.exe",
         L"\"rundll32.exe\" url.dll,FileProtocolHandler " + address},
        {L"C:\\Браузер\\browser -new-tab %1%1", L"C:\\Браузер\\browser",
         L"\"C:\\Браузер\\browser\" -new-tab " + address + address},
    };
    for (const auto& c : cases) {
        const BrowserLaunch launch = BrowserLaunchFor(c.registered, address);
        EXPECT_EQ(launch.program, c.program) << Narrow(c.program);
        EXPECT_EQ(launch.commandLine, c.commandLine) << Narrow(c.program);
    }
}

// What the search starts, with a registry of its own: each browser's start
// answers as `programStarts` says (true when it has no entry), the shell
// always does.
struct BrowserScenario {
    const char* name;
    std::vector<std::pair<std::wstring, std::wstring>> classes; // class or ProgId, open command
    std::vector<std::pair<std::wstring, std::wstring>> choices; // scheme, chosen ProgId
    std::vector<bool> programStarts;
    std::vector<std::wstring> expected; // command lines, or "shell: " and the address
};

TEST(BrowserChoiceTest, StartsTheUsersChoiceThenTheHttpClassThenTheShell)
{
    const std::wstring address = kPrefix + L"tool.exe";
    const std::wstring firefox = L"\"C:\\Firefox\\firefox.exe\" -osint -url \"%1\"";
    const std::wstring chrome = L"\"C:\\Chrome\\chrome.exe\" --single-argument %1";
    const std::wstring other = L"\"C:\\Other\\other.exe\" \"%1\"";
    const std::wstring startsFirefox = L"\"C:\\Firefox\\firefox.exe\" -osint -url \"" + address + L"\"";
    const std::wstring startsChrome = L"\"C:\\Chrome\\chrome.exe\" --single-argument " + address;
    const std::wstring startsOther = L"\"C:\\Other\\other.exe\" \"" + address + L"\"";
    const std::wstring shell = L"shell: " + address;
    const BrowserScenario scenarios[] = {
        {"the https choice wins over http's own command",
         {{L"FirefoxURL", firefox}, {L"ChromeHTML", chrome}, {L"http", other}},
         {{L"https", L"FirefoxURL"}, {L"http", L"ChromeHTML"}},
         {},
         {startsFirefox}},
        {"a choice of a missing ProgId falls back to the http choice",
         {{L"ChromeHTML", chrome}, {L"http", other}},
         {{L"https", L"GoneHTML"}, {L"http", L"ChromeHTML"}},
         {},
         {startsChrome}},
        {"no usable choice: the http class's command",
         {{L"http", other}},
         {{L"https", L"GoneHTML"}},
         {},
         {startsOther}},
        {"the same browser for both schemes is tried once, then the next",
         {{L"ChromeHTML", chrome}, {L"http", other}},
         {{L"https", L"ChromeHTML"}, {L"http", L"ChromeHTML"}},
         {false},
         {startsChrome, startsOther}},
        {"no browser at all: the shell", {}, {}, {}, {shell}},
        {"no browser starts: the shell", {{L"http", other}}, {}, {false}, {startsOther, shell}},
    };
    for (const BrowserScenario& scenario : scenarios) {
        SCOPED_TRACE(scenario.name);
        RegistrySandbox registry;
        MachineClassesView classes;
        for (const auto& [className, command] : scenario.classes)
            RegisterOpenCommand(className, command);
        for (const auto& [scheme, progId] : scenario.choices)
            ChooseBrowser(scheme, progId);
        std::vector<std::wstring> started;
        std::vector<bool> answers = scenario.programStarts;
        SetSearchStarters({[&](const std::wstring&, const std::wstring& commandLine) {
                               started.push_back(commandLine);
                               const bool starts = answers.empty() || answers.front();
                               if (!answers.empty())
                                   answers.erase(answers.begin());
                               return starts;
                           },
                           [&](const std::wstring& shellAddress) {
                               started.push_back(L"shell: " + shellAddress);
                               return true;
                           }});
        EXPECT_TRUE(SearchWebForCommand(L"C:\\Tools\\tool.exe"));
        SetSearchStarters({});
        EXPECT_EQ(started, scenario.expected);
    }
}

// Unreserved characters and %XX with upper-case hex digits only.
bool IsUrlSafe(const std::wstring& text)
{
    const auto hex = [](wchar_t c) { return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F'); };
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if ((c < 0x80 && std::iswalnum(c)) || c == L'-' || c == L'.' || c == L'_' || c == L'~')
            continue;
        if (c != L'%' || i + 2 >= text.size() || !hex(text[i + 1]) || !hex(text[i + 2]))
            return false;
        i += 2;
    }
    return true;
}

TEST(SearchRandomTest, GeneratedCommandsGiveSafeAddressesAndLaunchesThatHoldThem)
{
    std::mt19937 random(20240611);
    const std::wstring nasty = L"\"\\/: \t.%&#?+=1L*\xD83D\xDE00\x0416";
    const auto generate = [&] {
        const size_t length = random() % 10 == 0 ? 600 + random() % 700 : random() % 40;
        std::wstring text;
        for (size_t i = 0; i < length; ++i)
            text += random() % 2 ? nasty[random() % nasty.size()] : static_cast<wchar_t>(1 + random() % 0xFFFF);
        return text;
    };
    for (int i = 0; i < 50000; ++i) {
        const std::wstring command = generate();
        const std::wstring term = ExtractSearchTerm(command);
        ASSERT_EQ(term.find_first_of(L"\\/"), std::wstring::npos);
        ASSERT_LE(term.size(), 510u);
        const std::wstring address = BuildSearchAddress(term);
        ASSERT_EQ(address.compare(0, kPrefix.size(), kPrefix), 0);
        ASSERT_TRUE(IsUrlSafe(address.substr(kPrefix.size())));

        const std::wstring registered = generate();
        const BrowserLaunch launch = BrowserLaunchFor(registered, address);
        ASSERT_EQ(launch.program.find(L'"'), std::wstring::npos);
        ASSERT_EQ(launch.commandLine.compare(0, launch.program.size() + 2, L"\"" + launch.program + L"\""), 0);
        ASSERT_NE(launch.commandLine.find(address, launch.program.size() + 2), std::wstring::npos);
    }
}

TEST(SearchEndToEndTest, StartsTheChosenBrowserWithItsOwnArgumentsAroundTheAddress)
{
    const struct {
        std::wstring commandTemplate;
        std::string arguments;
    } browsers[] = {
        {L"\"{path}\" -osint -url \"%1\"", "-osint -url \"https://www.google.com/search?q=%D0%90%D0%BD%D0%BD%D0%B0.exe\""},
        {L"\"{path}\" --single-argument %1", "--single-argument https://www.google.com/search?q=%D0%90%D0%BD%D0%BD%D0%B0.exe"},
    };
    for (const auto& browserCase : browsers) {
        RegistrySandbox registry;
        MachineClassesView classes;
        FakeBrowser browser;
        RegisterOpenCommand(L"FakeBrowserURL", browser.Command(browserCase.commandTemplate));
        ChooseBrowser(L"https", L"FakeBrowserURL");
        ASSERT_TRUE(SearchWebForCommand(L"\"C:\\Program Files\\Tool\\Анна.exe\" /background"));
        const std::optional<std::string> arguments = browser.WaitForArguments(15000);
        ASSERT_TRUE(arguments.has_value()) << "the fake browser did not record its start within 15 s";
        EXPECT_EQ(*arguments, browserCase.arguments);
    }
}

} // namespace
