#pragma once
// The start-up page's details phase of the startup_page benchmark.

// Closes the program's window and ends its instance, so the next phase can
// open it again.
void CloseQuorvaneWindow();

// Opens the page `rounds` times over `entries` entries that name `files`
// distinct program files, a fifth of them signed, and prints the time to
// the rows, the time until every detail is in, the user-interface thread's
// answers meanwhile, and the process's threads and private memory.
void MeasureStartupDetails(int entries, int files, int rounds);
