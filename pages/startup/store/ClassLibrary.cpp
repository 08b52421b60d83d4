#include "pages/startup/store/ClassLibrary.h"

#include "framework/UniqueHandle.h"
#include "pages/startup/store/RegistryValueText.h"

#include <cwctype>
#include <iterator>
#include <vector>

namespace {

const wchar_t kClassesPath[] = L"Software\\Classes\\CLSID\\";

bool HasSuffix(const std::wstring& text, const wchar_t* suffix)
{
    const std::size_t length = std::char_traits<wchar_t>::length(suffix);
    return text.size() >= length
           && ::CompareStringOrdinal(text.c_str() + text.size() - length, static_cast<int>(length), suffix,
                                     static_cast<int>(length), TRUE)
                  == CSTR_EQUAL;
}

// The key CLSID\{clsid}\<sub> ("" the class's own key) of one hive.
bool OpenClassKey(HKEY hive, const std::wstring& clsid, const wchar_t* sub, REGSAM view, fw::UniqueRegKey& key)
{
    std::wstring path = kClassesPath + clsid;
    if (*sub)
        path += std::wstring(L"\\") + sub;
    return ::RegOpenKeyExW(hive, path.c_str(), 0, KEY_QUERY_VALUE | view, key.Put()) == ERROR_SUCCESS;
}

// The default value's text of the class's subkey as HKEY_CLASSES_ROOT shows
// it: the user's key where the user has one, whatever it holds.
std::wstring MergedDefault(const std::wstring& clsid, const wchar_t* sub, REGSAM view, ClassScope scope)
{
    fw::UniqueRegKey key;
    if ((scope == ClassScope::UserAndMachine && OpenClassKey(HKEY_CURRENT_USER, clsid, sub, view, key))
        || OpenClassKey(HKEY_LOCAL_MACHINE, clsid, sub, view, key))
        return ReadTextValue(key.Get(), nullptr).value_or(std::wstring());
    return {};
}

std::wstring ClassName(const std::wstring& clsid, REGSAM view, ClassScope scope)
{
    for (const HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        fw::UniqueRegKey key;
        if ((hive == HKEY_LOCAL_MACHINE || scope == ClassScope::UserAndMachine)
            && OpenClassKey(hive, clsid, L"", view, key)) {
            std::wstring name = ReadTextValue(key.Get(), nullptr).value_or(std::wstring());
            if (!name.empty())
                return name;
        }
    }
    return {};
}

} // namespace

bool IsClassId(const std::wstring& text)
{
    if (text.size() != 38 || text.front() != L'{' || text.back() != L'}')
        return false;
    for (std::size_t i = 1; i < 37; ++i) {
        const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        if (dash ? text[i] != L'-' : !std::iswxdigit(text[i]) || text[i] > 0x7f)
            return false;
    }
    return true;
}

std::vector<std::wstring> FirstSubkeyNames(HKEY key, std::size_t most)
{
    std::vector<std::wstring> names;
    wchar_t name[256]; // the longest key name the registry allows, and its NUL
    for (DWORD index = 0; index < most; ++index) {
        DWORD length = static_cast<DWORD>(std::size(name));
        if (::RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        if (std::wstring(name, length).find(L'\0') == std::wstring::npos)
            names.emplace_back(name, length);
    }
    return names;
}

ClassRegistration LookUpClass(const std::wstring& clsid, REGSAM view, ClassScope scope)
{
    ClassRegistration registration;
    if (!IsClassId(clsid))
        return registration;
    registration.name = ClassName(clsid, view, scope);
    // A class treated as another is the other's servers. Each step reads one
    // key; a chain longer than the bound, or one that comes back on itself,
    // ends in nothing.
    std::wstring current = clsid;
    for (int step = 0;; ++step) {
        const std::wstring next = MergedDefault(current, L"TreatAs", view, scope);
        if (!IsClassId(next))
            break;
        if (step == kMaxTreatAsSteps)
            return registration;
        current = next;
    }
    registration.library = MergedDefault(current, L"InprocServer32", view, scope);
    registration.localServer = MergedDefault(current, L"LocalServer32", view, scope);
    return registration;
}

ClassRegistration LookUpClassFor(const StartupSource& source, const std::wstring& clsid, ClassScope scope)
{
    if (source.view != 0 || !IsWindows64Bit())
        return LookUpClass(clsid, source.view, scope);
    ClassRegistration native = LookUpClass(clsid, KEY_WOW64_64KEY, scope);
    if (!native.library.empty())
        return native;
    ClassRegistration view32 = LookUpClass(clsid, KEY_WOW64_32KEY, scope);
    if (view32.library.empty())
        return native;
    if (view32.name.empty())
        view32.name = native.name;
    return view32;
}

StartupValue ClassEntry(const std::wstring& shown, const std::wstring& id, const std::wstring& clsid,
                        const ClassRegistration& registration)
{
    StartupValue entry(shown.empty() ? (registration.name.empty() ? clsid : registration.name) : shown,
                       registration.library);
    if (entry.name != id)
        entry.id = id;
    return entry;
}

std::wstring ServerDetailsCommand(const std::wstring& library)
{
    if (library.empty() || library.find(L'"') != std::wstring::npos)
        return library;
    const bool named = HasSuffix(library, L".dll") || HasSuffix(library, L".ocx") || HasSuffix(library, L".cpl")
                       || HasSuffix(library, L".ax");
    if (library.find_first_of(L"\\/: ") == std::wstring::npos) {
        if (library.find(L'.') == std::wstring::npos)
            return L"\"%SystemRoot%\\System32\\" + library + L".dll\"";
        return named ? L"\"%SystemRoot%\\System32\\" + library + L"\"" : library;
    }
    return named ? L"\"" + library + L"\"" : library;
}
