#include "app/DisabledStartupKey.h"

#include "framework/UniqueHandle.h"

namespace {
constexpr const char kDisabledStartupPath[] = "Software\\Quorvane\\DisabledStartup";
}

void EnsureDisabledStartupKey()
{
    fw::UniqueRegKey key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kDisabledStartupPath, 0, KEY_WRITE, key.Put()) == ERROR_SUCCESS)
        return;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, kDisabledStartupPath, 0, nullptr, 0, KEY_CREATE_SUB_KEY, nullptr,
                      key.Put(), nullptr);
}
