// Stands in for a web browser in tests: writes the arguments it was started
// with (its command line after the program's name, in UTF-8) to the file
// named by the environment variable QUORVANE_FAKE_BROWSER_RECORD, then ends.
// The text goes to a temporary file first and is renamed into place, so a
// reader never sees half of it.

#include <windows.h>

#include <string>

namespace {

// Windows' rule for the program's name: quoted up to the next quote, else up
// to the first space or tab.
const wchar_t* SkipProgramName(const wchar_t* commandLine)
{
    const wchar_t* p = commandLine;
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"')
            ++p;
        if (*p == L'"')
            ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t')
            ++p;
    }
    while (*p == L' ' || *p == L'\t')
        ++p;
    return p;
}

} // namespace

int main()
{
    wchar_t recordPath[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(L"QUORVANE_FAKE_BROWSER_RECORD", recordPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 2;
    const wchar_t* arguments = SkipProgramName(::GetCommandLineW());
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, arguments, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, arguments, -1, utf8.data(), size, nullptr, nullptr);
    utf8.resize(utf8.size() - 1); // the closing NUL
    const std::wstring partial = std::wstring(recordPath) + L".partial";
    const HANDLE file = ::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 3;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr) &&
                    written == utf8.size();
    if (!::CloseHandle(file) || !ok)
        return 4;
    return ::MoveFileExW(partial.c_str(), recordPath, MOVEFILE_REPLACE_EXISTING) ? 0 : 5;
}
