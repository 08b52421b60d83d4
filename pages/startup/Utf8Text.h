#pragma once
// UTF-8 from the program's UTF-16 text.

#include <string>

// The text in UTF-8. A character beyond the Basic Multilingual Plane, held as
// a surrogate pair, becomes one four-byte sequence; a lone surrogate, which
// no UTF-8 can hold, becomes U+FFFD.
std::string Utf8FromWide(const std::wstring& text);
