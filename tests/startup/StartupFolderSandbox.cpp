#include "startup/StartupFolderSandbox.h"

#include "pages/startup/StartupFolders.h"
#include "support/WideText.h"

#include <shlobj.h>

#include <cstdio>
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
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    char name[64];
    std::snprintf(name, sizeof(name), "QuorvaneTestFolders-%lu-%lu", ::GetCurrentProcessId(), ::GetTickCount());
    m_root = U8(temp) + name;
    ::CreateDirectoryW(W(m_root).c_str(), nullptr);
    for (const auto& folder : kFolders)
        ::CreateDirectoryW(W(Path(folder.csidl)).c_str(), nullptr);
    SetKnownFolderPathsForTesting([this](int csidl) { return W(Path(csidl)); });
}

StartupFolderSandbox::~StartupFolderSandbox()
{
    SetKnownFolderPathsForTesting({});
    std::wstring from = W(m_root);
    from.append(2, L'\0'); // a list of one path
    SHFILEOPSTRUCTW remove{};
    remove.wFunc = FO_DELETE;
    remove.pFrom = from.c_str();
    remove.fFlags = FOF_NO_UI;
    ::SHFileOperationW(&remove);
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
    if (FILE* file = ::_wfopen(W(path).c_str(), L"wb")) {
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
}

std::optional<std::string> ReadFileText(const std::string& path)
{
    FILE* file = ::_wfopen(W(path).c_str(), L"rb");
    if (!file)
        return std::nullopt;
    std::string text;
    char buffer[4096];
    for (std::size_t read; (read = std::fread(buffer, 1, sizeof(buffer), file)) > 0;)
        text.append(buffer, read);
    std::fclose(file);
    return text;
}

bool MakeShortcut(const std::string& path, const std::string& target, const std::string& arguments)
{
    const bool com = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    bool made = false;
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                     reinterpret_cast<void**>(&link)))) {
        link->SetPath(W(target).c_str());
        link->SetArguments(W(arguments).c_str());
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            made = SUCCEEDED(file->Save(W(path).c_str(), TRUE));
            file->Release();
        }
        link->Release();
    }
    if (com)
        ::CoUninitialize();
    return made;
}
