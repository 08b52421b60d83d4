#include "pages/startup/store/StartupFolders.h"

#include "framework/RegistryText.h"
#include "framework/ShellObjects.h"
#include "framework/UniqueHandle.h"

#include <shlobj.h>

#include <cwchar>
#include <iterator>
#include <optional>
#include <vector>

namespace {
std::function<std::wstring(int)>& TestPaths()
{
    static std::function<std::wstring(int)> paths;
    return paths;
}

// Reads shortcuts with one shell link object, loaded anew for each file.
class ShortcutReader {
public:
    ShortcutReader()
    {
        if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                         m_link.Put())))
            m_link->QueryInterface(IID_IPersistFile, m_file.Put());
    }

    // The target and arguments of the shortcut at `path`; false when it is none.
    bool Read(const std::wstring& path, std::wstring& command)
    {
        if (!m_file.Get() || FAILED(m_file->Load(path.c_str(), STGM_READ)))
            return false;
        // Shortcuts store targets of up to MAX_PATH characters, arguments of up to INFOTIPSIZE.
        wchar_t target[MAX_PATH] = L"";
        if (m_link->GetPath(target, MAX_PATH, nullptr, 0) != S_OK || !target[0])
            return false; // a shortcut to something that is no file
        // A path cannot hold '?': where one appears, the shortcut's narrow copy
        // of the path lost characters (Wine keeps only that one), and the
        // item list that the shortcut also holds names the target whole.
        if (std::wcschr(target, L'?'))
            TargetFromItemList(target);
        wchar_t arguments[INFOTIPSIZE] = L"";
        m_link->GetArguments(arguments, INFOTIPSIZE);
        const std::wstring program(target);
        command = program.find(L' ') != std::wstring::npos ? L"\"" + program + L"\"" : program;
        if (arguments[0])
            command += std::wstring(L" ") + arguments;
        return true;
    }

private:
    void TargetFromItemList(wchar_t (&target)[MAX_PATH])
    {
        fw::UniqueItemIdList items;
        if (m_link->GetIDList(items.Put()) != S_OK || !items)
            return;
        wchar_t path[MAX_PATH] = L"";
        if (::SHGetPathFromIDListW(items.Get(), path) && path[0])
            std::wcscpy(target, path);
    }

    fw::ComPtr<IShellLinkW> m_link;
    fw::ComPtr<IPersistFile> m_file;
};

bool IsShortcut(const std::wstring& path)
{
    static const wchar_t kExtension[] = L".lnk";
    const std::size_t length = std::size(kExtension) - 1;
    return path.size() > length && ::lstrcmpiW(path.c_str() + path.size() - length, kExtension) == 0;
}

// The shell's link object, made at the first shortcut: a folder without one
// needs neither COM nor the shell.
class LazyShortcutReader {
public:
    bool Read(const std::wstring& path, std::wstring& command)
    {
        if (!m_reader) {
            m_com.emplace();
            m_reader.emplace();
        }
        return m_reader->Read(path, command);
    }

private:
    std::optional<fw::ComScope> m_com; // before the reader, so it goes after it
    std::optional<ShortcutReader> m_reader;
};

std::wstring CommandOf(LazyShortcutReader& shortcuts, const std::wstring& path)
{
    std::wstring command;
    if (IsShortcut(path) && shortcuts.Read(path, command))
        return command;
    return path;
}

// Where the user's Explorer settings put a Startup folder now, read from the
// registry each time: the shell's own lookup may keep what it found first.
std::wstring MovedFolderPath(int csidl, REGSAM view)
{
    const bool user = csidl == CSIDL_STARTUP;
    const wchar_t* name = user ? L"Startup" : L"Common Startup";
    fw::UniqueRegKey key;
    if (::RegOpenKeyExW(user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, kUserShellFoldersKeyPath, 0,
                        KEY_QUERY_VALUE | view, key.Put())
        != ERROR_SUCCESS)
        return {};
    std::wstring path;
    if (fw::ReadRegistryText(key.Get(), nullptr, name, path) != ERROR_SUCCESS)
        return {};
    while (path.size() > 3 && path.back() == L'\\')
        path.pop_back();
    return path;
}
} // namespace

std::wstring KnownFolderPath(int csidl, REGSAM view)
{
    if (TestPaths()) {
        std::wstring path = TestPaths()(csidl);
        if (!path.empty())
            return path;
    }
    if (csidl == CSIDL_STARTUP || csidl == CSIDL_COMMON_STARTUP) {
        std::wstring moved = MovedFolderPath(csidl, view);
        if (!moved.empty())
            return moved;
    }
    wchar_t path[MAX_PATH];
    if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};
    return path;
}

void SetKnownFolderPathsForTesting(std::function<std::wstring(int csidl)> paths)
{
    TestPaths() = std::move(paths);
}

std::wstring StartupFolderPath(const StartupSource& source)
{
    return source.kind == StartupKind::Folder ? KnownFolderPath(source.folder, source.view) : std::wstring();
}

std::wstring ParkedFolderPath(const StartupSource& source)
{
    if (source.kind != StartupKind::Folder)
        return {};
    const std::wstring data = KnownFolderPath(source.dataFolder);
    return data.empty() ? data : data + L"\\Quorvane\\DisabledStartup";
}

StartupValueList ReadFolderList(const std::wstring& folder)
{
    StartupValueList files;
    if (folder.empty())
        return files;
    WIN32_FIND_DATAW found;
    const fw::UniqueFindHandle search(::FindFirstFileW((folder + L"\\*").c_str(), &found));
    if (!search)
        return files;
    LazyShortcutReader shortcuts;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || ::lstrcmpiW(found.cFileName, L"desktop.ini") == 0)
            continue;
        files.push_back({found.cFileName, CommandOf(shortcuts, folder + L"\\" + found.cFileName), true});
    } while (::FindNextFileW(search.Get(), &found));
    return files;
}

std::wstring FileCommand(const std::wstring& path)
{
    LazyShortcutReader shortcuts;
    return CommandOf(shortcuts, path);
}
