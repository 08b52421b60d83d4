#include "FakeBrowser.h"

#include "ProcessWindows.h"
#include "ScratchFolder.h"

#include <cwchar>
#include <stdexcept>

namespace {

constexpr wchar_t kRecordVariable[] = L"QUORVANE_FAKE_BROWSER_RECORD";

void WriteDefaultValue(HKEY root, const std::wstring& keyPath, const wchar_t* name, const std::wstring& text)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExW(root, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr)
        != ERROR_SUCCESS)
        throw std::runtime_error("cannot create a browser registration key");
    ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
}

} // namespace

MachineClassesView::MachineClassesView()
{
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &m_classes, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot open the machine's classes");
    ::RegOverridePredefKey(HKEY_CLASSES_ROOT, m_classes);
}

MachineClassesView::~MachineClassesView()
{
    ::RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    ::RegCloseKey(m_classes);
}

void RegisterOpenCommand(const std::wstring& className, const std::wstring& command)
{
    WriteDefaultValue(HKEY_LOCAL_MACHINE, L"Software\\Classes\\" + className + L"\\shell\\open\\command", nullptr,
                      command);
}

void ChooseBrowser(const std::wstring& scheme, const std::wstring& progId)
{
    WriteDefaultValue(HKEY_CURRENT_USER,
                      L"Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\" + scheme +
                          L"\\UserChoice",
                      L"ProgId", progId);
}

FakeBrowser::FakeBrowser()
{
    m_path = ThisProgramDirectoryW() + L"fake_browser.exe";
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    wchar_t name[64];
    std::swprintf(name, 64, L"fake-browser-%lu-%lu.txt", ::GetCurrentProcessId(), ::GetTickCount());
    m_recordPath = std::wstring(temp) + name;
    ::DeleteFileW(m_recordPath.c_str());
    // The fake inherits this process's environment when it is started.
    ::SetEnvironmentVariableW(kRecordVariable, m_recordPath.c_str());
}

FakeBrowser::~FakeBrowser()
{
    ::SetEnvironmentVariableW(kRecordVariable, nullptr);
    ::DeleteFileW(m_recordPath.c_str());
}

std::wstring FakeBrowser::Command(const std::wstring& commandTemplate) const
{
    std::wstring command = commandTemplate;
    const std::wstring placeholder = L"{path}";
    for (size_t at = command.find(placeholder); at != std::wstring::npos;
         at = command.find(placeholder, at + m_path.size()))
        command.replace(at, placeholder.size(), m_path);
    return command;
}

std::optional<std::string> FakeBrowser::WaitForArguments(DWORD timeoutMs) const
{
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (::GetFileAttributesW(m_recordPath.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (::GetTickCount64() >= deadline)
            return std::nullopt;
        ::Sleep(20);
    }
    return ReadBytes(m_recordPath);
}
