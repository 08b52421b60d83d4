#include "pages/startup/StartupFolders.h"

#include "framework/UniqueHandle.h"

#include <shlobj.h>

#include <cstring>
#include <vector>

namespace {
std::function<std::string(int)>& TestPaths()
{
    static std::function<std::string(int)> paths;
    return paths;
}

// COM for the calling thread for as long as the object lives, when the
// thread did not have it already.
class ComScope {
public:
    ComScope() : m_started(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComScope()
    {
        if (m_started)
            ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool m_started;
};

template <class Interface>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr()
    {
        if (m_p)
            m_p->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    Interface* operator->() const { return m_p; }
    Interface* Get() const { return m_p; }
    void** Put() { return reinterpret_cast<void**>(&m_p); }

private:
    Interface* m_p = nullptr;
};

// Reads shortcuts with one shell link object, loaded anew for each file.
class ShortcutReader {
public:
    ShortcutReader()
    {
        if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                         m_link.Put())))
            m_link->QueryInterface(IID_IPersistFile, m_file.Put());
    }

    // The target and arguments of the shortcut at `path`; false when it is none.
    bool Read(const std::string& path, std::string& command)
    {
        if (!m_file.Get())
            return false;
        std::vector<wchar_t> widePath(path.size() + 1);
        if (!::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath.data(), static_cast<int>(widePath.size()))
            || FAILED(m_file->Load(widePath.data(), STGM_READ)))
            return false;
        char target[MAX_PATH] = "";
        if (m_link->GetPath(target, MAX_PATH, nullptr, 0) != S_OK || !target[0])
            return false; // a shortcut to something that is no file
        char arguments[INFOTIPSIZE] = "";
        m_link->GetArguments(arguments, INFOTIPSIZE);
        command = std::strchr(target, ' ') ? "\"" + std::string(target) + "\"" : std::string(target);
        if (arguments[0])
            command += std::string(" ") + arguments;
        return true;
    }

private:
    ComPtr<IShellLinkA> m_link;
    ComPtr<IPersistFile> m_file;
};

bool IsShortcut(const std::string& path)
{
    static const char kExtension[] = ".lnk";
    const std::size_t length = sizeof(kExtension) - 1;
    return path.size() > length && ::lstrcmpiA(path.c_str() + path.size() - length, kExtension) == 0;
}

std::string CommandOf(ShortcutReader& shortcuts, const std::string& path)
{
    std::string command;
    if (IsShortcut(path) && shortcuts.Read(path, command))
        return command;
    return path;
}
} // namespace

std::string KnownFolderPath(int csidl)
{
    if (TestPaths())
        return TestPaths()(csidl);
    char path[MAX_PATH];
    if (FAILED(::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};
    return path;
}

void SetKnownFolderPathsForTesting(std::function<std::string(int csidl)> paths)
{
    TestPaths() = std::move(paths);
}

std::string StartupFolderPath(const StartupSource& source)
{
    return source.kind == StartupKind::Folder ? KnownFolderPath(source.folder) : std::string();
}

std::string ParkedFolderPath(const StartupSource& source)
{
    if (source.kind != StartupKind::Folder)
        return {};
    const std::string data = KnownFolderPath(source.dataFolder);
    return data.empty() ? data : data + "\\Quorvane\\DisabledStartup";
}

StartupValueList ReadFolderList(const std::string& folder)
{
    StartupValueList files;
    if (folder.empty())
        return files;
    WIN32_FIND_DATAA found;
    const fw::UniqueFindHandle search(::FindFirstFileA((folder + "\\*").c_str(), &found));
    if (!search)
        return files;
    const ComScope com;
    ShortcutReader shortcuts;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || ::lstrcmpiA(found.cFileName, "desktop.ini") == 0)
            continue;
        files.push_back({found.cFileName, CommandOf(shortcuts, folder + "\\" + found.cFileName), true});
    } while (::FindNextFileA(search.Get(), &found));
    return files;
}

std::string FileCommand(const std::string& path)
{
    const ComScope com;
    ShortcutReader shortcuts;
    return CommandOf(shortcuts, path);
}
