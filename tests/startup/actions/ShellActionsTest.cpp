// The actions on an entry: what Explorer and Registry Editor are asked to
// show (with stand-ins for both), the clipboard, and a stand-in entry program
// that none of the real actions may start.

#include "pages/startup/actions/ShellActions.h"
#include "support/RegistrySandbox.h"
#include "support/ProcessWindows.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kRegistryEditorKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::wstring ReadLastKey()
{
    wchar_t text[1024] = L"";
    DWORD size = sizeof(text);
    ::RegGetValueW(HKEY_CURRENT_USER, kRegistryEditorKey, L"LastKey", RRF_RT_REG_SZ, nullptr, text, &size);
    return text;
}

void WriteLastKey(const std::wstring& text)
{
    HKEY key = nullptr;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, kRegistryEditorKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    ::RegSetValueExW(key, L"LastKey", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
}

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs)
{
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (!done()) {
        if (::GetTickCount64() >= deadline)
            return false;
        ::Sleep(20);
    }
    return true;
}

TEST(RegistryEditorKeyTest, NamesTheKeyAsTheInstalledRegistryEditorReadsIt)
{
    const struct {
        HKEY hive;
        REGSAM view;
        std::wstring keyPath, expected;
    } keys[] = {
        {HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, kRunKey, L"HKEY_LOCAL_MACHINE\\" + std::wstring(kRunKey)},
        {HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
         L"HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
        {HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, L"System\\Setup", L"HKEY_LOCAL_MACHINE\\System\\Setup"},
        {HKEY_PERFORMANCE_DATA, 0, kRunKey, L""},
    };
    for (const auto& key : keys)
        EXPECT_EQ(RegistryEditorKeyPath(key.hive, key.keyPath, key.view), key.expected) << Narrow(key.expected);

    const std::wstring path = L"HKEY_CURRENT_USER\\Software\\Run";
    const struct {
        std::wstring previous, expected;
    } forms[] = {
        {L"", L"Computer\\" + path},
        {L"My Computer", L"Computer\\" + path}, // Wine's, at its root
        {L"Ordinateur\\HKEY_USERS", L"Ordinateur\\" + path},
    };
    for (const auto& form : forms)
        EXPECT_EQ(RegistryEditorLastKey(path, form.previous, L"Computer\\"), form.expected) << Narrow(form.previous);
}

TEST(EntryActionsTest, AskExplorerAndRegistryEditorForWhatEachEntryNeeds)
{
    RegistrySandbox registry;
    ScratchFolder folder;
    const std::wstring file = folder.Path() + L"\\Синхронизация, tool.exe";
    ASSERT_TRUE(WriteBytes(file, "MZ"));
    std::wstring slashed = file;
    std::replace(slashed.begin(), slashed.end(), L'\\', L'/');
    const std::wstring run = L"HKEY_CURRENT_USER\\" + std::wstring(kRunKey);

    std::vector<std::wstring> calls;
    bool explorerSelects = true;
    std::wstring closingLastKey; // what an open Registry Editor saves as it closes
    SetShellLaunchers({
        [&](const std::wstring& selected) {
            calls.push_back(L"select " + selected);
            return explorerSelects;
        },
        [&](const std::wstring& opened) {
            calls.push_back(L"folder " + opened);
            return true;
        },
        [&] {
            calls.push_back(L"close");
            WriteLastKey(closingLastKey);
        },
        [&](const std::wstring& program) {
            const size_t name = program.find_last_of(L'\\') + 1;
            calls.push_back(L"start " + program.substr(name) + L" at " + ReadLastKey());
            return true;
        },
    });
    const struct {
        const char* name;
        std::function<bool()> action;
        bool result;
        std::vector<std::wstring> calls;
    } cases[] = {
        {"a file's location", [&] { return OpenFileLocation(file); }, true, {L"select " + file}},
        {"a file named with slashes", [&] { return OpenFileLocation(slashed); }, true, {L"select " + file}},
        {"a missing file: its folder", [&] { return OpenFileLocation(folder.Path() + L"\\gone.exe"); }, true,
         {L"folder " + folder.Path()}},
        {"a missing file in missing folders: the nearest folder",
         [&] { return OpenFileLocation(folder.Path() + L"\\a\\b\\gone.exe"); }, true, {L"folder " + folder.Path()}},
        {"a file Explorer cannot select: its folder",
         [&] {
             explorerSelects = false;
             const bool opened = OpenFileLocation(file);
             explorerSelects = true;
             return opened;
         },
         true, {L"select " + file, L"folder " + folder.Path()}},
        {"a name that is no full path", [&] { return OpenFileLocation(L"tool.exe"); }, false, {}},
        {"a missing drive", [&] { return OpenFileLocation(L"Q:\\gone\\tool.exe"); }, false, {}},
        {"a folder entry", [&] { return JumpToEntry({nullptr, 0, L"", file}); }, true, {L"select " + file}},
        {"the user's Run key, after a Registry Editor of Wine's closed",
         [&] {
             closingLastKey = L"HKEY_LOCAL_MACHINE\\Software";
             return JumpToEntry({HKEY_CURRENT_USER, 0, kRunKey, L""});
         },
         true, {L"close", L"start regedit.exe at " + run}},
        {"the machine's 32-bit Run key, after a Registry Editor of Windows' closed",
         [&] {
             closingLastKey = L"Computer\\HKEY_USERS";
             return JumpToEntry({HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, kRunKey, L""});
         },
         true,
         {L"close",
          L"start regedit.exe at Computer\\HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Microsoft\\Windows\\"
          L"CurrentVersion\\Run"}},
        {"Properties of a missing file", [&] { return ShowFileProperties(folder.Path() + L"\\gone.exe"); }, false,
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        calls.clear();
        EXPECT_EQ(c.action(), c.result);
        EXPECT_EQ(calls, c.calls);
    }
    SetShellLaunchers({});
    EXPECT_EQ(PropertiesThreadsRunning(), 0);
}

TEST(EntryActionsTest, CopiedTextIsOnTheClipboardForItsOwner)
{
    const HWND owner = ::CreateWindowExW(0, L"STATIC", L"owner", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    const std::wstring text = L"Анна\tUser Start-Up\tC:\\同期\\\U0001F600.exe\r\nsecond";
    ASSERT_TRUE(CopyTextToClipboard(owner, L"replaced"));
    ASSERT_TRUE(CopyTextToClipboard(owner, text));

    ASSERT_TRUE(::OpenClipboard(nullptr));
    EXPECT_EQ(::GetClipboardOwner(), owner);
    const HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(::GlobalLock(data))), text);
    ::GlobalUnlock(data);
    ::CloseClipboard();
    ::DestroyWindow(owner);
}

// Explorer's windows: "CabinetWClass" on Windows, "ExplorerWClass" under Wine.
std::vector<HWND> ExplorerWindows()
{
    std::vector<HWND> windows;
    for (const wchar_t* className : {L"CabinetWClass", L"ExplorerWClass"})
        for (HWND window = ::FindWindowExW(nullptr, nullptr, className, nullptr); window;
             window = ::FindWindowExW(nullptr, window, className, nullptr))
            windows.push_back(window);
    return windows;
}

// The visible Properties window that this process shows.
HWND FindPropertiesWindow()
{
    for (HWND window = ::FindWindowExW(nullptr, nullptr, L"#32770", nullptr); window;
         window = ::FindWindowExW(nullptr, window, L"#32770", nullptr)) {
        DWORD processId = 0;
        ::GetWindowThreadProcessId(window, &processId);
        if (processId == ::GetCurrentProcessId() && ::IsWindowVisible(window))
            return window;
    }
    return nullptr;
}

TEST(EntryActionsTest, NoActionStartsTheEntrysProgram)
{
    ScratchFolder folder;
    const std::wstring program = folder.Path() + L"\\Stand-in entry.exe";
    const std::wstring marker = program + L".started";
    const auto started = [&] { return ::GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES; };
    ASSERT_TRUE(::CopyFileW((ThisProgramDirectoryW() + L"entry_stand_in.exe").c_str(), program.c_str(), FALSE));
    const std::vector<HWND> explorerBefore = ExplorerWindows();

    EXPECT_TRUE(OpenFileLocation(program));
    ASSERT_TRUE(ShowFileProperties(program));
    // Back at once, with the window open on its own thread.
    HWND properties = nullptr;
    const bool shown = WaitFor([&] { return (properties = FindPropertiesWindow()) != nullptr; }, 10000);
    EXPECT_TRUE(shown) << "no Properties window";
    if (shown) {
        EXPECT_EQ(PropertiesThreadsRunning(), 1);
        ::PostMessageW(properties, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitFor([] { return PropertiesThreadsRunning() == 0; }, 10000)) << "the thread stayed";
    }
    EXPECT_TRUE(JumpToEntry({nullptr, 0, L"", program}));

    // Whatever would start the program has had time to.
    ::Sleep(1500);
    EXPECT_FALSE(started()) << "an action started the entry's program";
    for (const HWND window : ExplorerWindows())
        if (std::find(explorerBefore.begin(), explorerBefore.end(), window) == explorerBefore.end())
            ::PostMessageW(window, WM_CLOSE, 0, 0);

    // The stand-in does record a start.
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    std::wstring commandLine = L"\"" + program + L"\"";
    ASSERT_TRUE(::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &startup, &process));
    ::WaitForSingleObject(process.hProcess, 10000);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    EXPECT_TRUE(started()) << "the stand-in does not record its start";

    // A Properties window still open when the program ends does not hold it:
    // this test's process must end with this one open.
    ASSERT_TRUE(ShowFileProperties(program));
    EXPECT_TRUE(WaitFor([] { return FindPropertiesWindow() != nullptr; }, 10000));
}

} // namespace
