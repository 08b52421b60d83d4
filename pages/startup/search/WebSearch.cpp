#include "pages/startup/search/WebSearch.h"

#include "framework/RegistryText.h"
#include "pages/startup/Utf8Text.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cwctype>
#include <utility>

namespace {

constexpr wchar_t kSearchPrefix[] = L"https://www.google.com/search?q=";
constexpr wchar_t kUrlAssociationsKey[] = L"Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\";
constexpr wchar_t kOpenCommandKey[] = L"\\shell\\open\\command";
constexpr size_t kMaxPartLength = 255; // of the file name and of the extension
constexpr wchar_t kWhiteSpace[] = L" \t\r\n\v\f";

bool StartWithCreateProcess(const std::wstring&, const std::wstring& commandLine)
{
    // The command line names the program itself, quoted, so CreateProcessW
    // finds it as Windows would; the call may write into its copy.
    std::wstring writable = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return false;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}

bool OpenWithShell(const std::wstring& address)
{
    // ShellExecuteW reports success as a value above 32.
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(nullptr, nullptr, address.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

SearchStarters& CurrentStarters()
{
    static SearchStarters starters{StartWithCreateProcess, OpenWithShell};
    return starters;
}

std::wstring Trim(const std::wstring& text)
{
    const size_t first = text.find_first_not_of(kWhiteSpace);
    if (first == std::wstring::npos)
        return {};
    const size_t last = text.find_last_not_of(kWhiteSpace);
    return text.substr(first, last - first + 1);
}

// At most kMaxPartLength units, never ending in half a surrogate pair.
std::wstring LimitPart(const std::wstring& part)
{
    size_t length = std::min(part.size(), kMaxPartLength);
    if (length < part.size() && length > 0 && part[length - 1] >= 0xD800 && part[length - 1] <= 0xDBFF)
        --length;
    return part.substr(0, length);
}

bool IsUnreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

// The text of a value under HKEY_CLASSES_ROOT or HKEY_CURRENT_USER, with
// environment variables expanded; empty when missing or not text.
std::wstring ReadText(HKEY root, const std::wstring& keyPath, const wchar_t* valueName)
{
    std::wstring text;
    return fw::ReadRegistryText(root, keyPath.c_str(), valueName, text) == ERROR_SUCCESS ? text : std::wstring();
}

std::wstring OpenCommandOf(const std::wstring& className)
{
    return className.empty() ? std::wstring() : ReadText(HKEY_CLASSES_ROOT, className + kOpenCommandKey, nullptr);
}

std::wstring UserChoiceOf(const wchar_t* scheme)
{
    return ReadText(HKEY_CURRENT_USER, kUrlAssociationsKey + std::wstring(scheme) + L"\\UserChoice", L"ProgId");
}

// Where the program's name ends in a command without quotes: after the first
// ".exe" that a blank or the end follows, else at the first blank.
size_t UnquotedProgramEnd(const std::wstring& command)
{
    std::wstring lower = command;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](wchar_t c) { return std::towlower(c); });
    for (size_t at = lower.find(L".exe"); at != std::wstring::npos; at = lower.find(L".exe", at + 1)) {
        const size_t end = at + 4;
        if (end == lower.size() || lower[end] == L' ' || lower[end] == L'\t')
            return end;
    }
    return std::min(command.find_first_of(L" \t"), command.size());
}

// Each %1 or %L (either case) replaced by the address, and %* (the further
// arguments, of which there are none) removed; false when no address went in.
bool ReplacePlaceholders(std::wstring& arguments, const std::wstring& address)
{
    bool replaced = false;
    for (size_t at = arguments.find(L'%'); at != std::wstring::npos && at + 1 < arguments.size();
         at = arguments.find(L'%', at)) {
        const wchar_t next = arguments[at + 1];
        if (next == L'1' || next == L'L' || next == L'l') {
            arguments.replace(at, 2, address);
            at += address.size();
            replaced = true;
        } else if (next == L'*') {
            arguments.erase(at, 2);
        } else {
            at += 2;
        }
    }
    return replaced;
}

} // namespace

