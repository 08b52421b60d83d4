#include "pages/startup/WebSearch.h"

#include "framework/UniqueHandle.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace {

constexpr char kSearchPrefix[] = "www.google.com/search?q=";
constexpr char kBrowserCommandKey[] = "http\\shell\\open\\command";
constexpr size_t kMaxPartLength = 255; // of the file name and of the extension
constexpr std::intptr_t kShellErrorLimit = 32; // ShellExecuteA results up to this are errors

std::intptr_t ShellExecuteStarter(const std::string& file, const std::string& parameters)
{
    const HINSTANCE result = ::ShellExecuteA(nullptr, nullptr, file.c_str(),
                                             parameters.empty() ? nullptr : parameters.c_str(), nullptr,
                                             SW_SHOWNORMAL);
    return reinterpret_cast<std::intptr_t>(result);
}

ShellStarter& CurrentStarter()
{
    static ShellStarter starter = ShellExecuteStarter;
    return starter;
}

std::string Trim(const std::string& text)
{
    constexpr char kWhiteSpace[] = " \t\r\n\v\f";
    const size_t first = text.find_first_not_of(kWhiteSpace);
    if (first == std::string::npos)
        return {};
    const size_t last = text.find_last_not_of(kWhiteSpace);
    return text.substr(first, last - first + 1);
}

// The text between the first quote and the next one, or nothing when there
// are fewer than two quotes.
bool TextBetweenQuotes(const std::string& text, std::string& between)
{
    const size_t open = text.find('"');
    if (open == std::string::npos)
        return false;
    const size_t close = text.find('"', open + 1);
    if (close == std::string::npos)
        return false;
    between = text.substr(open + 1, close - open - 1);
    return true;
}

bool IsUnreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

std::string AnsiToUtf8(const std::string& ansiText)
{
    if (ansiText.empty())
        return {};
    const int ansiLength = static_cast<int>(ansiText.size());
    const int wideLength = ::MultiByteToWideChar(CP_ACP, 0, ansiText.data(), ansiLength, nullptr, 0);
    if (wideLength <= 0)
        return {};
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, ansiText.data(), ansiLength, wide.data(), wideLength);
    const int utf8Length = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (utf8Length <= 0)
        return {};
    std::string utf8(static_cast<size_t>(utf8Length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, utf8.data(), utf8Length, nullptr, nullptr);
    return utf8;
}

} // namespace

std::string ExtractSearchTerm(const std::string& command)
{
    std::string path = Trim(command);
    if (!path.empty() && path.front() == '"')
        TextBetweenQuotes(path, path);

    // Buffers as long as the path itself, so no part can overrun them.
    std::vector<char> name(path.size() + 1, '\0');
    std::vector<char> extension(path.size() + 1, '\0');
    if (::_splitpath_s(path.c_str(), nullptr, 0, nullptr, 0, name.data(), name.size(), extension.data(),
                       extension.size()) != 0)
        return {};
    std::string term(name.data(), std::min(std::strlen(name.data()), kMaxPartLength));
    term.append(extension.data(), std::min(std::strlen(extension.data()), kMaxPartLength));
    return term;
}

std::string PercentEncode(const std::string& ansiText)
{
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : AnsiToUtf8(ansiText)) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsUnreserved(byte)) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHexDigits[byte >> 4];
            encoded += kHexDigits[byte & 0x0F];
        }
    }
    return encoded;
}

std::string BuildSearchAddress(const std::string& term) { return kSearchPrefix + PercentEncode(term); }

std::string BrowserPathFromCommand(const std::string& registeredCommand)
{
    // A quoted path: current browsers put their quoted arguments ("%1") after
    // it, so the path ends at the second quote, not the last. A lone quote
    // leaves the text as it is.
    std::string quoted;
    if (TextBetweenQuotes(registeredCommand, quoted))
        return quoted;
    if (registeredCommand.find('"') != std::string::npos)
        return registeredCommand;

    const size_t backslash = registeredCommand.rfind('\\');
    if (backslash == std::string::npos || backslash == 0)
        return registeredCommand;
    const size_t space = registeredCommand.find(' ', backslash);
    if (space == std::string::npos)
        return registeredCommand;
    return registeredCommand.substr(0, space);
}

std::string GetDefaultBrowser()
{
    fw::UniqueRegKey key;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, kBrowserCommandKey, 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
        return {};
    DWORD size = 0;
    if (::RegQueryValueExA(key.Get(), nullptr, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS || size == 0)
        return {};
    // One byte more than asked for, so the text ends in a NUL even when the value's does not.
    std::vector<char> data(size + 1, '\0');
    if (::RegQueryValueExA(key.Get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size)
        != ERROR_SUCCESS)
        return {};
    return BrowserPathFromCommand(data.data());
}

bool OpenSearchAddress(const std::string& address)
{
    const ShellStarter& start = CurrentStarter();
    const std::string browser = GetDefaultBrowser();
    if (!browser.empty() && start(browser, address) > kShellErrorLimit)
        return true;
    // No browser, or it would not start: the shell opens the full address
    // with whatever handles web addresses.
    return start("https://" + address, std::string()) > kShellErrorLimit;
}

bool SearchWebForCommand(const std::string& command)
{
    return OpenSearchAddress(BuildSearchAddress(ExtractSearchTerm(command)));
}

void SetShellStarter(ShellStarter starter)
{
    CurrentStarter() = starter ? std::move(starter) : ShellStarter(ShellExecuteStarter);
}
