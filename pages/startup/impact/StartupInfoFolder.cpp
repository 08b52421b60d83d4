#include "pages/startup/impact/StartupInfoFolder.h"

#include "framework/SmallFile.h"
#include "framework/SystemFolder.h"
#include "framework/UniqueHandle.h"

#include <windows.h>

#include <sddl.h>

#include <algorithm>

namespace {

constexpr std::size_t kMostLogOns = 5;

struct RecordedFile {
    std::wstring name;
    ULONGLONG written = 0;
};

bool SameText(const std::wstring& a, std::size_t from, const std::wstring& b)
{
    return a.size() >= from + b.size()
           && ::CompareStringOrdinal(a.c_str() + from, static_cast<int>(b.size()), b.c_str(),
                                     static_cast<int>(b.size()), TRUE)
                  == CSTR_EQUAL;
}

// <sid>_StartupInfo<digits>.xml, without regard to case.
bool IsUsersFile(const std::wstring& name, const std::wstring& sid)
{
    const std::wstring prefix = sid + L"_StartupInfo";
    const std::wstring suffix = L".xml";
    if (sid.empty() || name.size() < prefix.size() + suffix.size() + 1 || !SameText(name, 0, prefix)
        || !SameText(name, name.size() - suffix.size(), suffix))
        return false;
    const std::size_t end = name.size() - suffix.size();
    for (std::size_t i = prefix.size(); i < end; ++i)
        if (name[i] < L'0' || name[i] > L'9')
            return false;
    return true;
}

unsigned ProcessorCount()
{
    const DWORD active = ::GetActiveProcessorCount(ALL_PROCESSOR_GROUPS);
    if (active > 0)
        return active;
    SYSTEM_INFO info{};
    ::GetSystemInfo(&info);
    return info.dwNumberOfProcessors > 0 ? info.dwNumberOfProcessors : 1;
}

} // namespace

std::wstring StartupInfoFolderPath()
{
    const std::wstring system = fw::NativeSystemFolderPath();
    return system.empty() ? std::wstring() : system + L"\\WDI\\LogFiles\\StartupInfo";
}

std::wstring CurrentUserSid()
{
    fw::UniqueKernelHandle owned;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, owned.Put()))
        return {};
    const HANDLE token = owned.Get();
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    if (size == 0)
        return {};
    std::vector<std::uint8_t> buffer(size);
    wchar_t* text = nullptr;
    if (!::GetTokenInformation(token, TokenUser, buffer.data(), size, &size)
        || !::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text) || !text)
        return {};
    std::wstring sid(text);
    ::LocalFree(text);
    return sid;
}

bool ForEachStartupInfo(const std::wstring& folder, const std::wstring& sid, const LogOnTaker& take)
{
    bool denied = false;
    if (folder.empty() || sid.empty())
        return false;
    std::vector<RecordedFile> files;
    WIN32_FIND_DATAW found{};
    const fw::UniqueFindHandle find(::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found,
                                                       FindExSearchNameMatch, nullptr, 0));
    if (!find)
        return ::GetLastError() == ERROR_ACCESS_DENIED;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsUsersFile(found.cFileName, sid))
            files.push_back({found.cFileName, (static_cast<ULONGLONG>(found.ftLastWriteTime.dwHighDateTime) << 32)
                                                  | found.ftLastWriteTime.dwLowDateTime});
    } while (::FindNextFileW(find.Get(), &found));

    std::sort(files.begin(), files.end(),
              [](const RecordedFile& a, const RecordedFile& b) {
                  return a.written != b.written ? a.written > b.written : a.name > b.name;
              });
    if (files.size() > kMostLogOns)
        files.resize(kMostLogOns);
    const unsigned processors = ProcessorCount();
    for (const RecordedFile& file : files) {
        DWORD error = ERROR_SUCCESS;
        std::optional<std::vector<std::uint8_t>> bytes =
            fw::ReadSmallFile(folder + L"\\" + file.name, kLargestStartupInfoBytes, &error);
        if (!bytes) {
            denied = denied || error == ERROR_ACCESS_DENIED;
            continue;
        }
        std::optional<std::vector<MeasuredProcess>> processes =
            ParseStartupInfo(bytes->data(), bytes->size(), processors);
        bytes.reset(); // the file's bytes go before the processes are taken
        if (processes)
            take(std::move(*processes));
    }
    return denied;
}

bool ForEachUserStartupInfo(const LogOnTaker& take)
{
    return ForEachStartupInfo(StartupInfoFolderPath(), CurrentUserSid(), take);
}

StartupInfoReading ReadStartupInfo(const std::wstring& folder, const std::wstring& sid)
{
    StartupInfoReading reading;
    reading.accessDenied = ForEachStartupInfo(
        folder, sid, [&](std::vector<MeasuredProcess>&& processes) { reading.logOns.push_back(std::move(processes)); });
    return reading;
}

