#pragma once
// The web search for a start-up program: the program's file name taken from
// its command line, put percent-encoded into a search address, and opened in
// the default browser.

#include <string>

// The program file's name and extension from a command line: trimmed, the
// text between a leading quote and the next one, then everything after the
// last slash or backslash (or drive colon).
std::string ExtractSearchTerm(const std::string& command);

// UTF-8 percent-encoding of ANSI text: every byte outside A-Z a-z 0-9 - . _ ~
// becomes %XX.
std::string PercentEncode(const std::string& ansiText);

// "www.google.com/search?q=" followed by the encoded term.
std::string BuildSearchAddress(const std::string& term);

// The browser's executable from a registered open command ("http\shell\open\command").
std::string BrowserPathFromCommand(const std::string& registeredCommand);

// The default browser's path, read from the registry anew; empty when none is registered.
std::string GetDefaultBrowser();

// Opens `address` (no scheme) in the default browser, or hands "https://"
// plus the address to the shell when there is no browser or it cannot be
// started. Returns false when nothing could be opened.
bool OpenSearchAddress(const std::string& address);

// The whole search for one command line.
bool SearchWebForCommand(const std::string& command);
