#include "ResourceData.h"

ResourceData FindOwnResource(LPCSTR type, LPCSTR name)
{
    const HMODULE module = GetModuleHandleA(nullptr);
    const HRSRC info = FindResourceA(module, name, type);
    if (!info)
        return {};
    // Resource memory lives as long as the module; nothing to release.
    const HGLOBAL loaded = LoadResource(module, info);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return {};
    return {static_cast<const BYTE*>(bytes), SizeofResource(module, info)};
}
