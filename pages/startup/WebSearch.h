#pragma once
// The web search for a start-up program: the program's file name taken from
// its command line, put percent-encoded into a search address, and opened in
// the default browser.

#include <cstdint>
#include <functional>
#include <string>

// The program file's name and extension from a command line: trimmed, the
// text between a leading quote and the next one, then everything after the
// last slash or backslash (or drive colon). The name and the extension keep
// at most 255 characters each.
std::string ExtractSearchTerm(const std::string& command);

// UTF-8 percent-encoding of ANSI text: every byte outside A-Z a-z 0-9 - . _ ~
// becomes %XX.
std::string PercentEncode(const std::string& ansiText);

// "www.google.com/search?q=" followed by the encoded term.
std::string BuildSearchAddress(const std::string& term);

// The browser's executable from a registered open command ("http\shell\open\command"):
// the text between the first quote and the next; without quotes, the text
// before the first space after the last backslash.
std::string BrowserPathFromCommand(const std::string& registeredCommand);

// The default browser's path, read from the registry anew; empty when none is registered.
std::string GetDefaultBrowser();

// Opens `address` (no scheme) in the default browser, or hands "https://"
// plus the address to the shell when there is no browser or it cannot be
// started. Returns false when nothing could be opened.
bool OpenSearchAddress(const std::string& address);

// The whole search for one command line.
bool SearchWebForCommand(const std::string& command);

// How the search starts a program or opens an address: ShellExecuteA with no
// owner, the default verb, `file`, `parameters` (none when empty), no working
// directory and SW_SHOWNORMAL. Returns ShellExecuteA's result as a number:
// greater than 32 on success.
using ShellStarter = std::function<std::intptr_t(const std::string& file, const std::string& parameters)>;

// Replaces the shell call, so tests can see what would be started; an empty
// function restores ShellExecuteA.
void SetShellStarter(ShellStarter starter);
