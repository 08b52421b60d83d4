#include "UnixMemory.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

const char kProc[] = "Z:\\proc\\";

std::string ReadWhole(const std::string& path)
{
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0)
        text.append(buffer, got);
    ::CloseHandle(file);
    return text;
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// A "Name:   1234 kB" line of smaps_rollup, in MiB; negative when missing.
double Field(const std::string& rollup, const char* name)
{
    const std::string key = std::string("\n") + name + ":";
    const std::size_t at = rollup.find(key);
    if (at == std::string::npos)
        return -1;
    return std::strtod(rollup.c_str() + at + key.size(), nullptr) / 1024.0;
}

// Whether the (lower-case) command line starts with a program of that file
// name: Wine shows the path unquoted, spaces and all.
bool NamesProgram(const std::string& commandLine, const std::string& fileName)
{
    const std::size_t at = commandLine.find(fileName);
    if (at == std::string::npos)
        return false;
    const std::size_t end = at + fileName.size();
    return (at == 0 || commandLine[at - 1] == '\\' || commandLine[at - 1] == '/')
           && (end == commandLine.size() || commandLine[end] == ' ' || commandLine[end] == '"');
}

} // namespace

std::string ProgramFileName(const std::string& commandLine)
{
    std::string program;
    if (!commandLine.empty() && commandLine.front() == '"')
        program = commandLine.substr(1, commandLine.find('"', 1) - 1);
    else
        program = commandLine.substr(0, commandLine.find(' '));
    return program.substr(program.find_last_of("\\/") + 1);
}

std::set<int> UnixProcessIds(const std::string& fileName)
{
    std::set<int> ids;
    const std::string wanted = Lower(fileName);
    WIN32_FIND_DATAA found;
    const HANDLE search = ::FindFirstFileA((std::string(kProc) + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return ids;
    do {
        if (!std::isdigit(static_cast<unsigned char>(found.cFileName[0])))
            continue;
        // A Wine process's command line is its Windows one: the program's path first.
        std::string commandLine = ReadWhole(std::string(kProc) + found.cFileName + "\\cmdline");
        std::replace(commandLine.begin(), commandLine.end(), '\0', ' ');
        if (NamesProgram(Lower(commandLine), wanted))
            ids.insert(std::atoi(found.cFileName));
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return ids;
}

int NewUnixProcess(const std::set<int>& before, const std::string& fileName)
{
    int found = 0;
    for (int id : UnixProcessIds(fileName)) {
        if (before.count(id))
            continue;
        if (found)
            return 0;
        found = id;
    }
    return found;
}

UnixMemory ReadUnixMemory(int unixProcessId)
{
    UnixMemory memory;
    if (unixProcessId <= 0)
        return memory;
    const std::string rollup = "\n" + ReadWhole(std::string(kProc) + std::to_string(unixProcessId) + "\\smaps_rollup");
    const double dirty = Field(rollup, "Private_Dirty");
    const double clean = Field(rollup, "Private_Clean");
    const double resident = Field(rollup, "Rss");
    if (dirty < 0 || clean < 0 || resident < 0)
        return memory;
    return {true, dirty, clean, resident};
}
