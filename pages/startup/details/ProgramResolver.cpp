#include "pages/startup/details/ProgramResolver.h"

#include "framework/RegistryText.h"
#include "framework/SystemFolder.h"
#include "framework/UniqueHandle.h"
#include "pages/startup/details/NativeFilePath.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <utility>
#include <vector>

namespace {

constexpr wchar_t kSpaces[] = L" \t";
constexpr wchar_t kAppPathsKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
constexpr std::size_t kMaxComponentLength = 255; // no file system has longer names
constexpr int kMaxHostDepth = 4;                 // cmd /c cmd /c ...
constexpr std::size_t kMaxCandidates = 256;      // far more spaces than any program path has
constexpr std::size_t npos = std::wstring::npos;

// A file looked for: where it is, or the path that stands for it when it is
// not there.
struct Found {
    std::wstring path;
    bool exists = false;
};

bool EqualNoCase(const std::wstring& a, const wchar_t* b)
{
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b, -1, TRUE) == CSTR_EQUAL;
}

std::wstring TrimSpaces(const std::wstring& text)
{
    const std::size_t first = text.find_first_not_of(kSpaces);
    if (first == npos)
        return {};
    return text.substr(first, text.find_last_not_of(kSpaces) - first + 1);
}


std::wstring LastComponent(const std::wstring& path)
{
    const std::size_t slash = path.find_last_of(L"\\/:");
    return slash == npos ? path : path.substr(slash + 1);
}

bool HasFolder(const std::wstring& name) { return name.find_first_of(L"\\/:") != npos; }

bool HasExtension(const std::wstring& path) { return LastComponent(path).find(L'.') != npos; }

bool HasProgramExtension(const std::wstring& path)
{
    const std::wstring name = LastComponent(path);
    const std::size_t dot = name.rfind(L'.');
    if (dot == npos)
        return false;
    const std::wstring extension = name.substr(dot + 1);
    for (const wchar_t* known : {L"exe", L"com", L"bat", L"cmd", L"scr", L"pif", L"dll", L"cpl", L"msc", L"lnk",
                                 L"vbs", L"vbe", L"js", L"jse", L"wsf", L"wsh", L"ps1", L"hta", L"msi"}) {
        if (EqualNoCase(extension, known))
            return true;
    }
    return false;
}

// The host named `host`, with or without ".exe".
bool IsHost(const std::wstring& path, const wchar_t* host)
{
    const std::wstring name = LastComponent(path);
    return EqualNoCase(name, host) || EqualNoCase(name, (std::wstring(host) + L".exe").c_str());
}

bool HasOverlongComponent(const std::wstring& path)
{
    std::size_t run = 0;
    for (const wchar_t c : path) {
        run = (c == L'\\' || c == L'/') ? 0 : run + 1;
        if (run > kMaxComponentLength)
            return true;
    }
    return false;
}

