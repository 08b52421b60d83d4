#pragma once
// What the Memory Status and CPU Info groups of the metrics page show, worked
// out without a window: the page pushes these values into its controls as
// they come.

#include "SystemMetrics.h"

#include <array>
#include <string>

// A progress bar's setting: range 0 to high, then the position. Both fit the
// int that the progress bar messages take.
struct GaugeSetting {
    int controlId;
    int high;
    int position;
};

struct ControlText {
    int controlId;
    std::string text;
};

// The memory gauges (all memory, page file, physical) show the free share.
// Set the gauges first, then the texts, each in array order.
struct MemoryPanelView {
    std::array<GaugeSetting, 3> gauges;
    std::array<ControlText, 13> texts;
};

struct CpuPanelView {
    GaugeSetting gauge; // range 0 to 100; a load above 100 is passed on for the bar to clamp
    ControlText text;
};

MemoryPanelView ComputeMemoryPanel(const CMemoryInfo& memory);
CpuPanelView ComputeCpuPanel(unsigned long loadPercent);
std::string FormatClockFrequency(int mhz);
