#pragma once
// What a run without a window says: to its standard output or error where
// the caller gave it one (a pipe or a file, as a script's redirection does),
// else to the console of the process that started it, where that has one.
// Never a message box, never a wait for input: a scheduled or remote run
// has no one to answer.

#include <string>

// Writes `text` and a line ending: to standard output, or to standard error
// where `failure`. Said to a pipe or file in UTF-8, to a console as UTF-16.
void WriteConsoleLine(const std::wstring& text, bool failure);
