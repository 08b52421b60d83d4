#pragma once
// Writing a file whole or not at all: the bytes go to a temporary file beside
// it, which is flushed and then renamed over the file in one step.

#include <windows.h>

#include <functional>
#include <string>

// Writes `bytes` to `path`, which may be longer than MAX_PATH. On any failure
// the temporary file is deleted and whatever stood at `path` is left as it
// was. Returns ERROR_SUCCESS or the Win32 error.
DWORD WriteFileWhole(const std::wstring& path, const std::string& bytes);

// The system's text for a Win32 error, on one line.
std::wstring SystemErrorText(DWORD error);

// How the bytes are written to the open temporary file: WriteFile. Tests put
// a failing write in its place (a full disk); an empty function restores it.
using FileWriteCall = std::function<BOOL(HANDLE file, const char* data, DWORD size, DWORD* written)>;
void SetFileWriteCallForTesting(FileWriteCall write);
