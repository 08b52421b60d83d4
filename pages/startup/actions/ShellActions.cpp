#include "pages/startup/actions/ShellActions.h"

#include "framework/RegistryText.h"
#include "framework/ShellObjects.h"
#include "framework/Wine.h"
#include "pages/startup/details/NativeFilePath.h"

#include <shellapi.h>

#include <atomic>
#include <cstring>
#include <cwctype>
#include <system_error>
#include <thread>
#include <utility>

namespace {

constexpr wchar_t kRegistryEditorKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";
constexpr wchar_t kRegistryEditorClass[] = L"RegEdit_RegEdit";
constexpr DWORD kCloseWaitMs = 2000;
constexpr int kMaxEditorsClosed = 8;

std::atomic<int> g_propertiesThreads{0};

bool IsFullPath(const std::wstring& path)
{
    const bool drive = path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
    const bool share = path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\';
    return drive || share;
}

// A path's attributes as Windows and Explorer see it: in a 32-bit process on
// 64-bit Windows, System32 (where the task files are) looked at natively
// rather than as the SysWOW64 that this process is shown there.
DWORD NativeAttributes(const std::wstring& path)
{
    const std::wstring native = NativeFilePath(path);
    return native.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(native.c_str());
}

bool Exists(const std::wstring& path) { return NativeAttributes(path) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = NativeAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Backslashes only, "." and ".." gone.
std::wstring Normalized(const std::wstring& path)
{
    const DWORD length = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0)
        return path;
    std::wstring full(length, L'\0');
    full.resize(::GetFullPathNameW(path.c_str(), length, full.data(), nullptr));
    return full;
}

// The closest folder above `path` that exists; a drive's root keeps its backslash.
std::wstring NearestExistingFolder(std::wstring path)
{
    for (;;) {
        const size_t slash = path.find_last_of(L'\\');
        if (slash == std::wstring::npos || slash < 2)
            return {};
        std::wstring parent = path.substr(0, slash);
        if (parent.size() == 2 && parent[1] == L':')
            parent += L'\\';
        if (parent == path)
            return {};
        if (IsFolder(parent))
            return parent;
        path = std::move(parent);
    }
}

std::wstring WindowsFolder()
{
    wchar_t folder[MAX_PATH] = L"";
    const UINT length = ::GetSystemWindowsDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : std::wstring(L"C:\\Windows");
}

bool ShowSelectedInExplorer(const std::wstring& file)
{
    const fw::ComScope com;
    const fw::UniqueItemIdList item(::ILCreateFromPathW(file.c_str()));
    return item && SUCCEEDED(::SHOpenFolderAndSelectItems(item.Get(), 0, nullptr, 0));
}

bool OpenFolderInExplorer(const std::wstring& folder)
{
    // Explorer splits its arguments at blanks and commas unless they are quoted.
    const bool quote = folder.find_first_of(L" ,") != std::wstring::npos;
    std::wstring commandLine = L"explorer.exe " + (quote ? L"\"" + folder + L"\"" : folder);
    const std::wstring program = WindowsFolder() + L"\\explorer.exe";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process))
        return false;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}

void CloseIdleRegistryEditors()
{
    for (int closed = 0; closed < kMaxEditorsClosed; ++closed) {
        const HWND window = ::FindWindowW(kRegistryEditorClass, nullptr);
        // A disabled window has a dialog open, such as a value being edited:
        // that one is left as it is.
        if (!window || !::IsWindowEnabled(window))
            return;
        DWORD processId = 0;
        ::GetWindowThreadProcessId(window, &processId);
        const fw::UniqueKernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
        DWORD_PTR result = 0;
        // Refused for an elevated Registry Editor when this program is not,
        // and for one that does not answer: it then stays as it is.
        if (!::SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, kCloseWaitMs, &result))
            return;
        // It saves its last key as it ends, which must come before ours.
        if (process && processId != ::GetCurrentProcessId())
            ::WaitForSingleObject(process.Get(), kCloseWaitMs);
    }
}

