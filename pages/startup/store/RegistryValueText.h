#pragma once
// Readable text for the data of a registry value of any type, so that values
// which are not command lines can still be listed.

#include <windows.h>

#include <string>

// REG_SZ and REG_EXPAND_SZ: the types that hold a command line as text.
bool IsTextValueType(DWORD type);

// Text types: the UTF-16 data up to its first NUL, never reading past `size`
// bytes (an odd last byte is no character). Numbers in decimal, REG_MULTI_SZ
// as its strings joined by "; ", anything else as hex bytes ("01 a0 ff").
std::wstring RegistryValueText(DWORD type, const BYTE* data, DWORD size);
