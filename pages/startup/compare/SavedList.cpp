#include "pages/startup/compare/SavedList.h"

#include "framework/SmallFile.h"
#include "pages/startup/actions/AtomicFile.h"
#include "pages/startup/compare/JsonLine.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <string_view>
#include <utility>
#include <vector>

namespace {

constexpr std::size_t kLargestFile = 16u << 20;
constexpr std::size_t kMostEntries = 65536;
// The heading grew over the versions: lists saved before the impact was
// measured have the first eight fields, those saved before times and hashes
// eleven; a compared list has the Change after them.
constexpr std::size_t kOlderFieldCount = 8;
constexpr std::size_t kImpactFieldCount = 11;
constexpr std::size_t kTimeFieldCount = 13;
constexpr std::size_t kFieldCount = 14;
constexpr std::size_t kFieldCounts[] = {kOlderFieldCount, kImpactFieldCount, kTimeFieldCount, kFieldCount};
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// The fields' names in order, as the list names them today.
const std::vector<std::wstring>& FieldNames()
{
    static const std::vector<std::wstring> names = StartupListFieldNames(true);
    return names;
}

SavedListReading Refused(std::wstring message)
{
    SavedListReading reading;
    reading.error = std::move(message);
    return reading;
}

std::wstring NotASavedList(const std::wstring& why)
{
    return L"This file is not a start-up list saved by Quorvane: " + why;
}

std::wstring OnLine(std::size_t line, const std::wstring& what)
{
    return NotASavedList(L"line " + std::to_wstring(line) + L" " + what);
}

std::wstring TooLarge() { return L"This file is too large for a saved start-up list (over 16 MB)."; }

// The UTF-8 bytes as UTF-16; false when they are not valid UTF-8.
bool DecodeUtf8(const char* data, std::size_t size, std::wstring& text)
{
    text.clear();
    if (size == 0)
        return true;
    const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, data, static_cast<int>(size), nullptr, 0);
    if (length <= 0)
        return false;
    text.resize(static_cast<std::size_t>(length));
    return ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, data, static_cast<int>(size), text.data(), length) ==
           length;
}

bool EndsPlainField(wchar_t c) { return c == L',' || c == L'"' || c == L'\r' || c == L'\n'; }

// One record's fields; those past the last are counted, not kept.
struct Record {
    std::array<std::wstring, kFieldCount> fields;
    std::size_t count = 0;
};

// Reads the records one at a time from `start`, counting physical lines
// (LF), also those inside quoted fields, so that a problem is told by the
// line its record starts on.
class RecordReader {
public:
    RecordReader(const std::wstring& text, std::size_t start, std::size_t line)
        : m_text(text), m_pos(start), m_line(line)
    {
    }

    bool AtEnd() const { return m_pos == m_text.size(); }
    std::size_t Line() const { return m_line; }

    // Reads a record and its line ending into `record`; returns what is
    // wrong with it, or nothing.
    std::wstring Read(Record& record)
    {
        record.count = 0;
        for (;;) {
            std::wstring& field = record.count < kFieldCount ? record.fields[record.count] : m_spare;
            ++record.count;
            field.clear();
            const bool quoted = m_pos < m_text.size() && m_text[m_pos] == L'"';
            std::wstring problem = quoted ? ReadQuoted(field) : ReadPlain(field);
            if (!problem.empty())
                return problem;
            if (m_pos == m_text.size())
                return {};
            if (m_text[m_pos] == L',') {
                ++m_pos;
                continue;
            }
            if (EndsLine())
                return {};
            return L"has text after a closing quote.";
        }
    }

private:
    // Steps over a line ending (CRLF or LF) where one stands.
    bool EndsLine()
    {
        const bool crlf = m_text[m_pos] == L'\r' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == L'\n';
        if (!crlf && m_text[m_pos] != L'\n')
            return false;
        m_pos += crlf ? 2 : 1;
        ++m_line;
        return true;
    }

    // A field as it stands, up to a comma or a line ending.
    std::wstring ReadPlain(std::wstring& field)
    {
        std::size_t end = m_pos;
        while (end < m_text.size() && !EndsPlainField(m_text[end]))
            ++end;
        field.assign(m_text, m_pos, end - m_pos);
        m_pos = end;
        if (end < m_text.size() && m_text[end] == L'"')
            return L"has a quote in a field that is not quoted.";
        if (end < m_text.size() && m_text[end] == L'\r' && (end + 1 == m_text.size() || m_text[end + 1] != L'\n'))
            return L"has a carriage return outside quotes.";
        return {};
    }

