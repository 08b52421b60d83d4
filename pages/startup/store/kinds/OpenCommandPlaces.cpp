// How Windows opens programs, scripts and web pages: the open command of the
// classes exefile, comfile, batfile, cmdfile and htmlfile (the user's classes
// take the place of the machine's), listed where it is not Windows' own, a
// row per class. Never switched: without its open command no program of the
// class would start.

#include "framework/UniqueHandle.h"
#include "pages/startup/details/ProgramResolver.h"
#include "pages/startup/store/SwitchedValues.h"

#include <algorithm>
#include <cwctype>

namespace {

// The classes, and whether Windows' own command for them starts the file
// itself with its arguments.
const struct {
    const wchar_t* name;
    bool startsItself;
} kClasses[] = {
    {L"exefile", true}, {L"comfile", true}, {L"batfile", true}, {L"cmdfile", true}, {L"htmlfile", false},
};

const wchar_t kStartsItself[] = L"\"%1\" %*";

std::wstring Lower(std::wstring text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
    return text;
}

// Whether the rest of a command holds nothing but the page to open and
// Internet Explorer's own -nohome.
bool OnlyOpensThePage(const std::wstring& arguments)
{
    std::size_t at = 0;
    while ((at = arguments.find_first_not_of(L' ', at)) != std::wstring::npos) {
        const std::size_t end = std::min(arguments.find(L' ', at), arguments.size());
        const std::wstring argument = arguments.substr(at, end - at);
        if (argument != L"%1" && argument != L"\"%1\"" && argument != L"-nohome")
            return false;
        at = end;
    }
    return true;
}

// Web pages have no one command of Windows' own: its own is Internet
// Explorer of the system's Program Files folder (of either bitness), quoted or
// not, opening the page and nothing else.
bool IsInternetExplorer(const std::wstring& command)
{
    const std::wstring text = Lower(TrimmedText(ExpandEnvironment(command)));
    for (const wchar_t* folder : {L"%ProgramFiles%", L"%ProgramFiles(x86)%", L"%ProgramW6432%"}) {
        const std::wstring programFiles = ExpandEnvironment(folder);
        if (programFiles.empty() || programFiles.front() == L'%')
            continue;
        const std::wstring program = Lower(programFiles) + L"\\internet explorer\\iexplore.exe";
        for (const std::wstring& start : {L"\"" + program + L"\"", program}) {
            if (text.compare(0, start.size(), start) != 0)
                continue;
            const std::wstring rest = text.substr(start.size());
            if (rest.empty() || (rest.front() == L' ' && OnlyOpensThePage(rest)))
                return true;
        }
    }
    return false;
}

bool IsWindowsOwn(bool startsItself, const std::wstring& command)
{
    return startsItself ? TrimmedText(command) == kStartsItself : IsInternetExplorer(command);
}

std::wstring CommandKeyPath(const StartupSource& source, const std::wstring& className)
{
    return std::wstring(source.keyPath) + L"\\" + className + L"\\shell\\open\\command";
}

class OpenCommandKind final : public UnwatchedKind {
public:
    const char* ReadingWork() const override { return "read: open commands"; }

    StartupValueList Read(const StartupSource& source, EntryPlace place) const override
    {
        StartupValueList entries;
        if (place != EntryPlace::Startup)
            return entries;
        for (const auto& listed : kClasses) {
            fw::UniqueRegKey key;
            if (::RegOpenKeyExW(source.hive, CommandKeyPath(source, listed.name).c_str(), 0, KEY_READ | source.view,
                                key.Put())
                != ERROR_SUCCESS)
                continue;
            std::optional<std::wstring> command = ReadCommandText(key.Get(), L"");
            if (command && !IsWindowsOwn(listed.startsItself, *command))
                entries.push_back({listed.name, std::move(*command)});
        }
        return entries;
    }

    EntryAddress Address(const StartupSource& source, EntryPlace place, const std::wstring& name) const override
    {
        EntryAddress address = KeyAddress(source, place);
        address.keyPath = CommandKeyPath(source, name);
        return address;
    }
};

} // namespace

const PlaceKind& OpenCommandPlaces()
{
    static const OpenCommandKind kind;
    return kind;
}
