#pragma once
// UTF-8 in the tests' own sources and messages, UTF-16 where the program
// keeps its start-up entries.

#include <string>

// UTF-8 to UTF-16; an unpaired surrogate or a bad byte becomes U+FFFD.
std::wstring W(const std::string& utf8);
// UTF-16 to UTF-8.
std::string U8(const std::wstring& wide);
