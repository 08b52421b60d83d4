#include "FakeBrowser.h"

#include "ProcessWindows.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

constexpr char kRecordVariable[] = "QUORVANE_FAKE_BROWSER_RECORD";

std::string UniqueSuffix()
{
    char suffix[48];
    std::snprintf(suffix, sizeof(suffix), "%lu-%lu", ::GetCurrentProcessId(), ::GetTickCount());
    return suffix;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

} // namespace

ClassesRootSandbox::ClassesRootSandbox() : m_path("Software\\QuorvaneTestScratch\\classes-" + UniqueSuffix())
{
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key,
                          nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create scratch key " + m_path);
    ::RegOverridePredefKey(HKEY_CLASSES_ROOT, m_key);
}

ClassesRootSandbox::~ClassesRootSandbox()
{
    ::RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    ::RegCloseKey(m_key);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, m_path.c_str());
}

void RegisterBrowserCommand(const std::string& command)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CLASSES_ROOT, "http\\shell\\open\\command", 0, nullptr, 0, KEY_ALL_ACCESS,
                          nullptr, &key, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create the browser command key");
    ::RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                     static_cast<DWORD>(command.size() + 1));
    ::RegCloseKey(key);
}

FakeBrowser::FakeBrowser(const std::string& commandTemplate) : m_path(ThisProgramDirectory() + "fake_browser.exe")
{
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    m_recordPath = std::string(temp) + "fake-browser-" + UniqueSuffix() + ".txt";
    ::DeleteFileA(m_recordPath.c_str());
    // The fake inherits this process's environment when it is started.
    ::SetEnvironmentVariableA(kRecordVariable, m_recordPath.c_str());
    RegisterBrowserCommand(ReplaceAll(commandTemplate, "{path}", m_path));
}

FakeBrowser::~FakeBrowser()
{
    ::SetEnvironmentVariableA(kRecordVariable, nullptr);
    ::DeleteFileA(m_recordPath.c_str());
}

std::optional<std::string> FakeBrowser::WaitForArguments(DWORD timeoutMs) const
{
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (::GetFileAttributesA(m_recordPath.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (::GetTickCount64() >= deadline)
            return std::nullopt;
        ::Sleep(20);
    }
    std::ifstream record(m_recordPath, std::ios::binary);
    std::ostringstream text;
    text << record.rdbuf();
    return text.str();
}
