#include "pages/startup/actions/StartupReport.h"

#include "pages/startup/actions/AtomicFile.h"
#include "pages/startup/Utf8Text.h"

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <utility>

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
// How a field is written as JSON: a string, true or false, a number or null.
enum class FieldType { Text, Flag, Figure };

// Every field's name, in order, with its type and its value as the CSV file has it.
template <class Visit>
void ForEachField(const EntryReport& entry, bool compared, Visit visit)
{
    visit(L"Program", entry.program, FieldType::Text);
    visit(L"Location", entry.location, FieldType::Text);
    visit(L"Execution Path", entry.command, FieldType::Text);
    visit(L"Program File", entry.programFile, FieldType::Text);
    visit(L"Publisher", entry.publisher, FieldType::Text);
    for (const auto& [name, value] : {std::pair{L"Verified", entry.verified}, std::pair{L"Enabled", entry.enabled},
                                      std::pair{L"File Exists", entry.fileExists}})
        visit(name, std::wstring(value ? L"yes" : L"no"), FieldType::Flag);
    visit(L"Start-Up Impact", entry.impact, FieldType::Text);
    visit(L"CPU at Start-Up (ms)", entry.cpuMs, FieldType::Figure);
    visit(L"Disk I/O at Start-Up (KB)", entry.diskKB, FieldType::Figure);
    visit(L"Time", entry.time, FieldType::Text);
    visit(L"SHA-256", entry.sha256, FieldType::Text);
    if (compared)
        visit(L"Change", entry.change, FieldType::Text);
}

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

std::wstring JsonString(const std::wstring& text)
{
    std::wstring quoted = L"\"";
    for (const wchar_t c : text) {
        if (c == L'"' || c == L'\\') {
            quoted += L'\\';
            quoted += c;
        } else if (c < 0x20 || c == 0x7F) {
            wchar_t escape[8];
            swprintf(escape, std::size(escape), L"\\u%04x", static_cast<unsigned>(c));
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + L"\"";
}

std::wstring JsonValue(const std::wstring& value, FieldType type)
{
    if (type == FieldType::Flag)
        return value == L"yes" ? L"true" : L"false";
    if (type == FieldType::Figure)
        return value.empty() ? L"null" : value;
    return JsonString(value);
}

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

std::vector<std::wstring> StartupListFieldNames(bool compared)
{
    std::vector<std::wstring> names;
    ForEachField(EntryReport{}, compared,
                 [&](const wchar_t* name, const std::wstring&, FieldType) { names.emplace_back(name); });
    return names;
}

std::string StartupListCsv(const std::vector<EntryReport>& entries, bool compared)
{
    std::wstring text;
    for (const std::wstring& name : StartupListFieldNames(compared))
        text += (text.empty() ? L"" : L",") + name;
    text += L"\r\n";
    for (const EntryReport& entry : entries) {
        bool first = true;
        ForEachField(entry, compared, [&](const wchar_t*, const std::wstring& value, FieldType) {
            text += (first ? L"" : L",") + CsvField(value);
            first = false;
        });
        text += L"\r\n";
    }
    return kByteOrderMark + Utf8FromWide(text);
}

std::string StartupListJsonLines(const std::vector<EntryReport>& entries, bool compared)
{
    std::wstring text;
    for (const EntryReport& entry : entries) {
        wchar_t separator = L'{';
        ForEachField(entry, compared, [&](const wchar_t* name, const std::wstring& value, FieldType type) {
            text += separator + JsonString(name) + L":" + JsonValue(value, type);
            separator = L',';
        });
        text += L"}\n";
    }
    return Utf8FromWide(text);
}

bool SavesAsJsonLines(const std::wstring& path)
{
    constexpr std::wstring_view kExtension = L".json";
    return path.size() >= kExtension.size() &&
           ::CompareStringOrdinal(path.c_str() + path.size() - kExtension.size(), static_cast<int>(kExtension.size()),
                                  kExtension.data(), static_cast<int>(kExtension.size()), TRUE) == CSTR_EQUAL;
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

DWORD SaveStartupList(const std::wstring& path, const std::vector<EntryReport>& entries, bool compared)
{
    return WriteFileWhole(path, SavesAsJsonLines(path) ? StartupListJsonLines(entries, compared)
                                                       : StartupListCsv(entries, compared));
}

std::wstring SaveFailureMessage(DWORD error)
{
    return L"Could not save the start-up list: " + SystemErrorText(error);
}
