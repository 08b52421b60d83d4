// The least that checking a signature costs a fresh process: this program
// checks the signature of the one file it is given, as the start-up page
// checks each entry's, and ends; given nothing, it ends at once. startup_time
// times both and takes the difference as the floor under the page's details.
//
// Usage: signature_floor [FILE]    (exit code 0 when FILE's signature holds)

#include "pages/startup/details/FileDetails.h"

#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2)
        return 0;
    return CheckSignature(argv[1]).state == SignatureState::Verified ? 0 : 1;
}
