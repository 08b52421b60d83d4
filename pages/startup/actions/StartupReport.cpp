#include "pages/startup/actions/StartupReport.h"

#include "pages/startup/actions/AtomicFile.h"
#include "pages/startup/Utf8Text.h"

#include <algorithm>

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr wchar_t kCsvHeader[] =
    L"Program,Location,Execution Path,Program File,Publisher,Verified,Enabled,File Exists,"
    L"Start-Up Impact,CPU at Start-Up (ms),Disk I/O at Start-Up (KB)\r\n";

std::wstring CsvField(const std::wstring& value)
{
    std::wstring field = value;
    if (NeedsFormulaGuard(field))
        field.insert(0, 1, L'\'');
    if (field.find_first_of(L",\"\r\n") == std::wstring::npos)
        return field;
    std::wstring quoted = L"\"";
    for (const wchar_t c : field) {
        quoted += c;
        if (c == L'"')
            quoted += L'"';
    }
    return quoted + L"\"";
}

const wchar_t* YesNo(bool value) { return value ? L"yes" : L"no"; }

std::wstring OnOneLine(std::wstring field)
{
    std::replace_if(
        field.begin(), field.end(), [](wchar_t c) { return c == L'\t' || c == L'\r' || c == L'\n'; }, L' ');
    return field;
}

} // namespace

bool NeedsFormulaGuard(std::wstring_view text)
{
    return !text.empty() && std::wstring_view(L"=+-@\t\r'").find(text.front()) != std::wstring_view::npos;
}

std::string StartupListCsv(const std::vector<EntryReport>& entries)
{
    std::wstring text = kCsvHeader;
    for (const EntryReport& entry : entries) {
        for (const std::wstring* field :
             {&entry.program, &entry.location, &entry.command, &entry.programFile, &entry.publisher})
            text += CsvField(*field) + L",";
        text += YesNo(entry.verified) + std::wstring(L",") + YesNo(entry.enabled) + L"," + YesNo(entry.fileExists) +
                L"," + CsvField(entry.impact) + L"," + CsvField(entry.cpuMs) + L"," + CsvField(entry.diskKB) + L"\r\n";
    }
    return kByteOrderMark + Utf8FromWide(text);
}

std::wstring CopiedRowsText(const std::vector<EntryReport>& entries)
{
    std::wstring text;
    for (const EntryReport& entry : entries) {
        if (!text.empty())
            text += L"\r\n";
        text += OnOneLine(entry.program) + L"\t" + OnOneLine(entry.location) + L"\t" + OnOneLine(entry.command) +
                L"\t" + OnOneLine(entry.publisher) + L"\t" + OnOneLine(entry.programFile);
    }
    return text;
}

DWORD SaveStartupList(const std::wstring& path, const std::vector<EntryReport>& entries)
{
    return WriteFileWhole(path, StartupListCsv(entries));
}

std::wstring SaveFailureMessage(DWORD error)
{
    return L"Could not save the start-up list: " + SystemErrorText(error);
}
