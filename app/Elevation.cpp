#include "app/Elevation.h"

#include "framework/UniqueHandle.h"
#include "framework/WinApp.h"
#include "pages/startup/actions/AtomicFile.h"

#include <shellapi.h>

#include <utility>

namespace {

ElevationKind ElevationOfOwnToken()
{
    fw::UniqueKernelHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Put()))
        return ElevationKind::Unknown;
    TOKEN_ELEVATION_TYPE type{};
    DWORD size = 0;
    if (!::GetTokenInformation(token.Get(), TokenElevationType, &type, sizeof(type), &size) || size != sizeof(type))
        return ElevationKind::Unknown;
    switch (type) {
    case TokenElevationTypeDefault:
        return ElevationKind::Default;
    case TokenElevationTypeFull:
        return ElevationKind::Full;
    case TokenElevationTypeLimited:
        return ElevationKind::Limited;
    }
    return ElevationKind::Unknown;
}

DWORD ShellExecuteLaunch(HWND owner, const ElevatedLaunch& launch)
{
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    // The caller ends right after a start: the shell must be done by the
    // time it returns. Failures are told by the caller, not by the shell.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpVerb = launch.verb.c_str();
    info.lpFile = launch.file.c_str();
    info.lpParameters = launch.parameters.empty() ? nullptr : launch.parameters.c_str();
    info.lpDirectory = launch.directory.empty() ? nullptr : launch.directory.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&info)) {
        const DWORD error = ::GetLastError();
        return error != ERROR_SUCCESS ? error : ERROR_CAN_NOT_COMPLETE;
    }
    if (info.hProcess)
        ::CloseHandle(info.hProcess);
    return ERROR_SUCCESS;
}

ElevationCalls& Calls()
{
    static ElevationCalls calls{ElevationOfOwnToken, ShellExecuteLaunch};
    return calls;
}

// The full path of this program's file, of any length; empty on failure.
std::wstring OwnProgramPath(DWORD& error)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            error = ::GetLastError();
            return std::wstring();
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() >= 0x8000) {
            error = ERROR_INSUFFICIENT_BUFFER;
            return std::wstring();
        }
        path.resize(path.size() * 2);
    }
}

std::wstring CurrentFolder()
{
    std::wstring folder;
    DWORD size = ::GetCurrentDirectoryW(0, nullptr);
    while (size > 0) {
        folder.resize(size);
        const DWORD length = ::GetCurrentDirectoryW(size, folder.data());
        if (length < size) {
            folder.resize(length);
            return folder;
        }
        size = length; // it changed meanwhile and grew
    }
    return std::wstring();
}

} // namespace

ElevationKind CurrentElevation()
{
    return Calls().tokenElevation();
}

bool MenuOffersElevation(ElevationKind kind)
{
    return kind == ElevationKind::Limited;
}

std::wstring ArgumentsAfterProgram(const wchar_t* commandLine)
{
    return commandLine ? std::wstring(fw::ArgumentsAfterProgram(commandLine)) : std::wstring();
}

ElevationResult RunElevated(HWND owner)
{
    DWORD error = ERROR_SUCCESS;
    ElevatedLaunch launch;
    launch.verb = L"runas";
    launch.file = OwnProgramPath(error);
    if (launch.file.empty())
        return {ElevationResult::Outcome::Failed, error};
    launch.parameters = ArgumentsAfterProgram(::GetCommandLineW());
    launch.directory = CurrentFolder();

    error = Calls().shellExecute(owner, launch);
    if (error == ERROR_SUCCESS)
        return {ElevationResult::Outcome::Started};
    if (error == ERROR_CANCELLED)
        return {ElevationResult::Outcome::Declined};
    return {ElevationResult::Outcome::Failed, error};
}

std::wstring ElevationFailureMessage(DWORD error)
{
    return L"Could not start Quorvane as administrator: " + SystemErrorText(error);
}

void SetElevationCallsForTesting(ElevationCalls calls)
{
    Calls().tokenElevation = calls.tokenElevation ? std::move(calls.tokenElevation) : ElevationOfOwnToken;
    Calls().shellExecute = calls.shellExecute ? std::move(calls.shellExecute) : ShellExecuteLaunch;
}
