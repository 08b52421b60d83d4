#include "RegistrySandbox.h"

#include <cstdio>
#include <stdexcept>

namespace {
HKEY CreateKey(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr)
        != ERROR_SUCCESS)
        throw std::runtime_error("cannot create scratch key " + path);
    return key;
}
} // namespace

RegistrySandbox::RegistrySandbox()
{
    char base[96];
    std::snprintf(base, sizeof(base), "Software\\QuorvaneTestScratch\\%lu-%lu", ::GetCurrentProcessId(),
                  ::GetTickCount());
    m_base = base;
    // Open both scratch keys before redirecting, since HKCU itself is redirected afterwards.
    m_user = CreateKey(HKEY_CURRENT_USER, m_base + "\\user");
    m_machine = CreateKey(HKEY_CURRENT_USER, m_base + "\\machine");
    // The machine hive of 64-bit Windows keeps its 32-bit view under
    // Software\Wow6432Node. Wine keeps the two views of a key apart once the
    // key has that subkey, so the scratch machine hive gets one too.
    ::RegCloseKey(CreateKey(m_machine, "Software\\Wow6432Node"));
    ::RegOverridePredefKey(HKEY_CURRENT_USER, m_user);
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, m_machine);
}

RegistrySandbox::~RegistrySandbox()
{
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    ::RegCloseKey(m_user);
    ::RegCloseKey(m_machine);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, m_base.c_str());
}

bool ReadStringValue(HKEY root, const char* path, const char* name, std::string& value)
{
    char data[8192];
    DWORD size = sizeof(data);
    if (::RegGetValueA(root, path, name, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return false;
    value = data;
    return true;
}

bool KeyExists(HKEY root, const char* path)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

void WriteStringValue(HKEY root, const char* path, const char* name, const std::string& value)
{
    HKEY key = CreateKey(root, path);
    ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1));
    ::RegCloseKey(key);
}
