#pragma once
// A run from the command line: the start-up list saved, or compared with a
// saved one, without a window; one line says what was done or why not.

#include "app/CommandLine.h"

// Does what `request` asks and returns the exit code (CommandLineExit). The
// calling thread has COM started.
int RunWithoutWindow(const CommandLineRequest& request);
