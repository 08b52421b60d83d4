#pragma once
// Reads an extended dialog template (DLGTEMPLATEEX and its DLGITEMTEMPLATEEX
// items) into plain values, so that tests can compare it with what the
// dialog should hold.

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

struct DialogRect {
    short x = 0, y = 0, cx = 0, cy = 0;
};

struct DialogItem {
    DWORD exStyle = 0;
    DWORD style = 0;
    DialogRect rect;
    DWORD id = 0;
    // Predefined classes, stored as atoms, come back by name ("Button",
    // "Static", ...); titles given as ordinals come back as "#<ordinal>".
    std::string className;
    std::string text;
};

struct DialogTemplate {
    DWORD exStyle = 0;
    DWORD style = 0;
    DialogRect rect;
    std::string menu;
    std::string className;
    std::string title;
    WORD pointSize = 0;
    WORD weight = 0;
    BYTE italic = 0;
    BYTE charset = 0;
    std::string typeface;
    std::vector<DialogItem> items;
};

// Throws std::runtime_error when the bytes are no extended template or end
// before the template does.
DialogTemplate ParseDialogTemplateEx(const BYTE* bytes, std::size_t size);