bool StartThroughShell(const std::wstring& program)
{
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof(execute);
    execute.fMask = SEE_MASK_NOASYNC;
    execute.lpFile = program.c_str();
    execute.nShow = SW_SHOWNORMAL;
    return ::ShellExecuteExW(&execute) != FALSE;
}

ShellLaunchers& CurrentLaunchers()
{
    static ShellLaunchers launchers{ShowSelectedInExplorer, OpenFolderInExplorer, CloseIdleRegistryEditors,
                                    StartThroughShell};
    return launchers;
}

// Registry Editor of the system's own bitness: a 32-bit program on 64-bit
// Windows is sent to the 32-bit one in SysWOW64 when it names
// %windir%\regedit.exe, so it starts the 64-bit system folder's regedt32.exe
// (seen through Sysnative), which starts the 64-bit Registry Editor.
std::wstring RegistryEditorProgram()
{
    const std::wstring windows = WindowsFolder();
    BOOL wow64 = FALSE;
    if (::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64) {
        const std::wstring native = windows + L"\\Sysnative\\regedt32.exe";
        if (Exists(native))
            return native;
    }
    return windows + L"\\regedit.exe";
}

bool StartsWithNoCase(const std::wstring& text, size_t at, const std::wstring& start)
{
    if (text.size() < at + start.size())
        return false;
    for (size_t i = 0; i < start.size(); ++i)
        if (std::towupper(text[at + i]) != std::towupper(start[i]))
            return false;
    return true;
}

std::wstring ReadUserText(const wchar_t* keyPath, const wchar_t* name)
{
    std::wstring text;
    return fw::ReadRegistryText(HKEY_CURRENT_USER, keyPath, name, text) == ERROR_SUCCESS ? text : std::wstring();
}

bool WriteUserText(const wchar_t* keyPath, const wchar_t* name, const std::wstring& text)
{
    fw::UniqueRegKey key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Put(), nullptr) !=
        ERROR_SUCCESS)
        return false;
    return ::RegSetValueExW(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

void RunPropertiesWindow(const std::wstring& path)
{
    const fw::ComScope com;
    const fw::UniqueItemIdList item(::ILCreateFromPathW(path.c_str()));
    if (!item)
        return;
    fw::ComPtr<IShellFolder> folder;
    PCUITEMID_CHILD child = nullptr;
    if (FAILED(::SHBindToParent(item.Get(), IID_IShellFolder, folder.Put(), &child)))
        return;
    fw::ComPtr<IContextMenu> menu;
    if (FAILED(folder->GetUIObjectOf(nullptr, 1, &child, IID_IContextMenu, nullptr, menu.Put())))
        return;
    CMINVOKECOMMANDINFO invoke{};
    invoke.cbSize = sizeof(invoke);
    invoke.lpVerb = "properties";
    invoke.nShow = SW_SHOWNORMAL;
    // No owner window: a modal window disables its owner, and the owner
    // would be the caller's window on another thread.
    menu->InvokeCommand(&invoke);
}

} // namespace

bool OpenFileLocation(const std::wstring& path)
{
    if (!IsFullPath(path))
        return false;
    const ShellLaunchers& launch = CurrentLaunchers();
    const std::wstring file = Normalized(path);
    if (Exists(file) && launch.showSelected(file))
        return true;
    const std::wstring folder = NearestExistingFolder(file);
    return !folder.empty() && launch.openFolder(folder);
}

