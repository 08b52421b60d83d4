// The built program started as a user would, looked at from outside.

#include "res/resource.h"
#include "support/ProcessWindows.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

namespace {

const DWORD kStartTimeoutMs = TestWaitMs(15000);
const DWORD kExitTimeoutMs = TestWaitMs(2000);

class RunningProgram {
public:
    RunningProgram() : m_process(QuorvaneCommandLine()) {}

    ChildProcess& Process() { return m_process; }

    HWND WaitForWindow()
    {
        m_frame = WaitForTopLevelWindow(m_process.Id(), kStartTimeoutMs);
        return m_frame;
    }
    HWND Frame() const { return m_frame; }
    HWND Child(const char* className) const
    {
        const std::vector<HWND> found = FindDescendants(m_frame, className);
        return found.empty() ? nullptr : found.front();
    }

private:
    ChildProcess m_process;
    HWND m_frame = nullptr;
};

void ExpectWindowWithTabsAndLiveStatus(RunningProgram& program)
{
    ASSERT_TRUE(program.Process().Valid());
    const HWND frame = program.WaitForWindow();
    ASSERT_NE(frame, nullptr) << "no window within " << kStartTimeoutMs << " ms";
    EXPECT_EQ(WindowText(frame), "Quorvane");

    const HWND tab = program.Child(WC_TABCONTROLA);
    ASSERT_NE(tab, nullptr);
    ASSERT_EQ(::SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(RemoteTabCaption(program.Process().Handle(), tab, 0), "Start-Up");
    EXPECT_EQ(RemoteTabCaption(program.Process().Handle(), tab, 1), "Sytem Metrics");
    EXPECT_EQ(::SendMessageA(tab, TCM_GETCURSEL, 0, 0), 0);

    const HWND bar = program.Child(STATUSCLASSNAMEA);
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(::SendMessageA(bar, SB_GETPARTS, 0, 0), 3);
    const HANDLE process = program.Process().Handle();
    // The indicator strings stand until the first tick, 500 ms after creation.
    const std::regex processes("Processes: [1-9][0-9]*");
    const ULONGLONG deadline = ::GetTickCount64() + TestWaitMs(3000);
    while (!std::regex_match(RemoteStatusText(process, bar, 0), processes) && ::GetTickCount64() < deadline)
        ::Sleep(20);
    EXPECT_TRUE(std::regex_match(RemoteStatusText(process, bar, 0), processes));
    EXPECT_TRUE(std::regex_match(RemoteStatusText(process, bar, 1), std::regex("CPU: [0-9]{1,3}%")));
    EXPECT_TRUE(std::regex_match(RemoteStatusText(process, bar, 2),
                                 std::regex("Virtual Memory: [0-9]+ M Free / [1-9][0-9]* M Total")));
}

// A value in one view of the machine's Run key of the test prefix, there
// while the test runs.
class MachineRunValue {
public:
    MachineRunValue(REGSAM view, const char* name, const std::string& command) : m_name(name)
    {
        if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0, nullptr, 0,
                              KEY_SET_VALUE | view, nullptr, &m_key, nullptr)
            != ERROR_SUCCESS)
            m_key = nullptr;
        else
            ::RegSetValueExA(m_key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                             static_cast<DWORD>(command.size() + 1));
    }
    ~MachineRunValue()
    {
        if (m_key) {
            ::RegDeleteValueA(m_key, m_name);
            ::RegCloseKey(m_key);
        }
    }
    MachineRunValue(const MachineRunValue&) = delete;
    MachineRunValue& operator=(const MachineRunValue&) = delete;

private:
    HKEY m_key = nullptr;
    const char* m_name;
};

std::vector<std::string> ListedRows(HANDLE process, HWND list)
{
    std::vector<std::string> rows;
    for (int item = 0, count = ListView_GetItemCount(list); item < count; ++item)
        rows.push_back(RemoteListItemText(process, list, item, 0) + " | " + RemoteListItemText(process, list, item, 1)
                       + " | " + RemoteListItemText(process, list, item, 2));
    return rows;
}

} // namespace

TEST(Program, ShowsItsWindowListsAnEntryOfEachMachineViewAndEndsWithCodeZeroWhenClosed)
{
    const MachineRunValue native(KEY_WOW64_64KEY, "QuorvaneTestNative", "C:\\quorvane-test\\native.exe");
    const MachineRunValue redirected(KEY_WOW64_32KEY, "QuorvaneTest32", "C:\\quorvane-test\\32-bit.exe");
    RunningProgram program;
    ExpectWindowWithTabsAndLiveStatus(program);
    ASSERT_NE(program.Frame(), nullptr);

    const HWND list = program.Child(WC_LISTVIEWA);
    ASSERT_NE(list, nullptr);
    const std::vector<std::string> rows = ListedRows(program.Process().Handle(), list);
    for (const char* row : {"QuorvaneTestNative | System Start-Up | C:\\quorvane-test\\native.exe",
                            "QuorvaneTest32 | System Start-Up (32-bit) | C:\\quorvane-test\\32-bit.exe"})
        EXPECT_NE(std::find(rows.begin(), rows.end(), row), rows.end()) << row;

    ::PostMessageA(program.Frame(), WM_CLOSE, 0, 0);
    EXPECT_EQ(program.Process().WaitForExit(kExitTimeoutMs), 0u);
}

