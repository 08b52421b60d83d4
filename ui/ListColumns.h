#pragma once
// List-view columns whose widths follow the screen's DPI and never cut their
// heading or the widest text they must show.

#include "framework/Framework.h"

#include <string>
#include <vector>

struct ListColumn {
    const char* heading;
    int format;                           // LVCFMT_LEFT, LVCFMT_CENTER or LVCFMT_RIGHT
    int width;                            // in pixels at 96 DPI
    std::vector<std::string> widestTexts; // what a row may show in it, at its widest
};

// Inserts the columns in order. Each is its width at 96 DPI scaled to the
// screen's DPI, widened where its heading or one of its widest texts would not
// show whole.
void InsertListColumns(CListCtrl& list, const std::vector<ListColumn>& columns);
