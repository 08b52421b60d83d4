// The web search: the term taken from a command line, the encoded address,
// the browser found in the registry, and what is handed to the shell.

#include "pages/startup/WebSearch.h"
#include "support/FakeBrowser.h"

#include <gtest/gtest.h>

#include <cctype>
#include <deque>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

const std::string kPrefix = "www.google.com/search?q=";
using Pairs = std::vector<std::pair<std::string, std::string>>;

TEST(SearchTermTest, TakesTheProgramFileNameFromCommandLines)
{
    const Pairs cases = {
        {"\"C:\\Program Files\\Tool\\tool.exe\" /background", "tool.exe"},
        {"C:\\Tools\\tool.exe -s", "tool.exe -s"},
        {"C:\\Tools\\tool.exe C:\\Tools\\settings.ini", "settings.ini"},
        {"C:/Tools/tool.exe", "tool.exe"},
        {"C:tool.exe", "tool.exe"},
        {"run me now.exe", "run me now.exe"},
        {" \t C:\\Tools\\tool.exe \r\n", "tool.exe"},
        {"\"C:\\Tools\\tool.exe -s", "tool.exe -s"},
        {"\"\"", ""},
    };
    for (const auto& [command, term] : cases)
        EXPECT_EQ(ExtractSearchTerm(command), term) << command;

    const std::string name(700, 'n');
    const std::string extension = "." + std::string(700, 'e');
    EXPECT_EQ(ExtractSearchTerm("C:\\" + name + extension), name.substr(0, 255) + extension.substr(0, 255));
    EXPECT_EQ(ExtractSearchTerm(std::string(5000, '\\') + name), name.substr(0, 255));
}

TEST(SearchAddressTest, EncodesEveryByteThatCouldBreakTheAddressOrAddArguments)
{
    EXPECT_EQ(BuildSearchAddress("tool.exe"), kPrefix + "tool.exe");
    EXPECT_EQ(PercentEncode("AZaz09-._~"), "AZaz09-._~");
    EXPECT_EQ(PercentEncode("a b\"c&d#e%f+g/h?i\\j\tk"), "a%20b%22c%26d%23e%25f%2Bg%2Fh%3Fi%5Cj%09k");
    EXPECT_EQ(BuildSearchAddress("x\" --flag \"y"), kPrefix + "x%22%20--flag%20%22y");
    ASSERT_EQ(::GetACP(), 1252u) << "the non-ASCII case is written for Western European ANSI";
    EXPECT_EQ(PercentEncode("caf\xE9 \x80"), "caf%C3%A9%20%E2%82%AC");
}

TEST(SearchBrowserPathTest, TakesTheExecutableFromRegisteredCommands)
{
    const Pairs cases = {
        {"\"C:\\Browser\\browser.exe\" -nohome", "C:\\Browser\\browser.exe"},
        {"C:\\Browser\\browser.exe -nohome %1", "C:\\Browser\\browser.exe"},
        {"\"C:\\Program Files\\Browser\\browser.exe\" \"%1\"", "C:\\Program Files\\Browser\\browser.exe"},
        {"\"C:\\Browser\\browser.exe\" -- \"%1\"", "C:\\Browser\\browser.exe"},
        {"C:\\Browser\\browser.exe", "C:\\Browser\\browser.exe"},
        {"browser.exe %1", "browser.exe %1"},
        {"\\browser.exe %1", "\\browser.exe %1"},
        {"\"C:\\Browser\\browser.exe -nohome", "\"C:\\Browser\\browser.exe -nohome"},
        {"", ""},
    };
    for (const auto& [command, path] : cases)
        EXPECT_EQ(BrowserPathFromCommand(command), path) << command;
}

// What the search hands to the shell, with a registry of its own; the shell
// answers with `results` in turn, then with success.
class OpenSearchTest : public testing::Test {
protected:
    void SetUp() override
    {
        SetShellStarter([this](const std::string& file, const std::string& parameters) {
            calls.emplace_back(file, parameters);
            std::intptr_t result = 42;
            if (!results.empty()) {
                result = results.front();
                results.pop_front();
            }
            return result;
        });
    }
    void TearDown() override { SetShellStarter(nullptr); }

