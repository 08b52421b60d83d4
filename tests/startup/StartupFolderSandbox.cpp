#include "startup/StartupFolderSandbox.h"

#include "pages/startup/store/StartupFolders.h"
#include "support/WideText.h"

#include <shlobj.h>

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
    for (const auto& folder : kFolders)
        ::CreateDirectoryW(W(Path(folder.csidl)).c_str(), nullptr);
    SetKnownFolderPathsForTesting([this](int csidl) { return W(Path(csidl)); });
}

StartupFolderSandbox::~StartupFolderSandbox()
{
    SetKnownFolderPathsForTesting({});
}

std::string StartupFolderSandbox::Path(int csidl) const
{
    for (const auto& folder : kFolders)
        if (folder.csidl == csidl)
            return U8(m_root.Path()) + "\\" + folder.folder;
    return {};
}

void WriteFileText(const std::string& path, const std::string& text)
{
    WriteBytes(W(path), text);
}

std::optional<std::string> ReadFileText(const std::string& path)
{
    return ReadBytes(W(path));
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
