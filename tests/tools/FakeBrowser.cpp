// Stands in for a web browser in tests: writes the arguments it was started
// with (its command line after the program's name) to the file named by the
// environment variable QUORVANE_FAKE_BROWSER_RECORD, then ends. The text goes
// to a temporary file first and is renamed into place, so a reader never sees
// half of it.

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// Windows' rule for the program's name: quoted up to the next quote, else up
// to the first space or tab.
const char* SkipProgramName(const char* commandLine)
{
    const char* p = commandLine;
    if (*p == '"') {
        ++p;
        while (*p && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t')
            ++p;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}

} // namespace

int main()
{
    char recordPath[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableA("QUORVANE_FAKE_BROWSER_RECORD", recordPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 2;
    const std::string arguments = SkipProgramName(::GetCommandLineA());
    const std::string partial = std::string(recordPath) + ".partial";
    FILE* file = std::fopen(partial.c_str(), "wb");
    if (!file)
        return 3;
    const bool written = std::fwrite(arguments.data(), 1, arguments.size(), file) == arguments.size();
    if (std::fclose(file) != 0 || !written)
        return 4;
    return ::MoveFileExA(partial.c_str(), recordPath, MOVEFILE_REPLACE_EXISTING) ? 0 : 5;
}