    ClassesRootSandbox classes;
    std::deque<std::intptr_t> results;
    Pairs calls;
};

TEST_F(OpenSearchTest, StartsTheBrowserWithTheAddressAsItsOnlyParameter)
{
    RegisterBrowserCommand("\"C:\\Browser\\browser.exe\" -- \"%1\"");
    EXPECT_TRUE(SearchWebForCommand("\"C:\\Tools\\my tool.exe\" /background"));
    EXPECT_EQ(calls, (Pairs{{"C:\\Browser\\browser.exe", kPrefix + "my%20tool.exe"}}));
}

TEST_F(OpenSearchTest, HandsTheFullAddressToTheShellWithoutABrowserOrWhenItFails)
{
    const std::pair<std::string, std::string> shellOpen{"https://" + kPrefix + "tool.exe", ""};
    EXPECT_TRUE(SearchWebForCommand("C:\\Tools\\tool.exe"));
    EXPECT_EQ(calls, Pairs{shellOpen});

    calls.clear();
    RegisterBrowserCommand("C:\\Gone\\browser.exe %1");
    results = {ERROR_FILE_NOT_FOUND};
    EXPECT_TRUE(SearchWebForCommand("C:\\Tools\\tool.exe"));
    EXPECT_EQ(calls, (Pairs{{"C:\\Gone\\browser.exe", kPrefix + "tool.exe"}, shellOpen}));

    results = {SE_ERR_NOASSOC, SE_ERR_NOASSOC};
    EXPECT_FALSE(SearchWebForCommand("C:\\Tools\\tool.exe"));
}

// Unreserved characters and %XX with upper-case hex digits only.
bool IsUrlSafe(const std::string& text)
{
    const auto hex = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'F'); };
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_' || c == '~')
            continue;
        if (c != '%' || i + 2 >= text.size() || !hex(text[i + 1]) || !hex(text[i + 2]))
            return false;
        i += 2;
    }
    return true;
}

TEST(SearchRandomTest, GeneratedCommandsGiveSafeAddressesAndRegistryTextsGiveParts)
{
    std::mt19937 random(20240611);
    const std::string nasty = "\"\\/: \t.%&#?+=";
    const auto generate = [&] {
        const size_t length = random() % 10 == 0 ? 600 + random() % 700 : random() % 40;
        std::string text;
        for (size_t i = 0; i < length; ++i)
            text += random() % 2 ? nasty[random() % nasty.size()] : static_cast<char>(1 + random() % 255);
        return text;
    };
    for (int i = 0; i < 100000; ++i) {
        const std::string command = generate();
        const std::string term = ExtractSearchTerm(command);
        ASSERT_EQ(term.find_first_of("\\/"), std::string::npos) << command;
        ASSERT_LE(term.size(), 510u) << command;
        const std::string address = BuildSearchAddress(term);
        ASSERT_EQ(address.compare(0, kPrefix.size(), kPrefix), 0);
        ASSERT_TRUE(IsUrlSafe(address.substr(kPrefix.size()))) << address;

        const std::string registered = generate();
        ASSERT_NE(registered.find(BrowserPathFromCommand(registered)), std::string::npos) << registered;
    }
}

TEST(SearchEndToEndTest, StartsTheRegisteredBrowserOnTheSearchAddress)
{
    FakeBrowser browser;
    EXPECT_EQ(GetDefaultBrowser(), browser.Path());
    ASSERT_TRUE(SearchWebForCommand("\"C:\\Program Files\\Tool\\tool.exe\" /background"));
    const std::optional<std::string> arguments = browser.WaitForArguments(15000);
    ASSERT_TRUE(arguments.has_value()) << "the fake browser did not record its start within 15 s";
    EXPECT_EQ(*arguments, kPrefix + "tool.exe");
}

} // namespace
