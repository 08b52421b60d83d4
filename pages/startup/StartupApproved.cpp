#include "pages/startup/StartupApproved.h"

const char kApprovedRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
const char kApprovedRun32KeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run32";
const char kApprovedFolderKeyPath[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\StartupFolder";

const BYTE kApprovedEnabledValue[kApprovedValueSize] = {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

ApprovedState DecodeStartupApproved(DWORD type, const BYTE* data, DWORD size)
{
    if (type != REG_BINARY || size != kApprovedValueSize || !data)
        return ApprovedState::NoOpinion;
    return (data[0] & 1) ? ApprovedState::Disabled : ApprovedState::Enabled;
}
