#include "app/CommandLine.h"

#include <windows.h>

#include <shellapi.h>

namespace {

// An option's name without its / or -, lower case; empty for anything that
// is no option.
std::wstring OptionName(const std::wstring& argument)
{
    if (argument.size() < 2 || (argument[0] != L'/' && argument[0] != L'-'))
        return {};
    std::wstring name = argument.substr(1);
    ::CharLowerBuffW(name.data(), static_cast<DWORD>(name.size()));
    return name;
}

CommandLineRequest Refused(std::wstring why)
{
    CommandLineRequest request;
    request.error = std::move(why) + L" Quorvane /? shows the usage.";
    return request;
}

} // namespace

std::vector<std::wstring> SplitArguments(const wchar_t* given)
{
    // A program's name first: the first word is split by its own rules.
    const std::wstring line = L"Quorvane " + std::wstring(given);
    int count = 0;
    LPWSTR* const split = ::CommandLineToArgvW(line.c_str(), &count);
    std::vector<std::wstring> arguments;
    for (int i = 1; split && i < count; ++i)
        arguments.emplace_back(split[i]);
    ::LocalFree(split);
    return arguments;
}

CommandLineRequest ParseCommandLine(const std::vector<std::wstring>& arguments)
{
    CommandLineRequest request;
    bool saveGiven = false, compareGiven = false, allGiven = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        const std::wstring name = OptionName(argument);
        if (name == L"?" || name == L"h" || name == L"help") {
            CommandLineRequest usage;
            usage.usage = true;
            return usage;
        }
        if (name == L"all") {
            if (allGiven)
                return Refused(L"The option " + argument + L" is given twice.");
            allGiven = request.all = true;
            continue;
        }
        if (name != L"save" && name != L"compare")
            return Refused((argument.empty() ? std::wstring(L"An empty argument") : L"The argument " + argument) +
                           L" is not one Quorvane knows.");
        bool& given = name == L"save" ? saveGiven : compareGiven;
        if (given)
            return Refused(L"The option " + argument + L" is given twice.");
        given = true;
        // A file name cannot begin with / on Windows: that is the next option.
        if (i + 1 >= arguments.size() || arguments[i + 1].empty() || arguments[i + 1][0] == L'/')
            return Refused(L"The option " + argument + L" needs a file name after it.");
        (name == L"save" ? request.save : request.compare) = arguments[++i];
    }
    if (!saveGiven && !compareGiven)
        return Refused(L"Nothing to do: give /save FILE, /compare SAVED, or both.");
    return request;
}

std::wstring CommandLineUsage()
{
    return L"Saves or compares the start-up list without showing a window.\r\n"
           L"\r\n"
           L"Quorvane /save FILE [/all]\r\n"
           L"Quorvane /compare SAVED [/save FILE] [/all]\r\n"
           L"\r\n"
           L"  /save FILE      Writes the list to FILE as File > Save Start-Up List does: CSV,\r\n"
           L"                  or JSON Lines where FILE ends in .json. With /compare, each\r\n"
           L"                  entry's Change (new, changed, gone or empty) comes last.\r\n"
           L"  /compare SAVED  Compares the list with one saved before.\r\n"
           L"  /all            Includes Windows' own entries, which are left out otherwise.\r\n"
           L"\r\n"
           L"Exit codes: 0 done (for /compare: nothing new, changed or gone), 1 /compare found\r\n"
           L"something new, changed or gone, 2 bad arguments, a file that cannot be read or\r\n"
           L"written, or a place of the list that did not answer (nothing is saved or compared).\r\n";
}
