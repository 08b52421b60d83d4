#include "DialogTemplate.h"

#include <cstring>
#include <stdexcept>

namespace {

class TemplateReader {
public:
    TemplateReader(const BYTE* bytes, std::size_t size) : m_bytes(bytes), m_size(size) {}

    template <class T>
    T Read()
    {
        Require(sizeof(T));
        T value;
        std::memcpy(&value, m_bytes + m_pos, sizeof(T));
        m_pos += sizeof(T);
        return value;
    }

    // A null-terminated UTF-16 string, narrowed to the ANSI code page.
    std::string ReadString()
    {
        std::wstring wide;
        for (WCHAR c = Read<WCHAR>(); c != 0; c = Read<WCHAR>())
            wide.push_back(c);
        return Narrow(wide);
    }

    // A menu, class or title field: nothing, an ordinal or a string.
    // Returns the ordinal, or 0 with the string in text.
    WORD ReadStringOrOrdinal(std::string& text)
    {
        text.clear();
        const WORD first = Peek<WORD>();
        if (first == 0xFFFF) {
            Read<WORD>();
            return Read<WORD>();
        }
        text = ReadString();
        return 0;
    }

    void Skip(std::size_t count)
    {
        Require(count);
        m_pos += count;
    }

    // Every item starts on a DWORD boundary.
    void AlignToDword() { m_pos = (m_pos + 3) & ~std::size_t{3}; }

private:
    template <class T>
    T Peek()
    {
        const std::size_t pos = m_pos;
        const T value = Read<T>();
        m_pos = pos;
        return value;
    }

    void Require(std::size_t count) const
    {
        if (m_pos > m_size || count > m_size - m_pos)
            throw std::runtime_error("dialog template ends early");
    }

    static std::string Narrow(const std::wstring& wide)
    {
        if (wide.empty())
            return {};
        const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                                nullptr, 0, nullptr, nullptr);
        std::string narrow(static_cast<std::size_t>(length), '\0');
        WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), narrow.data(), length,
                            nullptr, nullptr);
        return narrow;
    }

    const BYTE* m_bytes;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

std::string PredefinedClassName(WORD atom)
{
    switch (atom) {
    case 0x0080: return "Button";
    case 0x0081: return "Edit";
    case 0x0082: return "Static";
    case 0x0083: return "ListBox";
    case 0x0084: return "ScrollBar";
    case 0x0085: return "ComboBox";
    default: return "#" + std::to_string(atom);
    }
}

DialogRect ReadRect(TemplateReader& reader)
{
    DialogRect rect;
    rect.x = reader.Read<short>();
    rect.y = reader.Read<short>();
    rect.cx = reader.Read<short>();
    rect.cy = reader.Read<short>();
    return rect;
}

DialogItem ReadItem(TemplateReader& reader)
{
    reader.AlignToDword();
    DialogItem item;
    reader.Read<DWORD>(); // help id
    item.exStyle = reader.Read<DWORD>();
    item.style = reader.Read<DWORD>();
    item.rect = ReadRect(reader);
    item.id = reader.Read<DWORD>();
    if (const WORD atom = reader.ReadStringOrOrdinal(item.className))
        item.className = PredefinedClassName(atom);
    if (const WORD ordinal = reader.ReadStringOrOrdinal(item.text))
        item.text = "#" + std::to_string(ordinal);
    reader.Skip(reader.Read<WORD>()); // creation data for the control
    return item;
}

} // namespace

DialogTemplate ParseDialogTemplateEx(const BYTE* bytes, std::size_t size)
{
    TemplateReader reader(bytes, size);
    const WORD version = reader.Read<WORD>();
    const WORD signature = reader.Read<WORD>();
    if (version != 1 || signature != 0xFFFF)
        throw std::runtime_error("not an extended dialog template");

    DialogTemplate dialog;
    reader.Read<DWORD>(); // help id
    dialog.exStyle = reader.Read<DWORD>();
    dialog.style = reader.Read<DWORD>();
    const WORD itemCount = reader.Read<WORD>();
    dialog.rect = ReadRect(reader);
    if (const WORD menu = reader.ReadStringOrOrdinal(dialog.menu))
        dialog.menu = "#" + std::to_string(menu);
    if (const WORD atom = reader.ReadStringOrOrdinal(dialog.className))
        dialog.className = "#" + std::to_string(atom);
    dialog.title = reader.ReadString();

    // DS_SHELLFONT includes DS_SETFONT, so this covers both.
    if (dialog.style & DS_SETFONT) {
        dialog.pointSize = reader.Read<WORD>();
        dialog.weight = reader.Read<WORD>();
        dialog.italic = reader.Read<BYTE>();
        dialog.charset = reader.Read<BYTE>();
        dialog.typeface = reader.ReadString();
    }

    for (WORD i = 0; i < itemCount; ++i)
        dialog.items.push_back(ReadItem(reader));
    return dialog;
}
