#pragma once
// What the two property page templates must hold, control by control in
// template order (which is also their tab order).

#include <windows.h>

#include <string>
#include <vector>

enum class ControlKind {
    Gauge,
    GroupBox,
    TextLeft,
    TextRight,
    TextCentred,
    ListView,
    PushButton,
    DefaultButton,
};

struct ExpectedControl {
    int id;
    ControlKind kind;
    const char* text;
    short x, y, cx, cy;
    DWORD extraStyle = 0; // beyond what the kind implies
};

struct ExpectedPage {
    int templateId;
    const char* caption;
    std::vector<ExpectedControl> controls;
};

const ExpectedPage& MetricsPage();
const ExpectedPage& StartupPage();

// The window class a control of this kind must have.
const char* ClassOf(ControlKind kind);

// The control's whole style, WS_GROUP aside (it only splits the arrow-key
// groups, which none of these pages rely on).
DWORD StyleOf(const ExpectedControl& control);

// For the names of failing checks.
std::string Describe(const ExpectedControl& control);
