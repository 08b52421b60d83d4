#include "ProcessWindows.h"

#include "ProgramIdentity.h"

#include <commctrl.h>

#include <cstdlib>
#include <cstring>

ChildProcess::ChildProcess(const std::string& commandLine, ChildOutput output)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    const bool shared = output == ChildOutput::Shared;
    if (shared) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
        for (HANDLE handle : {startup.hStdOutput, startup.hStdError})
            ::SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    }
    std::string mutableLine = commandLine;
    if (!::CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, shared, 0, nullptr, nullptr, &startup,
                          &m_info))
        m_info = PROCESS_INFORMATION{};
}

ChildProcess::~ChildProcess()
{
    if (!Valid())
        return;
    if (WaitForExit(0) == STILL_ACTIVE) {
        Kill();
        WaitForExit(2000);
    }
    ::CloseHandle(m_info.hThread);
    ::CloseHandle(m_info.hProcess);
}

DWORD ChildProcess::WaitForExit(DWORD timeoutMs) const
{
    if (::WaitForSingleObject(m_info.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(m_info.hProcess, &code);
    return code;
}

void ChildProcess::Kill() const
{
    ::TerminateProcess(m_info.hProcess, 255);
}

std::string ThisProgramDirectory()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory = path;
    directory.erase(directory.find_last_of("\\/") + 1);
    return directory;
}

std::wstring ThisProgramDirectoryW()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory = path;
    directory.erase(directory.find_last_of(L"\\/") + 1);
    return directory;
}

std::string QuorvaneCommandLine()
{
    return "\"" + ThisProgramDirectory() + QUORVANE_PROGRAM_FILE "\"";
}

std::string SystemProgramPath(const char* fileName)
{
    char windows[MAX_PATH] = {};
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    // On 64-bit Windows the 32-bit system programs are in syswow64; a 64-bit
    // build, and a 32-bit one on 32-bit Windows, takes them from system32.
    std::vector<const char*> folders{"\\system32\\"};
    if (sizeof(void*) == 4)
        folders.insert(folders.begin(), "\\syswow64\\");
    for (const char* folder : folders) {
        const std::string path = std::string(windows) + folder + fileName;
        if (::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            return path;
    }
    return fileName;
}

DWORD TestWaitMs(DWORD ms)
{
    char factor[16] = {};
    const DWORD length = ::GetEnvironmentVariableA("QUORVANE_TEST_WAIT_FACTOR", factor, sizeof(factor));
    const long parsed = length > 0 && length < sizeof(factor) ? std::strtol(factor, nullptr, 10) : 1;
    return ms * static_cast<DWORD>(parsed >= 1 && parsed <= 1000 ? parsed : 1);
}

namespace {
struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND hWnd, LPARAM lParam)
{
    WindowSearch& search = *reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hWnd, &owner);
    if (owner == search.processId && ::IsWindowVisible(hWnd) && !::GetParent(hWnd)) {
        search.found = hWnd;
        return FALSE;
    }
    return TRUE;
}

struct DescendantSearch {
    const char* className;
    std::vector<HWND> found;
};

BOOL CALLBACK MatchClass(HWND hWnd, LPARAM lParam)
{
    DescendantSearch& search = *reinterpret_cast<DescendantSearch*>(lParam);
    char name[64] = {};
    ::GetClassNameA(hWnd, name, sizeof(name));
    if (lstrcmpiA(name, search.className) == 0)
        search.found.push_back(hWnd);
    return TRUE;
}

// A buffer in another process's address space.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, SIZE_T size)
        : m_process(process), m_address(::VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE))
    {
    }
    ~RemoteBuffer()
    {
        if (m_address)
            ::VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    char* Address() const { return static_cast<char*>(m_address); }
    bool Write(SIZE_T offset, const void* data, SIZE_T size) const
    {
        return ::WriteProcessMemory(m_process, Address() + offset, data, size, nullptr) != 0;
    }
    bool Read(SIZE_T offset, void* data, SIZE_T size) const
    {
        return ::ReadProcessMemory(m_process, Address() + offset, data, size, nullptr) != 0;
    }

private:
    HANDLE m_process;
    void* m_address;
};

constexpr SIZE_T kTextRoom = 512;

// Sends a message that fills the text of an item structure (pszText and
// cchTextMax), with the structure and the text both in the other process,
// and reads the text back.
template <class Item>
std::string RemoteItemText(HANDLE process, HWND window, UINT message, WPARAM index, Item item)
{
    RemoteBuffer buffer(process, sizeof(Item) + kTextRoom);
    if (!buffer.Address())
        return {};
    item.pszText = buffer.Address() + sizeof(Item);
    item.cchTextMax = static_cast<int>(kTextRoom);
    buffer.Write(0, &item, sizeof(item));
    ::SendMessageA(window, message, index, reinterpret_cast<LPARAM>(buffer.Address()));
    char text[kTextRoom] = {};
    buffer.Read(sizeof(Item), text, sizeof(text) - 1);
    return text;
}
} // namespace

HWND FindTopLevelWindow(DWORD processId)
{
    WindowSearch search{processId, nullptr};
    ::EnumWindows(&MatchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForTopLevelWindow(DWORD processId, DWORD timeoutMs)
{
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (HWND found = FindTopLevelWindow(processId))
            return found;
        if (::GetTickCount64() >= deadline)
            return nullptr;
        ::Sleep(1);
    }
}

std::vector<HWND> FindDescendants(HWND parent, const char* className)
{
    DescendantSearch search{className, {}};
    ::EnumChildWindows(parent, &MatchClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string WindowText(HWND hWnd)
{
    char text[512] = {};
    ::SendMessageTimeoutA(hWnd, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                          nullptr);
    return text;
}

std::string RemoteTabCaption(HANDLE process, HWND tab, int index)
{
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    return RemoteItemText(process, tab, TCM_GETITEMA, static_cast<WPARAM>(index), item);
}

std::string RemoteStatusText(HANDLE process, HWND statusBar, int pane)
{
    RemoteBuffer buffer(process, kTextRoom);
    if (!buffer.Address())
        return {};
    const LRESULT length = ::SendMessageA(statusBar, SB_GETTEXTLENGTHA, static_cast<WPARAM>(pane), 0);
    if (LOWORD(length) >= kTextRoom)
        return {};
    ::SendMessageA(statusBar, SB_GETTEXTA, static_cast<WPARAM>(pane), reinterpret_cast<LPARAM>(buffer.Address()));
    char text[kTextRoom] = {};
    buffer.Read(0, text, sizeof(text) - 1);
    return text;
}

std::string RemoteListItemText(HANDLE process, HWND list, int item, int column)
{
    LVITEMA cell{};
    cell.iSubItem = column;
    return RemoteItemText(process, list, LVM_GETITEMTEXTA, static_cast<WPARAM>(item), cell);
}
