#pragma once
// The web search for a start-up program: the program's file name taken from
// its command line, put percent-encoded into a search address, and opened in
// the browser the user chose.

#include <functional>
#include <string>
#include <vector>

// The program file's name and extension from a command line: trimmed, the
// text between a leading quote and the next one, then everything after the
// last slash or backslash (or drive colon). The name and the extension keep
// at most 255 characters each.
std::wstring ExtractSearchTerm(const std::wstring& command);

// UTF-8 percent-encoding: every byte outside A-Z a-z 0-9 - . _ ~ becomes %XX.
std::wstring PercentEncode(const std::wstring& text);

// "https://www.google.com/search?q=" followed by the encoded term.
std::wstring BuildSearchAddress(const std::wstring& term);

// How a browser is started on an address: the program and the whole command
// line that CreateProcessW is given.
struct BrowserLaunch {
    std::wstring program;
    std::wstring commandLine;
};

// The launch that a registered open command makes of `address` (which holds
// no space or quote): the program is the text between the first quote and
// the next, or without quotes the text up to the first ".exe" (or the first
// blank) that ends it; the address takes the place of each %1 or %L in the
// command's own arguments, or follows them when there is none.
BrowserLaunch BrowserLaunchFor(const std::wstring& registeredCommand, const std::wstring& address);

// The open commands of the browsers the user has, in the order the search
// tries them: the program the user chose for https, then for http
// (UserChoice), then the command of the http class itself. Each command once.
std::vector<std::wstring> RegisteredBrowserCommands();

// Opens `address` in the first browser that starts, or hands it to the shell
// when there is none or none starts. Returns false when nothing could be opened.
bool OpenSearchAddress(const std::wstring& address);

// The whole search for one command line.
bool SearchWebForCommand(const std::wstring& command);

// How the search starts a browser (CreateProcessW on the command line) and
// hands an address to the shell (ShellExecuteW, default verb). Each says
// whether it started.
struct SearchStarters {
    std::function<bool(const std::wstring& program, const std::wstring& commandLine)> startProgram;
    std::function<bool(const std::wstring& address)> openAddress;
};

// Replaces them, so tests can see what would be started; an empty member
// restores the system's call.
void SetSearchStarters(SearchStarters starters);
