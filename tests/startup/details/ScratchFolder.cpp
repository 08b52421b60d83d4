#include "startup/details/ScratchFolder.h"

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <cwchar>
#include <vector>

ScratchFolder::ScratchFolder()
{
    wchar_t temp[MAX_PATH];
    const DWORD length = ::GetTempPathW(MAX_PATH, temp);
    wchar_t name[64];
    std::swprintf(name, 64, L"Quorvane details %lu-%llu", ::GetCurrentProcessId(), ::GetTickCount64());
    m_path = std::wstring(temp, length) + name;
    ::CreateDirectoryW(m_path.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder()
{
    std::vector<wchar_t> from(m_path.begin(), m_path.end());
    from.insert(from.end(), 2, L'\0'); // a list of one path
    SHFILEOPSTRUCTW remove{};
    remove.wFunc = FO_DELETE;
    remove.pFrom = from.data();
    remove.fFlags = FOF_NO_UI;
    ::SHFileOperationW(&remove);
}

std::wstring ScratchFolder::Write(const std::wstring& relative, const std::string& bytes) const
{
    const std::wstring path = m_path + L"\\" + relative;
    ::SHCreateDirectoryExW(nullptr, path.substr(0, path.rfind(L'\\')).c_str(), nullptr);
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                      nullptr);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return path;
}
