#pragma once
// Raw bytes of a resource of the running program, as the loader maps them.

#include <windows.h>

#include <cstddef>

struct ResourceData {
    const BYTE* bytes = nullptr;
    std::size_t size = 0;

    explicit operator bool() const { return bytes != nullptr; }
};

// Empty when the program holds no such resource.
ResourceData FindOwnResource(LPCSTR type, LPCSTR name);
