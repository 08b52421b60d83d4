#include "pages/startup/store/RegistryValueText.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {
// The UTF-16 units in `size` bytes at `data`, copied out, since registry
// data need not be aligned for wchar_t. An odd last byte is no character.
std::wstring Units(const BYTE* data, DWORD size)
{
    std::wstring units(size / sizeof(wchar_t), L'\0');
    if (!units.empty())
        std::memcpy(units.data(), data, units.size() * sizeof(wchar_t));
    return units;
}

// The text up to its first NUL or the end of its bytes.
std::wstring BoundedText(const BYTE* data, DWORD size)
{
    std::wstring text = Units(data, size);
    text.resize(std::wcslen(text.c_str()));
    return text;
}

std::wstring HexBytes(const BYTE* data, DWORD size)
{
    static const wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring text;
    text.reserve(size * 3);
    for (DWORD i = 0; i < size; ++i) {
        if (i != 0)
            text += L' ';
        text += kDigits[data[i] >> 4];
        text += kDigits[data[i] & 0xf];
    }
    return text;
}

// The strings of a REG_MULTI_SZ, which ends at an empty string or at `size`.
std::wstring MultiStringText(const BYTE* data, DWORD size)
{
    const std::wstring all = Units(data, size);
    std::wstring text;
    for (std::size_t pos = 0; pos < all.size();) {
        const std::size_t end = std::min(all.find(L'\0', pos), all.size());
        if (end == pos)
            break;
        if (!text.empty())
            text += L"; ";
        text.append(all, pos, end - pos);
        pos = end + 1;
    }
    return text;
}

} // namespace

bool IsTextValueType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

std::wstring RegistryValueText(DWORD type, const BYTE* data, DWORD size)
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
        return std::to_wstring(number);
    }
    if (type == REG_QWORD && size == 8) {
        std::uint64_t number = 0;
        std::memcpy(&number, data, 8);
        return std::to_wstring(number);
    }
    return HexBytes(data, size);
}
