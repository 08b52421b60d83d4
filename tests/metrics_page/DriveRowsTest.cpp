#include "pages/metrics/DriveRows.h"

#include <gtest/gtest.h>

namespace {

CDriveInfo Drive(const char* root, unsigned int type, std::uint64_t total, std::uint64_t free)
{
    DriveFigures figures;
    figures.root = root;
    figures.type = type;
    figures.bytesTotal = total;
    figures.bytesFree = free;
    return CDriveInfo(figures);
}

} // namespace

TEST(DriveRows, ByteCountUnitsChangeAtRawBoundaries)
{
    const struct {
        std::uint64_t bytes;
        const char* text;
    } cases[] = {
        {0, "0.0 KB"},
        {500, "0.5 KB"},
        {1048575, "1024.0 KB"},
        {1048576, "1.0 MB"},
        {1073741823, "1024.0 MB"},
        {1073741824, "1.0 GB"},
        {2ull << 40, "2048.0 GB"},
        {(1ull << 60) + (1ull << 29), "1073741824.5 GB"},
        {~0ull, "17179869184.0 GB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatByteCount(c.bytes), c.text) << c.bytes;
}

TEST(DriveRows, TypeNames)
{
    const char* const names[] = {"Unknown", "", "Removable", "Fixed", "Remote", "CD-ROM", "RAM Drive", "", "", ""};
    for (unsigned int type = 0; type < 10; ++type)
        EXPECT_EQ(DriveTypeName(type), names[type]) << type;
}

TEST(DriveRows, MoreFreeThanSizeShowsNothingUsed)
{
    const std::optional<DriveRow> row = MakeDriveRow(Drive("E:\\", DRIVE_REMOVABLE, 1 << 20, 2 << 20));
    ASSERT_TRUE(row.has_value());
    EXPECT_EQ(row->used, "0.0 KB");
    EXPECT_EQ(row->free, "2.0 MB");
}