    // A field in quotes, its doubled quotes read as one.
    std::wstring ReadQuoted(std::wstring& field)
    {
        ++m_pos;
        for (;;) {
            const std::size_t close = m_text.find(L'"', m_pos);
            if (close == std::wstring::npos)
                return L"has a quoted field that never ends.";
            m_line += static_cast<std::size_t>(std::count(m_text.begin() + m_pos, m_text.begin() + close, L'\n'));
            field.append(m_text, m_pos, close - m_pos);
            m_pos = close + 1;
            if (m_pos == m_text.size() || m_text[m_pos] != L'"')
                return {};
            field += L'"';
            ++m_pos;
        }
    }

    const std::wstring& m_text;
    std::size_t m_pos;
    std::size_t m_line;
    std::wstring m_spare;
};

// Takes off the ' that the formula guard put before the field: one, and only
// where the rest is a text that the writer guards. A list saved before texts
// beginning with ' were guarded reads as it did, but for a text that began
// with ' and then a guarded character or a second ', which loses its first '.
void TakeOffGuard(std::wstring& field)
{
    if (!field.empty() && field[0] == L'\'' && NeedsFormulaGuard(std::wstring_view(field).substr(1)))
        field.erase(0, 1);
}

bool ReadYesNo(const std::wstring& field, bool& value)
{
    value = field == L"yes";
    return value || field == L"no";
}

bool IsImpactText(const std::wstring& field)
{
    for (const wchar_t* word : {L"", L"High", L"Medium", L"Low", L"Not measured", L"None"})
        if (field == word)
            return true;
    return false;
}

bool IsWholeNumber(const std::wstring& field)
{
    return field.size() <= 20 && std::all_of(field.begin(), field.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

// "2026-12-08T23:25:55Z", as UtcTimeText writes a time.
bool IsTimeText(const std::wstring& field)
{
    constexpr std::wstring_view kShape = L"0000-00-00T00:00:00Z";
    if (field.empty())
        return true;
    if (field.size() != kShape.size())
        return false;
    for (std::size_t i = 0; i < field.size(); ++i)
        if (kShape[i] == L'0' ? !(field[i] >= L'0' && field[i] <= L'9') : field[i] != kShape[i])
            return false;
    return true;
}

// 64 hexadecimal digits, taken in lower case.
bool ReadHash(std::wstring& field)
{
    if (field.empty())
        return true;
    if (field.size() != 64)
        return false;
    for (wchar_t& c : field) {
        if (c >= L'A' && c <= L'F')
            c = static_cast<wchar_t>(c - L'A' + L'a');
        else if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f')))
            return false;
    }
    return true;
}

// The entry a record holds (of eight fields, eleven with the impact,
// thirteen with time and hash, fourteen with the change), its texts with the
// formula guard taken off where `guarded` (CSV); returns what is wrong with
// it, or nothing.
std::wstring ToEntry(Record& record, EntryReport& entry, bool guarded = true)
{
    std::wstring* const texts[] = {&entry.program, &entry.location, &entry.command, &entry.programFile,
                                   &entry.publisher};
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        texts[i]->swap(record.fields[i]);
        if (guarded)
            TakeOffGuard(*texts[i]);
    }
    const std::pair<bool*, const wchar_t*> flags[] = {
        {&entry.verified, L"Verified"}, {&entry.enabled, L"Enabled"}, {&entry.fileExists, L"File Exists"}};
    for (std::size_t i = 0; i < std::size(flags); ++i) {
        if (!ReadYesNo(record.fields[std::size(texts) + i], *flags[i].first))
            return std::wstring(L"has something other than yes or no under ") + flags[i].second + L".";
    }
    if (record.count == kOlderFieldCount)
        return {};
    entry.impact.swap(record.fields[8]);
    entry.cpuMs.swap(record.fields[9]);
    entry.diskKB.swap(record.fields[10]);
    if (!IsImpactText(entry.impact))
        return L"has something other than an impact under Start-Up Impact.";
    if (!IsWholeNumber(entry.cpuMs) || !IsWholeNumber(entry.diskKB))
        return L"has something other than a whole number under a figure at start-up.";
    if (record.count == kImpactFieldCount)
        return {};
    entry.time.swap(record.fields[11]);
    entry.sha256.swap(record.fields[12]);
    if (!IsTimeText(entry.time))
        return L"has something other than a time under Time.";
    if (!ReadHash(entry.sha256))
        return L"has something other than a SHA-256 under SHA-256.";
    if (record.count == kTimeFieldCount)
        return {};
    entry.change.swap(record.fields[13]);
    for (const wchar_t* word : {L"", L"new", L"changed", L"gone"})
        if (entry.change == word)
            return {};
    return L"has something other than new, changed or gone under Change.";
}

// Where the records start after the heading, or npos when the first line is
// not a heading of the list; `fields` is how many its records have.
std::size_t AfterHeading(const std::wstring& text, std::size_t& fields)
{
    // The longest first: each heading begins the later ones.
    for (auto count = std::rbegin(kFieldCounts); count != std::rend(kFieldCounts); ++count) {
        std::wstring heading;
        for (std::size_t i = 0; i < *count; ++i)
            heading += (i == 0 ? L"" : L",") + FieldNames()[i];
        if (text.compare(0, heading.size(), heading) != 0)
            continue;
        fields = *count;
        const std::wstring_view rest = std::wstring_view(text).substr(heading.size());
        if (rest.empty())
            return text.size();
        if (rest.front() == L'\n')
            return heading.size() + 1;
        if (rest.substr(0, 2) == L"\r\n")
            return heading.size() + 2;
        return std::wstring::npos;
    }
    return std::wstring::npos;
}

bool IsFieldCount(std::size_t count)
{
    return std::find(std::begin(kFieldCounts), std::end(kFieldCounts), count) != std::end(kFieldCounts);
}

// A list saved as JSON Lines: an object a line, its fields named and in
// order as a CSV heading of the list has them, the same on every line or not.
SavedListReading ReadJsonLines(const std::wstring& text)
{
    const std::vector<std::wstring>& names = FieldNames();
    std::vector<EntryReport> entries;
    std::size_t lineNumber = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t end = text.find(L'\n', pos);
        if (end == std::wstring::npos)
            end = text.size();
        const std::wstring_view line = std::wstring_view(text).substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        if (entries.size() == kMostEntries)
            return Refused(NotASavedList(L"it holds more than 65,536 entries."));
        JsonFields fields;
        if (!ReadJsonLine(line, fields))
            return Refused(OnLine(lineNumber, L"is not an object of the list's fields."));
        bool named = IsFieldCount(fields.size());
        for (std::size_t i = 0; named && i < fields.size(); ++i)
            named = fields[i].first == names[i];
        if (!named)
            return Refused(OnLine(lineNumber, L"does not name the list's fields in their order."));
        Record record;
        record.count = fields.size();
        for (std::size_t i = 0; i < fields.size(); ++i)
            record.fields[i] = std::move(fields[i].second);
        EntryReport entry;
        if (const std::wstring problem = ToEntry(record, entry, false); !problem.empty())
            return Refused(OnLine(lineNumber, problem));
        if (entry.change != L"gone")
            entries.push_back(std::move(entry));
    }
    return {std::move(entries), {}};
}

} // namespace

