// The program run from the command line, as a script or a scheduled task
// runs it: what each form writes and says, its exit code, and what bad
// arguments and unreadable or unwritable files get. No run shows a window
// or is left running.

#include "support/ProcessWindows.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <shlobj.h>
#include <windows.h>

#include <regex>
#include <string>
#include <vector>

namespace {

const char kHashOfAbc[] = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
const char kSetTime[] = "2020-02-29T12:34:56Z";

struct ProgramRun {
    DWORD exitCode = STILL_ACTIVE;
    std::string out, err; // the lines said, UTF-8
    bool windowShown = false;
};

std::wstring Wide(const std::string& text)
{
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<std::size_t>(::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                               wide.data(), static_cast<int>(wide.size()))));
    return wide;
}

std::string Utf8(const std::wstring& text)
{
    std::string bytes(text.size() * 3, '\0');
    bytes.resize(static_cast<std::size_t>(::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                                bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                                                nullptr)));
    return bytes;
}

// Runs the program with `arguments`, its output and error going to files
// (as a script's redirection does), and waits for it to end.
ProgramRun RunProgram(const std::wstring& arguments)
{
    const ScratchFolder outputs;
    SECURITY_ATTRIBUTES inherited{sizeof(inherited), nullptr, TRUE};
    const std::wstring outPath = outputs.Path() + L"\\out.txt", errPath = outputs.Path() + L"\\err.txt";
    HANDLE files[2];
    for (int i = 0; i < 2; ++i)
        files[i] = ::CreateFileW((i ? errPath : outPath).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited,
                                 CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = files[0];
    startup.hStdError = files[1];
    std::wstring line = Wide(QuorvaneCommandLine()) + L" " + arguments;
    PROCESS_INFORMATION process{};
    ProgramRun run;
    if (::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        // Long enough for a slow machine to read every source, short of a hang.
        if (::WaitForSingleObject(process.hProcess, TestWaitMs(60000)) == WAIT_OBJECT_0)
            ::GetExitCodeProcess(process.hProcess, &run.exitCode);
        else
            ::TerminateProcess(process.hProcess, 255);
        run.windowShown = FindTopLevelWindow(process.dwProcessId) != nullptr;
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    for (HANDLE file : files)
        ::CloseHandle(file);
    run.out = ReadBytes(outPath).value_or("");
    run.err = ReadBytes(errPath).value_or("");
    return run;
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::wstring Quoted(const std::wstring& path)
{
    return L"\"" + path + L"\"";
}

// A file in the user's Startup folder of the test prefix whose bytes and
// last write the test chooses: an entry whose time and hash it knows.
class StartupFile {
public:
    StartupFile()
    {
        wchar_t folder[MAX_PATH] = {};
        ::SHGetFolderPathW(nullptr, CSIDL_STARTUP | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, folder);
        m_path = std::wstring(folder) + L"\\Quorvane команда.exe";
        Write("abc");
    }
    ~StartupFile() { ::DeleteFileW(m_path.c_str()); }
    StartupFile(const StartupFile&) = delete;
    StartupFile& operator=(const StartupFile&) = delete;

    void Write(const std::string& bytes) const
    {
        ASSERT_TRUE(WriteBytes(m_path, bytes));
        const HANDLE file = ::CreateFileW(m_path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, 0, nullptr);
        SYSTEMTIME utc{2020, 2, 6, 29, 12, 34, 56, 0};
        FILETIME written{};
        ::SystemTimeToFileTime(&utc, &written);
        ASSERT_TRUE(::SetFileTime(file, nullptr, nullptr, &written));
        ::CloseHandle(file);
    }
    const std::wstring& Path() const { return m_path; }

private:
    std::wstring m_path;
};

// The line of the saved list that names `text`, without its line ending.
std::string LineWith(const std::string& list, const std::string& text)
{
    const std::size_t at = list.find(text);
    if (at == std::string::npos)
        return {};
    const std::size_t begin = list.rfind('\n', at) + 1;
    return list.substr(begin, list.find_first_of("\r\n", at) - begin);
}

TEST(CommandLineRun, SavesAndComparesTheListWithEachEntrysTimeAndHash)
{
    const StartupFile entry;
    const std::string entryPath = Utf8(entry.Path());
    const ScratchFolder folder;
    const std::wstring list = folder.Path() + L"\\Список.csv", json = folder.Path() + L"\\list.JSON",
                       compared = folder.Path() + L"\\compared.csv";

    const ProgramRun saved = RunProgram(L"/save " + Quoted(list));
    ASSERT_EQ(saved.exitCode, 0u) << saved.err;
    EXPECT_FALSE(saved.windowShown);
    EXPECT_TRUE(std::regex_match(saved.out, std::regex("The start-up list: [0-9]+ entries saved to .+\\.csv\\.\r\n")))
        << saved.out;
    EXPECT_EQ(saved.err, "");
    const std::string csv = ReadBytes(list).value_or("");
    EXPECT_EQ(LineWith(csv, "\r\n").substr(3), "Program,Location,Execution Path,Program File,Publisher,Verified,"
                                                "Enabled,File Exists,Start-Up Impact,CPU at Start-Up (ms),"
                                                "Disk I/O at Start-Up (KB),Time,SHA-256");
    const std::string line = LineWith(csv, entryPath);
    EXPECT_TRUE(EndsWith(line, std::string(",") + kSetTime + "," + kHashOfAbc)) << line;

    const ProgramRun asJson = RunProgram(L"/SAVE " + Quoted(json) + L" -all");
    ASSERT_EQ(asJson.exitCode, 0u) << asJson.err;
    EXPECT_NE(LineWith(ReadBytes(json).value_or(""), "\"Time\":\"" + std::string(kSetTime) + "\",\"SHA-256\":\"" +
                                                          kHashOfAbc + "\"}"),
              "");

    for (const std::wstring& saved : {list, json}) {
        const ProgramRun same = RunProgram(L"/compare " + Quoted(saved) + L" /all");
        EXPECT_EQ(same.exitCode, 0u) << same.out << same.err;
        EXPECT_EQ(same.out, "0 new, 0 changed, 0 gone since " + Utf8(saved) + ".\r\n");
    }

    // Other bytes at the same time and the same command: the hash tells.
    entry.Write("abd");
    const ProgramRun changed = RunProgram(L"/compare " + Quoted(list) + L" /save " + Quoted(compared));
    EXPECT_EQ(changed.exitCode, 1u) << changed.err;
    EXPECT_TRUE(std::regex_match(changed.out, std::regex("0 new, 1 changed, 0 gone since .+; the list of [0-9]+ "
                                                         "entries saved to .+compared\\.csv\\.\r\n")))
        << changed.out;
    const std::string comparedLine = LineWith(ReadBytes(compared).value_or(""), entryPath);
    EXPECT_TRUE(EndsWith(comparedLine, ",changed")) << comparedLine;

    ::DeleteFileW(entry.Path().c_str());
    const ProgramRun gone = RunProgram(L"/compare " + Quoted(list));
    EXPECT_EQ(gone.exitCode, 1u) << gone.err;
    EXPECT_EQ(gone.out, "0 new, 0 changed, 1 gone since " + Utf8(list) + ".\r\n");
}

TEST(CommandLineRun, RefusesBadArgumentsAndFilesWithALineAndWritesNothingHalfWay)
{
    const ScratchFolder folder;
    const std::wstring at = folder.Path() + L"\\";
    const std::string head = "\xEF\xBB\xBFProgram,Location,Execution Path,Program File,Publisher,Verified,Enabled,"
                             "File Exists\r\n";
    folder.Write(L"huge.csv", head + std::string((16u << 20), 'x'));
    folder.Write(L"binary.csv", std::string("MZ\0\3\0\0\0\0", 8));
    folder.Write(L"other.csv", "Name,Value\r\nTool,1\r\n");
    folder.Write(L"older.csv", head + "Tool,Run,C:\\t.exe,C:\\t.exe,Maker,yes,no,yes\r\n");
    folder.Write(L"kept.csv", "what stood here");
    ::CreateDirectoryW((at + L"folder.csv").c_str(), nullptr);
    const std::vector<std::wstring> before = folder.Names();
    const std::string notAList = "This file is not a start-up list saved by Quorvane: ";
    const struct {
        std::wstring arguments;
        DWORD exitCode;
        std::string said; // the start of what is said: on standard error where the exit code is 2
    } cases[] = {
        {L"/save", 2, "The option /save needs a file name after it."},
        {L"/save " + Quoted(at + L"a.csv") + L" /save " + Quoted(at + L"b.csv"), 2, "The option /save is given twice."},
        {L"/export " + Quoted(at + L"a.csv"), 2, "The argument /export is not one Quorvane knows."},
        {L"/compare", 2, "The option /compare needs a file name after it."},
        {L"/all", 2, "Nothing to do"},
        {L"/save " + Quoted(at + L"missing\\list.csv"), 2, Utf8(at) + "missing\\list.csv: Could not save the start-up list: "},
        {L"/save " + Quoted(at + L"folder.csv"), 2, Utf8(at) + "folder.csv: Could not save the start-up list: "},
        {L"/compare " + Quoted(at + L"absent.csv"), 2, Utf8(at) + "absent.csv: Could not read the saved list: "},
        {L"/compare " + Quoted(at + L"huge.csv") + L" /save " + Quoted(at + L"kept.csv"), 2,
         Utf8(at) + "huge.csv: This file is too large for a saved start-up list (over 16 MB)."},
        {L"/compare " + Quoted(at + L"binary.csv"), 2, Utf8(at) + "binary.csv: " + notAList + "it holds binary data"},
        {L"/compare " + Quoted(at + L"other.csv"), 2, Utf8(at) + "other.csv: " + notAList + "its first line"},
        // A list of an earlier version is compared: everything of the prefix is new beside its one entry.
        {L"/compare " + Quoted(at + L"older.csv"), 1, ""},
        {L"/?", 0, "Saves or compares the start-up list without showing a window.\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.arguments));
        const ProgramRun run = RunProgram(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.out << run.err;
        EXPECT_FALSE(run.windowShown);
        const std::string& said = c.exitCode == 2 ? run.err : run.out;
        EXPECT_EQ(said.substr(0, c.said.size()), c.said);
        EXPECT_TRUE(EndsWith(said, "\r\n")) << said;
        EXPECT_EQ(c.exitCode == 2 ? run.out : run.err, "");
        EXPECT_EQ(folder.Names(), before) << "a file written or left behind";
    }
    EXPECT_EQ(ReadBytes(at + L"kept.csv"), "what stood here");
}

} // namespace
