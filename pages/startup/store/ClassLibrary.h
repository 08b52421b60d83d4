#pragma once
// The library that COM loads for a class, found in the registry as COM finds
// it: the user's registration first, then the machine's, following TreatAs.
// Nothing is loaded and no window is needed; every call reads what stands
// there now.

#include "pages/startup/store/StartupStore.h"

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// Whose registrations a lookup sees. Windows' own programs that run before
// or beside the user's log-on (LogonUI) see only the machine's.
enum class ClassScope { UserAndMachine, MachineOnly };

struct ClassRegistration {
    std::wstring name;        // the class's own name (its key's default value), as stored
    std::wstring library;     // InprocServer32's default value, as stored; empty where there is none
    std::wstring localServer; // LocalServer32's default value, as stored
};

// The most TreatAs steps followed: a longer chain, or a loop, loads nothing.
constexpr int kMaxTreatAsSteps = 16;
// The most entries read from one place, and the most of the user's classes
// looked at: a key with more is hostile, and reading it must stay quick.
constexpr std::size_t kMaxClassEntries = 4096;
constexpr std::size_t kMaxUserClasses = 65536;

// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}", in any case: the only form in
// which a class is named in these places.
bool IsClassId(const std::wstring& text);

// The class `clsid` in the registry view `view` of both hives. Each of the
// class's subkeys (TreatAs, InprocServer32, LocalServer32) is the user's where
// the user has it and else the machine's, as HKEY_CLASSES_ROOT merges them;
// the name is the user's where it is not empty. Values that are not text name
// nothing. A text that is no class is taken for no TreatAs.
ClassRegistration LookUpClass(const std::wstring& clsid, REGSAM view, ClassScope scope = ClassScope::UserAndMachine);

// The class as the programs that read the source's places find it: in the
// source's view; for the user's places, which are read once, in the native
// view and, where no library is there, on 64-bit Windows in the 32-bit one.
ClassRegistration LookUpClassFor(const StartupSource& source, const std::wstring& clsid,
                                 ClassScope scope = ClassScope::UserAndMachine);

// The names of the first `most` subkeys of an open key, in enumeration
// order; none that holds a NUL, which the registry's calls cannot open.
std::vector<std::wstring> FirstSubkeyNames(HKEY key, std::size_t most = kMaxClassEntries);


// An entry of a place that names a class: shown as `shown`, or where that is
// empty as the class's own name, or as the class; its Execution Path the
// class's library; found again by `id` (the name of its key or value).
StartupValue ClassEntry(const std::wstring& shown, const std::wstring& id, const std::wstring& clsid,
                        const ClassRegistration& registration);

// What the details of a library are found for: a library named without a
// folder is the system folder's (Windows loads it from there, adding ".dll"
// where it has no extension), and a path to a library is quoted so that no
// shorter path before one of its spaces is taken for it. Anything else, as it
// stands.
std::wstring ServerDetailsCommand(const std::wstring& library);