SavedListReading ReadSavedList(const std::string& bytes)
{
    if (bytes.size() > kLargestFile)
        return Refused(TooLarge());
    const std::size_t start = bytes.compare(0, 3, kByteOrderMark) == 0 ? 3 : 0;
    if (bytes.size() == start)
        return Refused(NotASavedList(L"it is empty."));
    std::wstring text;
    if (!DecodeUtf8(bytes.data() + start, bytes.size() - start, text))
        return Refused(NotASavedList(L"it is not UTF-8 text."));
    if (text.find(L'\0') != std::wstring::npos)
        return Refused(NotASavedList(L"it holds binary data, not text."));
    std::size_t fields = 0;
    const std::size_t first = AfterHeading(text, fields);
    if (first == std::wstring::npos && text.front() == L'{')
        return ReadJsonLines(text);
    if (first == std::wstring::npos)
        return Refused(NotASavedList(L"its first line is not the list's heading."));

    std::vector<EntryReport> entries;
    RecordReader reader(text, first, 2);
    Record record;
    while (!reader.AtEnd()) {
        if (entries.size() == kMostEntries)
            return Refused(NotASavedList(L"it holds more than 65,536 entries."));
        const std::size_t line = reader.Line();
        std::wstring problem = reader.Read(record);
        if (problem.empty() && record.count != fields)
            problem = L"has " + std::to_wstring(record.count) + (record.count == 1 ? L" field" : L" fields") +
                      L", not " + std::to_wstring(fields) + L".";
        EntryReport entry;
        if (problem.empty())
            problem = ToEntry(record, entry);
        if (!problem.empty())
            return Refused(OnLine(line, problem));
        // A compared list also names what was gone by then: no entry of that day.
        if (entry.change != L"gone")
            entries.push_back(std::move(entry));
    }
    return {std::move(entries), {}};
}

SavedListReading ReadSavedListFile(const std::wstring& path)
{
    DWORD error = ERROR_SUCCESS;
    const std::optional<std::vector<std::uint8_t>> bytes = fw::ReadSmallFile(path, kLargestFile, &error);
    if (!bytes)
        return Refused(error == ERROR_FILE_TOO_LARGE ? TooLarge()
                                                     : L"Could not read the saved list: " + SystemErrorText(error));
    return ReadSavedList(std::string(bytes->begin(), bytes->end()));
}
