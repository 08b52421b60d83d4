#include "pages/startup/store/SwitchedValues.h"

#include "framework/UniqueHandle.h"
#include "pages/startup/store/MoveSteps.h"

#include <cwctype>

std::optional<std::wstring> ReadCommandText(HKEY key, const wchar_t* name)
{
    std::optional<std::wstring> text = ReadTextValue(key, name);
    if (text && text->empty())
        return std::nullopt;
    return text;
}

StartupValueList ReadCommandValues(HKEY hive, const wchar_t* path, REGSAM view)
{
    StartupValueList commands;
    for (StartupValue& value : ReadValueList(hive, path, view)) {
        if (value.isText && !value.command.empty())
            commands.push_back(std::move(value));
    }
    return commands;
}

std::uint32_t TextNumber(const std::wstring& text, bool prefixes)
{
    std::size_t at = 0;
    while (at < text.size() && text[at] <= L' ')
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == L'+' || text[at] == L'-'))
        negative = text[at++] == L'-';
    std::uint32_t base = 10;
    if (prefixes && at + 1 < text.size() && text[at] == L'0') {
        const wchar_t mark = static_cast<wchar_t>(std::towlower(text[at + 1]));
        base = mark == L'x' ? 16 : mark == L'o' ? 8 : mark == L'b' ? 2 : 10;
        if (base != 10)
            at += 2;
    }
    std::uint32_t number = 0;
    for (; at < text.size(); ++at) {
        const wchar_t c = static_cast<wchar_t>(std::towlower(text[at]));
        const std::uint32_t digit = c >= L'0' && c <= L'9' ? c - L'0' : c >= L'a' && c <= L'f' ? c - L'a' + 10 : 99;
        if (digit >= base)
            break;
        number = number * base + digit; // wraps as Windows' own reading does
    }
    return negative ? 0u - number : number;
}

MoveResult MoveValue(const StartupSource& source, bool on, const std::wstring& key, const std::wstring& name,
                     const std::wstring& parkedName)
{
    // The kinds' sources name no switch of Windows' own: it does nothing.
    WindowsSwitch none(ActiveCalls(), source, name);
    return MoveRegistryValue(source, on, {key, name, parkedName}, none);
}
