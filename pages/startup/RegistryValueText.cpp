#include "pages/startup/RegistryValueText.h"

#include <cstdint>
#include <cstring>

namespace {
// The text at `data`, ending at its first NUL or at `size` bytes.
std::string BoundedText(const BYTE* data, DWORD size)
{
    const char* text = reinterpret_cast<const char*>(data);
    return std::string(text, ::strnlen(text, size));
}

std::string HexBytes(const BYTE* data, DWORD size)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(size * 3);
    for (DWORD i = 0; i < size; ++i) {
        if (i != 0)
            text += ' ';
        text += kDigits[data[i] >> 4];
        text += kDigits[data[i] & 0xf];
    }
    return text;
}

// The strings of a REG_MULTI_SZ, which ends at an empty string or at `size`.
std::string MultiStringText(const BYTE* data, DWORD size)
{
    std::string text;
    for (DWORD pos = 0; pos < size;) {
        std::string item = BoundedText(data + pos, size - pos);
        if (item.empty())
            break;
        if (!text.empty())
            text += "; ";
        text += item;
        pos += static_cast<DWORD>(item.size()) + 1;
    }
    return text;
}

} // namespace

bool IsTextValueType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

std::string RegistryValueText(DWORD type, const BYTE* data, DWORD size)
{
    if (IsTextValueType(type))
        return BoundedText(data, size);
    if (type == REG_MULTI_SZ)
        return MultiStringText(data, size);
    if ((type == REG_DWORD || type == REG_DWORD_BIG_ENDIAN) && size == 4) {
        std::uint32_t number = 0;
        std::memcpy(&number, data, 4);
        if (type == REG_DWORD_BIG_ENDIAN)
            number = (number >> 24) | ((number >> 8) & 0xff00) | ((number << 8) & 0xff0000) | (number << 24);
        return std::to_string(number);
    }
    if (type == REG_QWORD && size == 8) {
        std::uint64_t number = 0;
        std::memcpy(&number, data, 8);
        return std::to_string(number);
    }
    return HexBytes(data, size);
}
