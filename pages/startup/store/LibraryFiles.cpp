#include "pages/startup/store/LibraryFiles.h"

#include "pages/startup/store/StartupStore.h"

std::optional<std::wstring> LibraryText(HKEY key, const wchar_t* name)
{
    std::optional<std::wstring> text = ReadTextValue(key, name);
    if (text && TrimmedText(*text).empty())
        return std::nullopt;
    return text;
}

std::wstring TrimmedText(const std::wstring& text)
{
    const std::size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos)
        return {};
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

std::wstring LibraryFile(const std::wstring& library, const std::wstring& folder)
{
    std::wstring file = TrimmedText(library);
    if (file.size() >= 2 && file.front() == L'"' && file.back() == L'"')
        file = file.substr(1, file.size() - 2);
    if (file.empty())
        return {};
    if (file.find_first_of(L"\\/:") == std::wstring::npos) {
        const bool extension = file.find(L'.') != std::wstring::npos;
        file = folder + L"\\" + file + (extension ? L"" : L".dll");
    }
    return L"\"" + file + L"\"";
}
