#pragma once
// The rows of the metrics page's drives list, worked out without a window.

#include "SystemMetrics.h"

#include <cstdint>
#include <optional>
#include <string>

// One row's texts, in column order.
struct DriveRow {
    std::string drive;
    std::string type;
    std::string size;
    std::string used;
    std::string free;
};

// KB below 2^20 bytes, MB below 2^30, GB from there on, one decimal.
std::string FormatByteCount(std::uint64_t bytes);
// Empty for codes without a name (1, and 7 and above).
std::string DriveTypeName(unsigned int type);
// No row for a drive without a root directory (type 1).
std::optional<DriveRow> MakeDriveRow(const CDriveInfo& drive);
