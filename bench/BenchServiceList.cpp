// Services for the benchmarks (BenchServiceList.h).

#include "bench/BenchServiceList.h"

#include <windows.h>

namespace {

const wchar_t* const kPrograms[] = {L"signed-1",   L"signed-2",   L"signed-3",   L"signed-4",   L"signed-5",
                                    L"signed-6",   L"unsigned-1", L"unsigned-2", L"unsigned-3", L"unsigned-4"};

bool Make(SC_HANDLE manager, const std::wstring& name, int index, bool automatic, const std::wstring& folder)
{
    const bool shared = index % 4 != 0;
    const std::wstring program = folder + L"\\" + kPrograms[index % 10] + L".exe";
    const std::wstring image = shared ? L"C:\\windows\\system32\\svchost.exe -k QuorvaneBench" : L"\"" + program + L"\"";
    const std::wstring display = L"Quorvane Bench Service " + name;
    SC_HANDLE service = ::CreateServiceW(manager, name.c_str(), display.c_str(), SERVICE_ALL_ACCESS,
                                         shared ? SERVICE_WIN32_SHARE_PROCESS : SERVICE_WIN32_OWN_PROCESS,
                                         automatic ? SERVICE_AUTO_START : SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE,
                                         image.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
    if (!service)
        return ::GetLastError() == ERROR_SERVICE_EXISTS;
    ::CloseServiceHandle(service);
    if (!shared)
        return true;
    const std::wstring parameters = L"System\\CurrentControlSet\\Services\\" + name + L"\\Parameters";
    return ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, parameters.c_str(), L"ServiceDll", REG_EXPAND_SZ, program.c_str(),
                             static_cast<DWORD>((program.size() + 1) * sizeof(wchar_t)))
           == ERROR_SUCCESS;
}

} // namespace

bool MakeBenchServices(const std::wstring& prefix, int count, int automaticEvery, const std::wstring& folder)
{
    SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return false;
    bool made = true;
    for (int index = 0; index < count; ++index)
        made = Make(manager, prefix + std::to_wstring(index), index, index % automaticEvery == 0, folder) && made;
    ::CloseServiceHandle(manager);
    return made;
}

void RemoveBenchServices(const std::wstring& prefix, int count)
{
    SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return;
    for (int index = 0; index < count; ++index) {
        if (SC_HANDLE service = ::OpenServiceW(manager, (prefix + std::to_wstring(index)).c_str(), DELETE)) {
            ::DeleteService(service);
            ::CloseServiceHandle(service);
        }
    }
    ::CloseServiceHandle(manager);
}
