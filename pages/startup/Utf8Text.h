#pragma once
// UTF-8, and the narrow code page's text, from the program's UTF-16 text.

#include <string>

// The text in UTF-8. A character beyond the Basic Multilingual Plane, held as
// a surrogate pair, becomes one four-byte sequence; a lone surrogate, which
// no UTF-8 can hold, becomes U+FFFD.
std::string Utf8FromWide(const std::wstring& text);

// One code point, at most U+10FFFF, appended to `out` in UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint);

// The text in the system's narrow code page, for the narrow calls (a message
// box of the page); what the code page cannot hold becomes its default character.
std::string AnsiFromWide(const std::wstring& text);
