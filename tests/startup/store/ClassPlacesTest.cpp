// Classes that Windows, Explorer and Office load: how a class's library is
// found.

#include "pages/startup/store/ClassLibrary.h"
#include "support/RegistrySandbox.h"
#include "startup/store/StoredValue.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

const REGSAM kView32 = KEY_WOW64_32KEY;

// A class id of its own for each number.
std::string Clsid(int n)
{
    char text[40];
    std::snprintf(text, sizeof(text), "{00000000-0000-0000-0000-%012d}", n);
    return text;
}

std::wstring ClassPath(const std::string& clsid, const std::string& sub = "")
{
    return W("Software\\Classes\\CLSID\\" + clsid + (sub.empty() ? "" : "\\" + sub));
}

// The default value of CLSID\{clsid}\<sub> in one hive and view.
void Register(HKEY hive, const std::string& clsid, const std::string& sub, const StoredValue& value,
              REGSAM view = kNativeView)
{
    WriteStored(hive, ClassPath(clsid, sub).c_str(), "", value, view);
}

void RegisterLibrary(HKEY hive, const std::string& clsid, const std::string& name, const std::string& library,
                     REGSAM view = kNativeView)
{
    if (!name.empty())
        Register(hive, clsid, "", Sz(name), view);
    Register(hive, clsid, "InprocServer32", Sz(library), view);
}

} // namespace

