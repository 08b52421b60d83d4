#include "pages/startup/WebSearch.h"

// Placeholder until the search is written.
std::string ExtractSearchTerm(const std::string& command) { return command; }
std::string PercentEncode(const std::string& ansiText) { return ansiText; }
std::string BuildSearchAddress(const std::string& term) { return "www.google.com/search?q=" + PercentEncode(term); }
std::string BrowserPathFromCommand(const std::string& registeredCommand) { return registeredCommand; }
std::string GetDefaultBrowser() { return {}; }
bool OpenSearchAddress(const std::string&) { return false; }
bool SearchWebForCommand(const std::string& command) { return OpenSearchAddress(BuildSearchAddress(ExtractSearchTerm(command))); }