std::wstring WindowsFolderPath()
{
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemWindowsDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

// `path` made absolute: a relative path is taken from the system folder,
// where Windows starts the entries, never from this process's own folder.
std::wstring AbsolutePath(const std::wstring& path)
{
    const bool unc = path.size() >= 2 && (path[0] == L'\\' || path[0] == L'/') && (path[1] == L'\\' || path[1] == L'/');
    const bool drive = path.size() >= 2 && std::iswalpha(path[0]) && path[1] == L':';
    std::wstring absolute = path;
    if (drive && (path.size() == 2 || (path[2] != L'\\' && path[2] != L'/'))) {
        absolute = path.substr(0, 2) + L"\\" + path.substr(2);
    } else if (!unc && !drive) {
        const std::wstring system = fw::SystemFolderPath();
        if (system.size() < 2)
            return {};
        absolute = (path[0] == L'\\' || path[0] == L'/') ? system.substr(0, 2) + path : system + L"\\" + path;
    }
    // Only tidies up "..", "." and separators: the path is absolute by now.
    const DWORD size = ::GetFullPathNameW(absolute.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return {};
    std::wstring full(size, L'\0');
    const DWORD used = ::GetFullPathNameW(absolute.c_str(), size, full.data(), nullptr);
    if (used == 0 || used >= size)
        return {};
    full.resize(used);
    return full;
}

// Whether `path` is an existing file; `folderMissing` (when given) learns
// whether not even the folder it would be in exists.
bool IsExistingFile(const std::wstring& path, bool* folderMissing = nullptr)
{
    const std::wstring native = NativeFilePath(path);
    if (native.empty())
        return false;
    const DWORD attributes = ::GetFileAttributesW(native.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES && folderMissing)
        *folderMissing = ::GetLastError() == ERROR_PATH_NOT_FOUND;
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The existing file at `path`, tried first with `extension` added when the
// path has none (as CreateProcess adds ".exe"); empty when there is none.
std::wstring ExistingFileAt(const std::wstring& path, const wchar_t* extension, bool* folderMissing = nullptr)
{
    if (path.empty() || HasOverlongComponent(path))
        return {};
    const std::wstring full = AbsolutePath(path);
    if (full.empty() || IsDevicePath(full))
        return {};
    if (extension && !HasExtension(path) && IsExistingFile(full + extension))
        return full + extension;
    return IsExistingFile(full, folderMissing) ? full : std::wstring();
}

std::vector<std::wstring> SearchFolders()
{
    std::vector<std::wstring> folders{fw::SystemFolderPath(), WindowsFolderPath()};
    const DWORD size = ::GetEnvironmentVariableW(L"PATH", nullptr, 0);
    std::wstring path(size, L'\0');
    const DWORD used = size ? ::GetEnvironmentVariableW(L"PATH", path.data(), size) : 0;
    path.resize(used < size ? used : 0);
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t end = std::min(path.find(L';', start), path.size());
        std::wstring folder = TrimSpaces(path.substr(start, end - start));
        if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"')
            folder = folder.substr(1, folder.size() - 2);
        if (!folder.empty())
            folders.push_back(ExpandEnvironment(folder));
        start = end + 1;
    }
    return folders;
}

// The program that App Paths registers for `name`, expanded and unquoted;
// empty when there is none.
std::wstring AppPathFor(const std::wstring& name)
{
    const std::wstring path = kAppPathsKey + name;
    for (const HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        // Entries are started by the native shell, which reads the native view.
        fw::UniqueRegKey key;
        if (::RegOpenKeyExW(hive, path.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.Put()) != ERROR_SUCCESS)
            continue;
        // REG_EXPAND_SZ comes back expanded.
        std::wstring value;
        if (fw::ReadRegistryText(key.Get(), nullptr, nullptr, value) != ERROR_SUCCESS)
            continue;
        value = TrimSpaces(value);
        if (!value.empty() && value.front() == L'"')
            value = value.substr(1, value.find(L'"', 1) == npos ? npos : value.find(L'"', 1) - 1);
        if (!value.empty())
            return value;
    }
    return {};
}

// A name without a folder: in the search folders, then (for programs) under
// App Paths.
Found FindByName(const std::wstring& name, const wchar_t* extension)
{
    for (const std::wstring& folder : SearchFolders()) {
        if (folder.empty())
            continue;
        const std::wstring file = ExistingFileAt(folder + L"\\" + name, extension);
        if (!file.empty())
            return {file, true};
    }
    if (extension && EqualNoCase(std::wstring(extension), L".exe")) {
        const std::wstring registered = AppPathFor(HasExtension(name) ? name : name + L".exe");
        if (!registered.empty()) {
            const std::wstring file = ExistingFileAt(registered, extension);
            return file.empty() ? Found{registered, false} : Found{file, true};
        }
    }
    return {name, false};
}

Found Find(const std::wstring& path, const wchar_t* extension, bool* folderMissing = nullptr)
{
    if (path.empty())
        return {};
    if (!HasFolder(path))
        return FindByName(path, extension);
    const std::wstring file = ExistingFileAt(path, extension, folderMissing);
    return file.empty() ? Found{path, false} : Found{file, true};
}

// The program at the start of a command line, and the text after it.
struct Program {
    Found file;
    std::wstring arguments;
};

Program FindProgram(const std::wstring& commandLine)
{
    const std::wstring text = commandLine.substr(std::min(commandLine.find_first_not_of(kSpaces), commandLine.size()));
    if (text.empty())
        return {};
    if (text.front() == L'"') {
        const std::size_t close = text.find(L'"', 1);
        const std::wstring path = text.substr(1, close == npos ? npos : close - 1);
        return {Find(path, L".exe"), close == npos ? std::wstring() : text.substr(close + 1)};
    }
    Program first, withProgramExtension;
    bool haveFirst = false, haveProgramExtension = false;
    std::size_t tried = 0;
    for (std::size_t end = text.find_first_of(kSpaces);; end = text.find_first_of(kSpaces, end + 1)) {
        if (end != npos && end > 0 && (text[end - 1] == L' ' || text[end - 1] == L'\t'))
            continue; // a run of spaces gives one candidate
        const std::wstring candidate = text.substr(0, end);
        // Each longer candidate keeps the overlong component of a shorter one.
        if (haveFirst && (HasOverlongComponent(candidate) || ++tried > kMaxCandidates))
            break;
        bool folderMissing = false;
        Program program{Find(candidate, L".exe", &folderMissing), end == npos ? std::wstring() : text.substr(end)};
        if (program.file.exists)
            return program;
        if (!haveProgramExtension && HasProgramExtension(program.file.path)) {
            withProgramExtension = program;
            haveProgramExtension = true;
        }
        if (!haveFirst) {
            first = std::move(program);
            haveFirst = true;
        }
        // Every longer candidate lies in that missing folder too, unless a
        // ".." climbs out of it.
        if (end == npos || (folderMissing && text.find(L"..", end) == npos))
            break;
    }
    return haveProgramExtension ? withProgramExtension : first;
}

// The next argument from `pos` on: quotes group spaces and are dropped.
std::wstring NextArgument(const std::wstring& text, std::size_t& pos)
{
    pos = text.find_first_not_of(kSpaces, pos);
    std::wstring argument;
    bool quoted = false;
    for (; pos != npos && pos < text.size(); ++pos) {
        const wchar_t c = text[pos];
        if (c == L'"')
            quoted = !quoted;
        else if (!quoted && (c == L' ' || c == L'\t'))
            break;
        else
            argument += c;
    }
    return argument;
}

// The library rundll32 is given: quoted, or up to the comma before its entry.
std::wstring RundllLibrary(const std::wstring& arguments)
{
    const std::wstring text = TrimSpaces(arguments);
    if (!text.empty() && text.front() == L'"') {
        const std::size_t close = text.find(L'"', 1);
        return text.substr(1, close == npos ? npos : close - 1);
    }
    const std::size_t comma = text.find(L',');
    return TrimSpaces(comma != npos ? text.substr(0, comma) : text.substr(0, text.find_first_of(kSpaces)));
}

// The command after cmd's /c or /k (or /r), past any other switches;
// false when there is none.
bool CmdCommand(const std::wstring& arguments, std::wstring& command)
{
    std::size_t pos = 0;
    for (;;) {
        const std::wstring argument = NextArgument(arguments, pos);
        if (argument.empty() || argument.front() != L'/')
            return false;
        if (EqualNoCase(argument, L"/c") || EqualNoCase(argument, L"/k") || EqualNoCase(argument, L"/r")) {
            command = TrimSpaces(pos == npos ? std::wstring() : arguments.substr(pos));
            return !command.empty();
        }
    }
}

// The script after the host's own options: the first argument that is not a
// //option for wscript and cscript, the one after -File for PowerShell.
std::wstring ScriptArgument(const std::wstring& arguments, bool powerShell)
{
    std::size_t pos = 0;
    for (;;) {
        const std::wstring argument = NextArgument(arguments, pos);
        if (argument.empty())
            return {};
        if (!powerShell && argument.compare(0, 2, L"//") != 0)
            return argument;
        if (powerShell && (EqualNoCase(argument, L"-file") || EqualNoCase(argument, L"/file")))
            return NextArgument(arguments, pos);
    }
}

Found Resolve(const std::wstring& command, int depth);

// What cmd runs for `command`: the file when there is one; cmd itself for a
// bare word, which may be one of its own commands.
Found ResolveCmdCommand(const Found& cmd, const std::wstring& command, int depth)
{
    Found inner = Resolve(command, depth + 1);
    // cmd drops the first and the last quote of a command such as
    // ""C:\a b\run.bat" /x".
    if (!inner.exists && command.size() >= 2 && command.front() == L'"' && command.back() == L'"') {
        Found unquoted = Resolve(command.substr(1, command.size() - 2), depth + 1);
        if (unquoted.exists || inner.path.empty())
            inner = std::move(unquoted);
    }
    if (inner.exists)
        return inner;
    std::size_t pos = 0;
    const std::wstring word = NextArgument(command, pos);
    return HasFolder(word) || HasExtension(word) ? inner : cmd;
}

// The file the host `program` runs, when it is one of the known hosts and
// is given one; `program` itself otherwise.
Found ResolveHosted(const Program& program, int depth)
{
    const Found& host = program.file;
    if (depth >= kMaxHostDepth)
        return host;
    if (IsHost(host.path, L"rundll32")) {
        const std::wstring library = RundllLibrary(program.arguments);
        return library.empty() ? host : Find(library, L".dll");
    }
    if (IsHost(host.path, L"cmd")) {
        std::wstring command;
        return CmdCommand(program.arguments, command) ? ResolveCmdCommand(host, command, depth) : host;
    }
    const bool scriptHost = IsHost(host.path, L"wscript") || IsHost(host.path, L"cscript");
    const bool powerShell = IsHost(host.path, L"powershell") || IsHost(host.path, L"pwsh");
    if (scriptHost || powerShell) {
        const std::wstring script = ScriptArgument(program.arguments, powerShell);
        return script.empty() ? host : Find(script, nullptr);
    }
    return host;
}

Found Resolve(const std::wstring& command, int depth)
{
    const std::wstring text = TrimSpaces(command);
    if (text.empty())
        return {};
    return ResolveHosted(FindProgram(text), depth);
}

} // namespace

std::wstring ResolveProgramFile(const std::wstring& command)
{
    // Windows reads a command up to its first NUL.
    return Resolve(ExpandEnvironment(command.substr(0, command.find(L'\0'))), 0).path;
}

std::wstring ExpandEnvironment(const std::wstring& text)
{
    if (text.find(L'%') == std::wstring::npos)
        return text;
    DWORD size = ::ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    // A variable may change between the two calls; the second answer is final.
    for (int attempt = 0; attempt < 2 && size > 0; ++attempt) {
        std::wstring expanded(size, L'\0');
        const DWORD used = ::ExpandEnvironmentStringsW(text.c_str(), expanded.data(), size);
        if (used > 0 && used <= size) {
            expanded.resize(used - 1);
            return expanded;
        }
        size = used;
    }
    return text;
}
