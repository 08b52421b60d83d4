#include "pages/metrics/DriveRows.h"

#include "pages/metrics/ByteScale.h"

#include <cstdio>
#include <utility>

std::string FormatByteCount(std::uint64_t bytes)
{
    char text[64];
    if (bytes < (1ull << 20))
        std::snprintf(text, sizeof(text), "%.1f KB", ScaleDown(bytes, 10));
    else if (bytes < (1ull << 30))
        std::snprintf(text, sizeof(text), "%.1f MB", ScaleDown(bytes, 20));
    else
        std::snprintf(text, sizeof(text), "%.1f GB", ScaleDown(bytes, 30));
    return text;
}

std::string DriveTypeName(unsigned int type)
{
    static const char* const names[] = {"Unknown", "", "Removable", "Fixed", "Remote", "CD-ROM", "RAM Drive"};
    return type < sizeof(names) / sizeof(names[0]) ? names[type] : "";
}

std::optional<DriveRow> MakeDriveRow(const CDriveInfo& drive)
{
    if (drive.GetType() == DRIVE_NO_ROOT_DIR)
        return std::nullopt;
    const std::uint64_t size = drive.GetBytesTotal();
    const std::uint64_t free = drive.GetBytesFree();
    // A volume reported with more free than total space would otherwise
    // wrap to an absurd used figure.
    const std::uint64_t used = free < size ? size - free : 0;
    return DriveRow{drive.GetString(), DriveTypeName(drive.GetType()), FormatByteCount(size),
                    FormatByteCount(used), FormatByteCount(free)};
}
