#include "pages/startup/store/StartupApproved.h"

#include <cstring>

const wchar_t kApprovedRunKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
const wchar_t kApprovedRun32KeyPath[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run32";
const wchar_t kApprovedFolderKeyPath[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\StartupFolder";

const BYTE kApprovedEnabledValue[kApprovedValueSize] = {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

ApprovedState DecodeStartupApproved(DWORD type, const BYTE* data, DWORD size)
{
    if (type != REG_BINARY || size != kApprovedValueSize || !data)
        return ApprovedState::NoOpinion;
    return (data[0] & 1) ? ApprovedState::Disabled : ApprovedState::Enabled;
}

void ApprovedDisabledValue(const FILETIME& when, BYTE (&value)[kApprovedValueSize])
{
    const BYTE flag[4] = {3, 0, 0, 0};
    std::memcpy(value, flag, sizeof(flag));
    std::memcpy(value + sizeof(flag), &when, sizeof(when));
}
