#include "pages/startup/compare/JsonLine.h"

namespace {

class Parser {
public:
    explicit Parser(std::wstring_view text) : m_text(text) {}

    bool Object(JsonFields& fields)
    {
        fields.clear();
        if (!Take(L'{'))
            return false;
        if (!Take(L'}')) {
            do {
                std::wstring name, value;
                if (!String(name) || !Take(L':') || !Value(value))
                    return false;
                fields.emplace_back(std::move(name), std::move(value));
            } while (Take(L','));
            if (!Take(L'}'))
                return false;
        }
        SkipSpace();
        return m_pos == m_text.size();
    }

private:
    void SkipSpace()
    {
        while (m_pos < m_text.size() && (m_text[m_pos] == L' ' || m_text[m_pos] == L'\t' || m_text[m_pos] == L'\r'))
            ++m_pos;
    }

    bool Take(wchar_t c)
    {
        SkipSpace();
        if (m_pos >= m_text.size() || m_text[m_pos] != c)
            return false;
        ++m_pos;
        return true;
    }

    bool Word(std::wstring_view word)
    {
        if (m_text.substr(m_pos, word.size()) != word)
            return false;
        m_pos += word.size();
        return true;
    }

    bool Value(std::wstring& value)
    {
        SkipSpace();
        if (m_pos >= m_text.size())
            return false;
        if (m_text[m_pos] == L'"')
            return String(value);
        if (Word(L"true"))
            return value = L"yes", true;
        if (Word(L"false"))
            return value = L"no", true;
        if (Word(L"null"))
            return value.clear(), true;
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && std::wstring_view(L"+-.eE0123456789").find(m_text[m_pos]) != std::wstring_view::npos)
            ++m_pos;
        value.assign(m_text.substr(start, m_pos - start));
        return m_pos > start;
    }

    bool String(std::wstring& text)
    {
        text.clear();
        if (!Take(L'"'))
            return false;
        while (m_pos < m_text.size()) {
            const wchar_t c = m_text[m_pos++];
            if (c == L'"')
                return true;
            if (c < 0x20)
                return false; // a control character stands escaped
            if (c != L'\\') {
                text += c;
                continue;
            }
            if (m_pos >= m_text.size())
                return false;
            const wchar_t escaped = m_text[m_pos++];
            constexpr std::wstring_view kFrom = L"\"\\/bfnrt", kTo = L"\"\\/\b\f\n\r\t";
            if (const std::size_t at = kFrom.find(escaped); at != std::wstring_view::npos) {
                text += kTo[at];
            } else if (escaped == L'u' && m_pos + 4 <= m_text.size()) {
                constexpr std::wstring_view kDigits = L"0123456789abcdef0123456789ABCDEF";
                unsigned unit = 0;
                for (int i = 0; i < 4; ++i) {
                    const std::size_t digit = kDigits.find(m_text[m_pos++]);
                    if (digit == std::wstring_view::npos)
                        return false;
                    unit = unit * 16 + static_cast<unsigned>(digit % 16);
                }
                text += static_cast<wchar_t>(unit); // UTF-16 units: a pair comes as two escapes
            } else {
                return false;
            }
        }
        return false;
    }

    std::wstring_view m_text;
    std::size_t m_pos = 0;
};

} // namespace

bool ReadJsonLine(std::wstring_view line, JsonFields& fields)
{
    return Parser(line).Object(fields);
}
