#pragma once
// Redirects HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE of this process into
// scratch keys under the real current user's hive, and removes them again.
// Code under test that opens either hive sees only the scratch key, so tests
// are safe on a real machine too.

#include <windows.h>

#include <string>

class RegistrySandbox {
public:
    RegistrySandbox();
    ~RegistrySandbox();
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;

    // The real keys behind the redirected hives, for checks that must not go
    // through the redirection.
    HKEY UserRoot() const { return m_user; }
    HKEY MachineRoot() const { return m_machine; }

private:
    std::string m_base;
    HKEY m_user = nullptr;
    HKEY m_machine = nullptr;
};

// Reads a REG_SZ value through the normal (redirected) hive; empty optional
// semantics: returns false when the key or value is missing.
bool ReadStringValue(HKEY root, const char* path, const char* name, std::string& value);
bool KeyExists(HKEY root, const char* path);
void WriteStringValue(HKEY root, const char* path, const char* name, const std::string& value);