bool ShowFileProperties(const std::wstring& path)
{
    // The shell of this process shows the file: one it sees itself.
    if (!IsFullPath(path) || ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return false;
    ++g_propertiesThreads;
    try {
        std::thread([file = Normalized(path)] {
            RunPropertiesWindow(file);
            --g_propertiesThreads;
        }).detach();
    } catch (const std::system_error&) {
        --g_propertiesThreads;
        return false;
    }
    return true;
}

int PropertiesThreadsRunning() { return g_propertiesThreads; }

std::wstring RegistryEditorKeyPath(HKEY hive, const std::wstring& keyPath, REGSAM view)
{
    const struct {
        HKEY hive;
        const wchar_t* name;
    } kHives[] = {
        {HKEY_CLASSES_ROOT, L"HKEY_CLASSES_ROOT"}, {HKEY_CURRENT_USER, L"HKEY_CURRENT_USER"},
        {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE"}, {HKEY_USERS, L"HKEY_USERS"},
        {HKEY_CURRENT_CONFIG, L"HKEY_CURRENT_CONFIG"},
    };
    for (const auto& known : kHives) {
        if (known.hive != hive)
            continue;
        std::wstring path = keyPath;
        const std::wstring software = L"Software\\";
        if (hive == HKEY_LOCAL_MACHINE && (view & KEY_WOW64_32KEY) && StartsWithNoCase(path, 0, software))
            path.insert(software.size(), L"WOW6432Node\\");
        return path.empty() ? std::wstring(known.name) : known.name + (L"\\" + path);
    }
    return {};
}

std::wstring RegistryEditorLastKey(const std::wstring& keyPath, const std::wstring& previous,
                                   const std::wstring& defaultRoot)
{
    const std::wstring hive = L"HKEY_";
    if (StartsWithNoCase(previous, 0, hive))
        return keyPath;
    for (size_t slash = previous.find(L'\\'); slash != std::wstring::npos; slash = previous.find(L'\\', slash + 1))
        if (StartsWithNoCase(previous, slash + 1, hive))
            return previous.substr(0, slash + 1) + keyPath;
    return defaultRoot + keyPath;
}

bool JumpToEntry(const EntryAddress& entry)
{
    if (!entry.hive)
        return OpenFileLocation(entry.file);
    const std::wstring keyPath = RegistryEditorKeyPath(entry.hive, entry.keyPath, entry.view);
    if (keyPath.empty())
        return false;
    const ShellLaunchers& launch = CurrentLaunchers();
    launch.closeRegistryEditors();
    // Wine's Registry Editor reads a LastKey that begins with the hive only.
    const std::wstring lastKey = RegistryEditorLastKey(keyPath, ReadUserText(kRegistryEditorKey, L"LastKey"),
                                                       fw::RunsOnWine() ? L"" : L"Computer\\");
    return WriteUserText(kRegistryEditorKey, L"LastKey", lastKey) && launch.startRegistryEditor(RegistryEditorProgram());
}

bool CopyTextToClipboard(HWND owner, const std::wstring& text)
{
    // Another program may hold the clipboard for a moment.
    bool opened = false;
    for (int attempt = 0; attempt < 10 && !(opened = ::OpenClipboard(owner) != FALSE); ++attempt)
        ::Sleep(10);
    if (!opened)
        return false;
    bool placed = false;
    if (::EmptyClipboard()) {
        const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
        const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
        if (memory) {
            if (void* data = ::GlobalLock(memory)) {
                std::memcpy(data, text.c_str(), bytes);
                ::GlobalUnlock(memory);
                placed = ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
            }
            if (!placed)
                ::GlobalFree(memory); // once placed, the clipboard owns it
        }
    }
    ::CloseClipboard();
    return placed;
}

void SetShellLaunchers(ShellLaunchers launchers)
{
    ShellLaunchers& current = CurrentLaunchers();
    current.showSelected = launchers.showSelected ? std::move(launchers.showSelected) : ShowSelectedInExplorer;
    current.openFolder = launchers.openFolder ? std::move(launchers.openFolder) : OpenFolderInExplorer;
    current.closeRegistryEditors =
        launchers.closeRegistryEditors ? std::move(launchers.closeRegistryEditors) : CloseIdleRegistryEditors;
    current.startRegistryEditor =
        launchers.startRegistryEditor ? std::move(launchers.startRegistryEditor) : StartThroughShell;
}
