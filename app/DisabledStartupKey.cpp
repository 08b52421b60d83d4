#include "app/DisabledStartupKey.h"

#include "framework/UniqueHandle.h"
#include "pages/startup/store/StartupStore.h"

void EnsureDisabledStartupKey()
{
    fw::UniqueRegKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kDisabledKeyPath, 0, KEY_WRITE, key.Put()) == ERROR_SUCCESS)
        return;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, kDisabledKeyPath, 0, nullptr, 0, KEY_CREATE_SUB_KEY, nullptr,
                      key.Put(), nullptr);
}
