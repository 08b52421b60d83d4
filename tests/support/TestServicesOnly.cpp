// Linked into every test program of the program's code: the start-up list
// shows only the services that tests make (their names begin with
// "Quorvane"), never the prefix's own, which a test that switches every row
// would otherwise switch for good.

#include "pages/startup/store/PlaceKind.h"

#include <cwchar>

namespace {

bool MadeByTests(const wchar_t* name)
{
    return std::wcsncmp(name, L"Quorvane", 8) == 0;
}

const bool kInstalled = (SetServiceFilterForTesting(&MadeByTests), true);

} // namespace
