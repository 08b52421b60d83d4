// Windows' own start-up switch: which values switch an entry off.

#include "pages/startup/store/StartupApproved.h"

#include <gtest/gtest.h>

#include <string>

namespace {
TEST(StartupApprovedFlag, OnlyTwelveBinaryBytesSayAnythingAndTheFirstBytesLowBitDecides)
{
    const std::string time = "\x10\x32\x54\x76\x98\xba\xdc\x01"; // some FILETIME
    const struct {
        DWORD type;
        std::string bytes;
        ApprovedState state;
    } cases[] = {
        {REG_BINARY, std::string("\x02\0\0\0", 4) + time, ApprovedState::Enabled},
        {REG_BINARY, std::string("\x06\0\0\0", 4) + time, ApprovedState::Enabled},
        {REG_BINARY, std::string(12, '\0'), ApprovedState::Enabled},
        {REG_BINARY, std::string("\x03\0\0\0", 4) + time, ApprovedState::Disabled},
        {REG_BINARY, std::string("\x07\0\0\0", 4) + time, ApprovedState::Disabled},
        {REG_BINARY, std::string("\x01\x02\x00\x00", 4) + time, ApprovedState::Disabled},
        {REG_BINARY, std::string("\x03\0\0\0", 4) + time.substr(1), ApprovedState::NoOpinion},
        {REG_BINARY, std::string("\x03\0\0\0", 4) + time + "x", ApprovedState::NoOpinion},
        {REG_BINARY, "", ApprovedState::NoOpinion},
        {REG_DWORD, std::string("\x03\0\0\0", 4), ApprovedState::NoOpinion},
        {REG_SZ, std::string("\x03\0\0\0", 4) + time, ApprovedState::NoOpinion},
        {REG_NONE, std::string("\x03\0\0\0", 4) + time, ApprovedState::NoOpinion},
    };
    for (const auto& c : cases) {
        const auto* data = reinterpret_cast<const BYTE*>(c.bytes.data());
        EXPECT_EQ(DecodeStartupApproved(c.type, data, static_cast<DWORD>(c.bytes.size())), c.state)
            << "type " << c.type << ", " << c.bytes.size() << " bytes, first " << (c.bytes.empty() ? -1 : c.bytes[0]);
    }
}
} // namespace
