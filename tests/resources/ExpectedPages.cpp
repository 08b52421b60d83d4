#include "ExpectedPages.h"

#include "resource.h"

#include <commctrl.h>

namespace {
using K = ControlKind;
}

const ExpectedPage& MetricsPage()
{
    static const ExpectedPage page{
        IDD_METRICS,
        "Sytem Metrics",
        {
            {IDC_PROGRESS_ALL, K::Gauge, "", 154, 28, 21, 58},
            {IDC_PROGRESS_PHYS, K::Gauge, "", 225, 28, 21, 58},
            {IDC_STATIC, K::GroupBox, " Memory Status", 7, 7, 250, 94},
            {IDC_STATIC, K::GroupBox, " CPU Info  ", 265, 7, 101, 94},
            {IDC_PERCENT_ALL, K::TextCentred, "100%", 152, 88, 24, 8},
            {IDC_PERCENT_PHYS, K::TextCentred, "100%", 222, 88, 26, 8},
            {IDC_PROGRESS_PAGE, K::Gauge, "", 190, 28, 21, 58},
            {IDC_PERCENT_PAGE, K::TextCentred, "100%", 188, 88, 25, 8},
            {IDC_STATIC, K::TextCentred, "All Memory", 146, 16, 36, 8},
            {IDC_STATIC, K::TextCentred, "Page File", 185, 16, 30, 8},
            {IDC_STATIC, K::TextCentred, "Physical", 222, 16, 26, 8},
            {IDC_STATIC, K::TextLeft, "Total:", 14, 59, 20, 8},
            {IDC_STATIC, K::TextLeft, "Used:", 14, 67, 20, 8},
            {IDC_STATIC, K::TextLeft, "Free:", 14, 75, 18, 8},
            {IDC_STATIC, K::TextRight, "All", 60, 49, 8, 8},
            {IDC_STATIC, K::TextLeft, "Page", 87, 49, 17, 8},
            {IDC_STATIC, K::TextLeft, "Phys", 123, 49, 16, 8},
            {IDC_PROGRESS_CPU, K::Gauge, "", 334, 28, 21, 58},
            {IDC_PERCENT_CPU, K::TextCentred, "100%", 334, 88, 20, 8},
            {IDC_STATIC, K::TextCentred, "CPU", 337, 16, 14, 8},
            {IDC_ALL_TOTAL, K::TextRight, "Static", 35, 59, 33, 8},
            {IDC_ALL_USED, K::TextRight, "Static", 34, 67, 34, 8},
            {IDC_ALL_FREE, K::TextRight, "Static", 36, 75, 32, 8},
            {IDC_PAGE_TOTAL, K::TextRight, "Static", 68, 59, 36, 8},
            {IDC_PAGE_USED, K::TextRight, "Static", 68, 67, 36, 8},
            {IDC_PAGE_FREE, K::TextRight, "Static", 68, 75, 36, 8},
            {IDC_PHYS_TOTAL, K::TextRight, "Static", 104, 59, 35, 8},
            {IDC_PHYS_USED, K::TextRight, "Static", 104, 67, 35, 8},
            {IDC_PHYS_FREE, K::TextRight, "Static", 104, 75, 35, 8},
            {IDC_STATIC, K::TextLeft, "Total allocable memory:", 14, 31, 76, 8},
            {IDC_TOTAL_ALLOCABLE, K::TextRight, "Static", 96, 31, 43, 8},
            {IDC_STATIC, K::TextLeft, "Manufacturer:", 272, 20, 47, 8},
            {IDC_CPU_VENDOR, K::TextLeft, "Static", 278, 28, 52, 16},
            {IDC_STATIC, K::TextLeft, "Frequency:", 272, 46, 38, 8},
            {IDC_CPU_FREQUENCY, K::TextLeft, "Static", 278, 55, 51, 8},
            {IDC_STATIC, K::GroupBox, " Drives Info  ", 7, 108, 359, 97},
            {IDC_DRIVES_LIST, K::ListView, "", 14, 120, 344, 60},
            {IDC_UPDATE_DRIVES, K::PushButton, "&Update Drives Info", 287, 186, 71, 14},
        },
    };
    return page;
}

const ExpectedPage& StartupPage()
{
    static const ExpectedPage page{
        IDD_STARTUP,
        "Start-Up",
        {
            {IDC_APPLY, K::DefaultButton, "Apply", 298, 191, 58, 14, WS_DISABLED},
            {IDC_REVERT, K::PushButton, "Revert Changes", 230, 191, 58, 14, WS_DISABLED},
            // Several rows may be selected at once: no LVS_SINGLESEL.
            {IDC_STARTUP_LIST, K::ListView, "", 7, 68, 359, 115, LVS_ALIGNLEFT},
            {IDC_STATIC, K::TextLeft,
             "The list below shows you the programs that run when your computer starts up. "
             "While some of them are useful, some may just make it run slower.",
             17, 7, 349, 16},
            {IDC_STATIC, K::TextLeft,
             "Please note that in order to prevent the start-up execution of items from the "
             "System Start-up group, you need to have Administrator privileges.",
             17, 47, 349, 16},
            {IDC_STATIC, K::TextLeft,
             "To find out more about a specific program, select it and then press the "
             "'Search Google' button below, which will open a Google search page for that program.",
             17, 27, 349, 18},
            {IDC_SEARCH, K::PushButton, "Search Google", 162, 191, 58, 14, WS_DISABLED},
        },
    };
    return page;
}

const char* ClassOf(ControlKind kind)
{
    switch (kind) {
    case K::Gauge: return PROGRESS_CLASSA;
    case K::ListView: return WC_LISTVIEWA;
    case K::GroupBox:
    case K::PushButton:
    case K::DefaultButton: return "Button";
    case K::TextLeft:
    case K::TextRight:
    case K::TextCentred: return "Static";
    }
    return "";
}

DWORD StyleOf(const ExpectedControl& control)
{
    const DWORD child = WS_CHILD | WS_VISIBLE;
    DWORD style = 0;
    switch (control.kind) {
    case K::Gauge: style = child | WS_BORDER | PBS_VERTICAL; break;
    case K::GroupBox: style = child | BS_GROUPBOX; break;
    case K::TextLeft: style = child | SS_LEFT; break;
    case K::TextRight: style = child | SS_RIGHT; break;
    case K::TextCentred: style = child | SS_CENTER; break;
    case K::ListView: style = child | WS_BORDER | WS_TABSTOP | LVS_REPORT; break;
    case K::PushButton: style = child | WS_TABSTOP | BS_PUSHBUTTON; break;
    case K::DefaultButton: style = child | WS_TABSTOP | BS_DEFPUSHBUTTON; break;
    }
    return style | control.extraStyle;
}

std::string Describe(const ExpectedControl& control)
{
    return "control " + std::to_string(control.id) + " \"" + control.text + "\"";
}