TEST(Program, EndsWithCodeZeroThroughExit)
{
    RunningProgram program;
    ExpectWindowWithTabsAndLiveStatus(program);
    ASSERT_NE(program.Frame(), nullptr);
    ::PostMessageA(program.Frame(), WM_COMMAND, MAKEWPARAM(ID_FILE_EXIT, 0), 0);
    EXPECT_EQ(program.Process().WaitForExit(kExitTimeoutMs), 0u);
}

TEST(Program, SecondTabGetsItsPageWhenSelected)
{
    RunningProgram program;
    ASSERT_NE(program.WaitForWindow(), nullptr);
    const HWND sheet = ::GetParent(program.Child(WC_TABCONTROLA));
    auto pageTitled = [&](const char* title) {
        for (HWND child = ::GetWindow(sheet, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            if (WindowText(child) == title)
                return true;
        return false;
    };
    EXPECT_TRUE(pageTitled("Start-Up"));
    EXPECT_FALSE(pageTitled("Sytem Metrics")) << "made only when first shown";
    ::SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
    EXPECT_TRUE(pageTitled("Sytem Metrics"));

    // The address space of a process of this build, unclamped: 2 or 4 GiB for
    // the 32-bit program, terabytes for the 64-bit one.
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    ASSERT_TRUE(::GlobalMemoryStatusEx(&status));
    if (sizeof(void*) == 8) {
        EXPECT_GE(status.ullTotalVirtual, 8ull << 40);
    }
    char expected[64];
    std::snprintf(expected, sizeof(expected), "%.1f M", static_cast<double>(status.ullTotalVirtual >> 10) / 1024);
    HWND page = nullptr;
    for (HWND child = ::GetWindow(sheet, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (WindowText(child) == "Sytem Metrics")
            page = child;
    EXPECT_EQ(WindowText(::GetDlgItem(page, IDC_TOTAL_ALLOCABLE)), expected);

    ::PostMessageA(program.Frame(), WM_CLOSE, 0, 0);
    EXPECT_EQ(program.Process().WaitForExit(kExitTimeoutMs), 0u);
}

namespace {
// The libraries a program file names in its import table, in lower case.
std::vector<std::string> ImportedLibraries(const std::string& path)
{
    std::vector<std::string> names;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return names;
    std::vector<unsigned char> bytes;
    unsigned char buffer[65536];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof(buffer), file)) > 0;)
        bytes.insert(bytes.end(), buffer, buffer + got);
    std::fclose(file);
    // A little-endian number at a file offset; 0 past the end.
    auto at = [&](std::size_t offset, auto value) {
        if (offset + sizeof(value) <= bytes.size())
            std::memcpy(&value, &bytes[offset], sizeof(value));
        return value;
    };
    const std::size_t pe = at(0x3C, std::uint32_t{});
    const std::size_t sections = at(pe + 6, std::uint16_t{});
    const std::size_t optional = pe + 24;
    const std::size_t firstSection = optional + at(pe + 20, std::uint16_t{});
    const bool pe64 = at(optional, std::uint16_t{}) == IMAGE_NT_OPTIONAL_HDR64_MAGIC;
    const std::uint32_t importRva = at(optional + (pe64 ? 112 : 96) + 8 * IMAGE_DIRECTORY_ENTRY_IMPORT, std::uint32_t{});
    // The file offset of an address in the loaded image.
    auto offsetOf = [&](std::uint32_t rva) -> std::size_t {
        for (std::size_t i = 0; i < sections; ++i) {
            const std::size_t header = firstSection + 40 * i;
            const std::uint32_t address = at(header + 12, std::uint32_t{});
            const std::uint32_t size = std::max(at(header + 8, std::uint32_t{}), at(header + 16, std::uint32_t{}));
            if (rva >= address && rva < address + size)
                return at(header + 20, std::uint32_t{}) + (rva - address);
        }
        return bytes.size();
    };
    for (std::size_t entry = offsetOf(importRva); entry + 20 <= bytes.size(); entry += 20) {
        const std::uint32_t nameRva = at(entry + 12, std::uint32_t{});
        if (nameRva == 0)
            break;
        const std::size_t nameAt = offsetOf(nameRva);
        if (nameAt >= bytes.size())
            break;
        std::string name(reinterpret_cast<const char*>(&bytes[nameAt]), strnlen(reinterpret_cast<const char*>(&bytes[nameAt]), bytes.size() - nameAt));
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        names.push_back(name);
    }
    return names;
}
} // namespace

TEST(Program, LoadsTheSignatureCheckOnlyWhenAnEntryNeedsIt)
{
    // Loading crypt32 and wintrust costs every start tens of milliseconds:
    // the program names neither among the libraries it is linked with.
    std::string path = QuorvaneCommandLine();
    path = path.substr(1, path.size() - 2);
    const std::vector<std::string> imports = ImportedLibraries(path);
    ASSERT_NE(std::find(imports.begin(), imports.end(), "kernel32.dll"), imports.end()) << path;
    EXPECT_EQ(std::find(imports.begin(), imports.end(), "crypt32.dll"), imports.end());
    EXPECT_EQ(std::find(imports.begin(), imports.end(), "wintrust.dll"), imports.end());
}
