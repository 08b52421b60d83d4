// The cost of each step of a start-up entry's details, per file: finding the
// program file behind a command, reading its size and time, its version
// resource and its signature, for an unsigned file and for signed ones. Each
// figure is the median (and 90th percentile) of many calls on a warm file.
// The signed files are those the details tests make (scripts/bench makes them
// first); without them only the unsigned figures are printed. The prefix
// trusts their authority only while the details tests run, so here none of
// them is verified: the line above each file's figures says what was found.
//
// Usage: file_details_cost [calls]

#include "framework/SystemFolder.h"
#include "pages/startup/details/FileDetails.h"
#include "pages/startup/details/NativeFilePath.h"
#include "pages/startup/details/ProgramResolver.h"
#include "support/ProcessWindows.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

// Median and 90th percentile in microseconds of `calls` runs of `step`.
void Measure(const char* step, const char* file, int calls, const std::function<void()>& run)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    run(); // the first call loads what the step needs
    std::vector<double> samples;
    for (int i = 0; i < calls; ++i) {
        LARGE_INTEGER from, to;
        ::QueryPerformanceCounter(&from);
        run();
        ::QueryPerformanceCounter(&to);
        samples.push_back(1e6 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart));
    }
    std::sort(samples.begin(), samples.end());
    std::printf("  %-28s %-30s median %9.1f us  p90 %9.1f us\n", step, file, samples[samples.size() / 2],
                samples[samples.size() * 9 / 10]);
}

std::string Narrow(const std::wstring& text)
{
    std::string narrow;
    for (const wchar_t c : text)
        narrow += c < 0x80 ? static_cast<char>(c) : '?';
    return narrow;
}

} // namespace

int main(int argc, char** argv)
{
    const int calls = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    const std::wstring folder = ThisProgramDirectoryW();
    struct File {
        const char* label;
        std::wstring path;
    };
    std::vector<File> files{{"unsigned (versioned_tool)", folder + L"versioned_tool.exe"}};
    for (const auto& [label, name] : {std::pair<const char*, const wchar_t*>{"signed (trusted.exe)", L"trusted.exe"},
                                      {"signed (untrusted.exe)", L"untrusted.exe"},
                                      {"signed, changed (changed.exe)", L"changed.exe"}}) {
        const std::wstring path = folder + L"signed-fixtures\\" + name;
        if (ReadFileStamp(path).exists)
            files.push_back({label, path});
    }
    if (files.size() == 1)
        std::printf("(no signed files in %ssigned-fixtures: only the unsigned figures)\n", Narrow(folder).c_str());

    std::printf("file_details_cost: %d calls a figure\n", calls);
    const std::wstring system = fw::SystemFolderPath();
    const struct {
        const char* label;
        std::wstring command;
    } commands[] = {
        {"quoted path", L"\"" + files[0].path + L"\" /x"},
        {"unquoted, spaces", system + L"\\..\\Program Files\\Missing Tool\\tool.exe /x /y"},
        {"bare name (search path)", L"notepad /x"},
        {"rundll32 <dll>,<entry>", L"rundll32.exe shell32.dll,Control_RunDLL desk.cpl"},
    };
    for (const auto& command : commands)
        Measure("resolve", command.label, calls, [&] { ResolveProgramFile(command.command); });

    for (const File& file : files) {
        std::printf("%s: %s, %llu bytes\n", file.label, Narrow(PublisherText(ExamineFile(file.path))).c_str(),
                    ReadFileStamp(file.path).size);
        Measure("size and time", file.label, calls, [&] { ReadFileStamp(file.path); });
        Measure("version (CompanyName)", file.label, calls, [&] { ReadCompanyName(file.path); });
        Measure("signature", file.label, calls, [&] { CheckSignature(file.path); });
        Measure("whole examination", file.label, calls, [&] { ExamineFile(file.path); });
    }
    return 0;
}