TEST(ClassLibrary, TheUserFirstThenTheMachineFollowingTreatAsWithinItsBound)
{
    RegistrySandbox sandbox;
    const HKEY user = HKEY_CURRENT_USER, machine = HKEY_LOCAL_MACHINE;
    RegisterLibrary(user, Clsid(1), "Mine", "C:\\Users\\Анна\\mine.dll");
    RegisterLibrary(machine, Clsid(1), "Theirs", "%SystemRoot%\\System32\\theirs.dll");
    Register(user, Clsid(2), "", Sz("")); // the user's key has only an empty name
    RegisterLibrary(machine, Clsid(2), "Machine's", "C:\\m2.dll");
    Register(machine, Clsid(3), "", Sz("No server"));
    Register(machine, Clsid(4), "", Raw(REG_DWORD, std::string("\1\0\0\0", 4)));
    Register(machine, Clsid(4), "InprocServer32", Raw(REG_DWORD, std::string("\1\0\0\0", 4)));
    Register(machine, Clsid(4), "LocalServer32", Sz("\"C:\\srv.exe\" -Embedding"));
    RegisterLibrary(machine, Clsid(5), "Shadowed by a wrong type", "C:\\m5.dll");
    Register(user, Clsid(5), "InprocServer32", Raw(REG_BINARY, "\1\2"));
    // TreatAs: a step, a loop, one to itself, one that is no class, a chain.
    RegisterLibrary(machine, Clsid(10), "Emulated", "C:\\old.dll");
    Register(machine, Clsid(10), "TreatAs", Sz(Clsid(11)));
    RegisterLibrary(user, Clsid(11), "", "C:\\new.dll");
    Register(machine, Clsid(12), "TreatAs", Sz(Clsid(13)));
    Register(machine, Clsid(13), "TreatAs", Sz(Clsid(12)));
    RegisterLibrary(machine, Clsid(13), "", "C:\\loop.dll");
    RegisterLibrary(machine, Clsid(14), "Itself", "C:\\self.dll");
    Register(machine, Clsid(14), "TreatAs", Sz(Clsid(14)));
    RegisterLibrary(machine, Clsid(15), "", "C:\\own.dll");
    Register(machine, Clsid(15), "TreatAs", Sz("not a class"));
    HKEY classes = nullptr;
    ::RegCreateKeyExW(machine, L"Software\\Classes\\CLSID", 0, nullptr, 0, KEY_ALL_ACCESS | kNativeView, nullptr,
                      &classes, nullptr);
    for (int link = 0; link < 1000; ++link) {
        HKEY treatAs = nullptr;
        const std::wstring next = W(Clsid(1001 + link));
        ::RegCreateKeyExW(classes, W(Clsid(1000 + link) + "\\TreatAs").c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                          &treatAs, nullptr);
        ::RegSetValueExW(treatAs, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(next.c_str()),
                         static_cast<DWORD>((next.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(treatAs);
    }
    ::RegCloseKey(classes);
    RegisterLibrary(machine, Clsid(2000), "", "C:\\far.dll");
    for (int link = 0; link < kMaxTreatAsSteps; ++link)
        Register(machine, Clsid(3000 + link), "TreatAs", Sz(Clsid(3001 + link)));
    RegisterLibrary(machine, Clsid(3000 + kMaxTreatAsSteps), "", "C:\\near.dll");
    RegisterLibrary(machine, Clsid(20), "32-bit only", "C:\\x86.dll", kView32);

    const struct {
        std::string clsid;
        REGSAM view;
        ClassScope scope;
        std::string name, library, localServer;
    } cases[] = {
        {Clsid(1), kNativeView, ClassScope::UserAndMachine, "Mine", "C:\\Users\\Анна\\mine.dll", ""},
        {Clsid(1), kNativeView, ClassScope::MachineOnly, "Theirs", "%SystemRoot%\\System32\\theirs.dll", ""},
        {Clsid(2), kNativeView, ClassScope::UserAndMachine, "Machine's", "C:\\m2.dll", ""},
        {Clsid(3), kNativeView, ClassScope::UserAndMachine, "No server", "", ""},
        {Clsid(4), kNativeView, ClassScope::UserAndMachine, "", "", "\"C:\\srv.exe\" -Embedding"},
        {Clsid(5), kNativeView, ClassScope::UserAndMachine, "Shadowed by a wrong type", "", ""},
        {Clsid(10), kNativeView, ClassScope::UserAndMachine, "Emulated", "C:\\new.dll", ""},
        {Clsid(10), kNativeView, ClassScope::MachineOnly, "Emulated", "", ""},
        {Clsid(12), kNativeView, ClassScope::UserAndMachine, "", "", ""},
        {Clsid(14), kNativeView, ClassScope::UserAndMachine, "Itself", "", ""},
        {Clsid(15), kNativeView, ClassScope::UserAndMachine, "", "C:\\own.dll", ""},
        {Clsid(1000), kNativeView, ClassScope::UserAndMachine, "", "", ""},
        {Clsid(3000), kNativeView, ClassScope::UserAndMachine, "", "C:\\near.dll", ""},
        {Clsid(20), kNativeView, ClassScope::UserAndMachine, "", "", ""},
        {Clsid(20), kView32, ClassScope::UserAndMachine, "32-bit only", "C:\\x86.dll", ""},
        {Clsid(99), kNativeView, ClassScope::UserAndMachine, "", "", ""},
        {"{00000000-0000-0000-0000-00000000001}", kNativeView, ClassScope::UserAndMachine, "", "", ""},
        {Clsid(1) + "\\InprocServer32", kNativeView, ClassScope::UserAndMachine, "", "", ""},
    };
    for (const auto& c : cases) {
        const ClassRegistration found = LookUpClass(W(c.clsid), c.view, c.scope);
        EXPECT_EQ(U8(found.name), c.name) << c.clsid;
        EXPECT_EQ(U8(found.library), c.library) << c.clsid;
        EXPECT_EQ(U8(found.localServer), c.localServer) << c.clsid;
    }
    EXPECT_TRUE(IsClassId(L"{0aB9fFfF-0000-0000-0000-000000000000}"));
    for (const wchar_t* text : {L"{0000000-00000-0000-0000-000000000000}", L"00000000-0000-0000-0000-000000000000",
                                L"{00000000-0000-0000-0000-00000000000g}", L"{00000000-0000-0000-0000-00000000000０}"})
        EXPECT_FALSE(IsClassId(text)) << U8(text);
}

TEST(ClassLibrary, DetailsAreFoundForTheFileWindowsLoads)
{
    const struct {
        const char* library;
        const char* details;
    } cases[] = {
        {"msv1_0", "\"%SystemRoot%\\System32\\msv1_0.dll\""},
        {"shell32.dll", "\"%SystemRoot%\\System32\\shell32.dll\""},
        {"C:\\Program Files\\Sync Tool\\ext.DLL", "\"C:\\Program Files\\Sync Tool\\ext.DLL\""},
        {"\"C:\\quoted.dll\"", "\"C:\\quoted.dll\""},
        {"C:\\Program Files\\App\\app.exe /automation", "C:\\Program Files\\App\\app.exe /automation"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(U8(LibraryDetailsCommand(W(c.library))), c.details) << c.library;
}

