#pragma once
// The current user's key of switched-off start-up entries exists from every
// start on.

// Opens the key for writing or, when that fails, creates it; existing values
// are left as they are. Failure is silent: the start-up manager copes.
void EnsureDisabledStartupKey();
