#pragma once
// What the places of the libraries and providers that Windows loads into its
// own programs share: how many entries one place gives at most, the text of
// a value that names a library, and the file that Windows loads for it.

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

// The most entries that one place lists: a hostile key or list of any size
// is read so far and no further.
constexpr std::size_t kMostLibraryEntries = 1024;

// The value `name` of an open key where it is text (REG_SZ or REG_EXPAND_SZ)
// that is not blank: as stored, up to its first NUL. Nothing otherwise: a
// missing, empty or blank value, or one of another type, names no library.
std::optional<std::wstring> LibraryText(HKEY key, const wchar_t* name);

// The file that Windows loads for `library`, as the details look for it: a
// path as it stands; a bare name (no folder) in `folder`, the system folder
// unless said, with ".dll" where it has no extension, as LoadLibrary adds
// it. Quoted, so that a path with spaces is found whole. Empty for a blank one.
std::wstring LibraryFile(const std::wstring& library, const std::wstring& folder = L"%SystemRoot%\\System32");

// The text without the spaces and tabs around it.
std::wstring TrimmedText(const std::wstring& text);
