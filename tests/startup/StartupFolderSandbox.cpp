#include "startup/StartupFolderSandbox.h"

#include "pages/startup/StartupFolders.h"

#include <shlobj.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

namespace {
const struct {
    int csidl;
    const char* folder;
} kFolders[] = {
    {CSIDL_STARTUP, "startup"},
    {CSIDL_COMMON_STARTUP, "common-startup"},
    {CSIDL_APPDATA, "appdata"},
    {CSIDL_COMMON_APPDATA, "common-appdata"},
};
} // namespace

StartupFolderSandbox::StartupFolderSandbox()
{
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    char name[64];
    std::snprintf(name, sizeof(name), "QuorvaneTestFolders-%lu-%lu", ::GetCurrentProcessId(), ::GetTickCount());
    m_root = std::string(temp) + name;
    ::CreateDirectoryA(m_root.c_str(), nullptr);
    for (const auto& folder : kFolders)
        ::CreateDirectoryA(Path(folder.csidl).c_str(), nullptr);
    SetKnownFolderPathsForTesting([this](int csidl) { return Path(csidl); });
}

StartupFolderSandbox::~StartupFolderSandbox()
{
    SetKnownFolderPathsForTesting({});
    std::vector<char> from(m_root.begin(), m_root.end());
    from.insert(from.end(), 2, '\0'); // a list of one path
    SHFILEOPSTRUCTA remove{};
    remove.wFunc = FO_DELETE;
    remove.pFrom = from.data();
    remove.fFlags = FOF_NO_UI;
    ::SHFileOperationA(&remove);
}

std::string StartupFolderSandbox::Path(int csidl) const
{
    for (const auto& folder : kFolders)
        if (folder.csidl == csidl)
            return m_root + "\\" + folder.folder;
    return {};
}

void WriteFileText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::optional<std::string> ReadFileText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool MakeShortcut(const std::string& path, const std::string& target, const std::string& arguments)
{
    const bool com = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    bool made = false;
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                     reinterpret_cast<void**>(&link)))) {
        link->SetPath(target.c_str());
        link->SetArguments(arguments.c_str());
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            std::wstring widePath(path.begin(), path.end());
            made = SUCCEEDED(file->Save(widePath.c_str(), TRUE));
            file->Release();
        }
        link->Release();
    }
    if (com)
        ::CoUninitialize();
    return made;
}
