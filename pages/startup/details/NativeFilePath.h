#pragma once
// How this process reaches a file that a start-up entry names. The entries
// are started by the system itself, so a path means the file that native
// Windows sees there: in a 32-bit process on 64-bit Windows, System32 is
// redirected to SysWOW64 and must be reached through Sysnative instead.
// Names in the device namespace are never looked at: opening or even asking
// about a pipe, a serial port or the console can block or change the device.

#include <string>

// The path to open for the absolute path `path`: empty for a device (see
// IsDevicePath); System32 and everything in it reached through Sysnative in
// a 32-bit process on 64-bit Windows where Sysnative exists; otherwise `path`.
std::wstring NativeFilePath(const std::wstring& path);

// True for \\.\..., \??\... and \\?\... (except \\?\X:\ and \\?\UNC\), and
// for a last component that is a reserved device name (CON, PRN, AUX, NUL,
// COM0-9, LPT0-9, CONIN$, CONOUT$), with or without an extension.
bool IsDevicePath(const std::wstring& path);

// `path` in upper case: the key under which a map keeps a file, whose name
// Windows finds in any case.
std::wstring FileKey(std::wstring path);

// `path` with a leading `folder` (followed by a backslash or by the end)
// replaced by `replacement`, compared case-insensitively; otherwise `path`.
std::wstring ReplaceLeadingFolder(const std::wstring& path, const std::wstring& folder,
                                  const std::wstring& replacement);