std::wstring ExtractSearchTerm(const std::wstring& command)
{
    std::wstring path = Trim(command);
    if (!path.empty() && path.front() == L'"') {
        const size_t close = path.find(L'"', 1);
        if (close != std::wstring::npos)
            path = path.substr(1, close - 1);
    }
    size_t fileStart = path.find_last_of(L"\\/");
    fileStart = fileStart == std::wstring::npos ? 0 : fileStart + 1;
    if (fileStart == 0 && path.size() >= 2 && path[1] == L':')
        fileStart = 2; // a drive and a name, such as C:tool.exe
    const std::wstring file = path.substr(fileStart);
    const size_t dot = file.rfind(L'.');
    if (dot == std::wstring::npos)
        return LimitPart(file);
    return LimitPart(file.substr(0, dot)) + LimitPart(file.substr(dot));
}

std::wstring PercentEncode(const std::wstring& text)
{
    static constexpr wchar_t kHexDigits[] = L"0123456789ABCDEF";
    std::wstring encoded;
    for (const char c : Utf8FromWide(text)) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsUnreserved(byte)) {
            encoded += static_cast<wchar_t>(byte);
        } else {
            encoded += L'%';
            encoded += kHexDigits[byte >> 4];
            encoded += kHexDigits[byte & 0x0F];
        }
    }
    return encoded;
}

std::wstring BuildSearchAddress(const std::wstring& term) { return kSearchPrefix + PercentEncode(term); }

BrowserLaunch BrowserLaunchFor(const std::wstring& registeredCommand, const std::wstring& address)
{
    const std::wstring command = Trim(registeredCommand);
    BrowserLaunch launch;
    size_t argumentsStart = 0;
    const size_t close = command.empty() || command.front() != L'"' ? std::wstring::npos : command.find(L'"', 1);
    if (close != std::wstring::npos) {
        launch.program = command.substr(1, close - 1);
        argumentsStart = close + 1;
    } else {
        argumentsStart = UnquotedProgramEnd(command);
        launch.program = command.substr(0, argumentsStart);
        launch.program.erase(std::remove(launch.program.begin(), launch.program.end(), L'"'), launch.program.end());
    }
    std::wstring arguments = command.substr(argumentsStart);
    const bool placed = ReplacePlaceholders(arguments, address);
    arguments = Trim(arguments);
    if (!placed)
        arguments += (arguments.empty() ? L"" : L" ") + address;
    // A program path holds no quote, so quoting it whole is always right.
    launch.commandLine = L"\"" + launch.program + L"\" " + arguments;
    return launch;
}

std::vector<std::wstring> RegisteredBrowserCommands()
{
    std::vector<std::wstring> commands;
    const auto add = [&commands](std::wstring command) {
        if (!command.empty() && std::find(commands.begin(), commands.end(), command) == commands.end())
            commands.push_back(std::move(command));
    };
    add(OpenCommandOf(UserChoiceOf(L"https")));
    add(OpenCommandOf(UserChoiceOf(L"http")));
    add(OpenCommandOf(L"http"));
    return commands;
}

bool OpenSearchAddress(const std::wstring& address)
{
    const SearchStarters& start = CurrentStarters();
    for (const std::wstring& command : RegisteredBrowserCommands()) {
        const BrowserLaunch launch = BrowserLaunchFor(command, address);
        if (!launch.program.empty() && start.startProgram(launch.program, launch.commandLine))
            return true;
    }
    // No browser, or none would start: the shell opens the address with
    // whatever handles web addresses.
    return start.openAddress(address);
}

bool SearchWebForCommand(const std::wstring& command)
{
    return OpenSearchAddress(BuildSearchAddress(ExtractSearchTerm(command)));
}

void SetSearchStarters(SearchStarters starters)
{
    SearchStarters& current = CurrentStarters();
    current.startProgram = starters.startProgram ? std::move(starters.startProgram) : StartWithCreateProcess;
    current.openAddress = starters.openAddress ? std::move(starters.openAddress) : OpenWithShell;
}
