#include "support/WideText.h"

#include <windows.h>

namespace {
template <class From, class To, class Convert>
To Converted(const From& text, Convert convert)
{
    if (text.empty())
        return {};
    const int length = convert(text, nullptr, 0);
    To converted(static_cast<std::size_t>(length > 0 ? length : 0), typename To::value_type());
    convert(text, converted.data(), length);
    return converted;
}
} // namespace

std::wstring W(const std::string& utf8)
{
    return Converted<std::string, std::wstring>(utf8, [](const std::string& text, wchar_t* out, int size) {
        return ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out, size);
    });
}

std::string U8(const std::wstring& wide)
{
    return Converted<std::wstring, std::string>(wide, [](const std::wstring& text, char* out, int size) {
        return ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out, size, nullptr,
                                     nullptr);
    });
}
