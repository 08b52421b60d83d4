#pragma once
// The program file behind a start-up command line, found the way Windows
// finds it when it starts the entry. Nothing is started or loaded: files are
// only asked whether they exist.

#include <string>

// The file that Windows would start for the start-up command `command`:
//  - text from the first NUL on is ignored; environment variables are expanded;
//  - a quoted program path ends at the next quote (at the end when there is none);
//  - an unquoted one is tried from the left at each space, as CreateProcess
//    does, each candidate with ".exe" added (when it has no extension) and as
//    written, so a document or script named by its path alone (a Startup
//    folder's file, spaces and all) is that file;
//  - a name without a folder is looked for in the system folder, the Windows
//    folder and the folders of PATH, then under App Paths (the user's, then
//    the machine's); a relative path is taken from the system folder, where
//    Windows starts the entries (one relative to a drive, "C:x", from the
//    drive's root);
//  - for rundll32 (<dll>,<entry>), cmd (/c or /k <command>), wscript and
//    cscript (<script> after any //options) and powershell or pwsh
//    (-File <script>), the file given to the host, found the same way, takes
//    the host's place. A cmd command that is a bare word and no file (a
//    built-in such as "echo") leaves cmd itself.
// Returns the full path of the existing file found. When none exists: the
// path an App Paths entry names, or else the first candidate whose name ends
// in a program or script extension (.exe, .dll, .bat, .vbs, .ps1, ...), or
// else the first token as Windows reads it, expanded; a file given to a host
// takes the host's place here too, so the path shown is the one that is
// missing. Empty when the command holds no path at all (blank, or only
// quotes). Device names (CON, \\.\pipe\...) are never looked at.
std::wstring ResolveProgramFile(const std::wstring& command);

// The text with its environment strings expanded; as it stands where it holds
// none or they cannot be.
std::wstring ExpandEnvironment(const std::wstring& text);
