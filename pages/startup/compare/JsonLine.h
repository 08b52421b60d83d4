#pragma once
// One line of a JSON Lines list: an object of names and plain values, as the
// saved list writes it. No nesting: an array or an object inside is refused.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Each value as the CSV file has it: a string's text, true as "yes" and false
// as "no", a number as written, null as empty.
using JsonFields = std::vector<std::pair<std::wstring, std::wstring>>;

// The names and values of the object on `line`, in their order; false where
// the line is no such object (broken quoting or escapes, another kind of
// value, text after its end).
bool ReadJsonLine(std::wstring_view line, JsonFields& fields);
