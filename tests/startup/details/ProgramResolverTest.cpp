// Which file a start-up command starts: the forms Windows accepts, the hosts
// that run another file, missing files, and text that is no command at all.

#include "framework/SystemFolder.h"
#include "pages/startup/details/FileDetails.h"
#include "pages/startup/details/NativeFilePath.h"
#include "pages/startup/details/ProgramResolver.h"
#include "support/ScratchFolder.h"
#include "support/RegistrySandbox.h"
#include "startup/store/StoredValue.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {
const std::wstring kAppPaths = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

// An App Paths entry, in the view that 64-bit Windows' shell reads whichever
// program asks.
void RegisterAppPath(HKEY hive, const std::wstring& name, const std::wstring& path)
{
    WriteStored(hive, (kAppPaths + name).c_str(), "", Sz(U8(path)), KEY_WOW64_64KEY);
}

// Sets an environment variable for as long as the object lives.
class ScopedVariable {
public:
    ScopedVariable(const wchar_t* name, const std::wstring& value) : m_name(name)
    {
        wchar_t old[32767];
        const DWORD length = ::GetEnvironmentVariableW(name, old, 32767);
        m_had = length > 0 && length < 32767;
        if (m_had)
            m_old.assign(old, length);
        ::SetEnvironmentVariableW(name, value.c_str());
    }
    ~ScopedVariable() { ::SetEnvironmentVariableW(m_name, m_had ? m_old.c_str() : nullptr); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const wchar_t* m_name;
    std::wstring m_old;
    bool m_had = false;
};

struct Case {
    std::wstring command;
    std::wstring expected;
};

void ExpectResolved(const std::vector<Case>& cases)
{
    for (const Case& c : cases)
        EXPECT_EQ(ResolveProgramFile(c.command), c.expected) << c.command.substr(0, 200);
}
} // namespace

TEST(ProgramResolver, FindsTheFileAsWindowsWouldStartIt)
{
    ScratchFolder scratch;
    RegistrySandbox registry;
    const std::wstring& r = scratch.Path(); // holds a space itself
    const std::wstring tool = scratch.Write(L"Program Files\\Tool\\tool.exe");
    const std::wstring first = scratch.Write(L"first\\a.exe");
    scratch.Write(L"first\\a b\\c.exe");
    const std::wstring wide = scratch.Write(L"\u0410\u043d\u043d\u0430\\\u0442\u0443\u043b.exe");
    const std::wstring onPath = scratch.Write(L"on path\\pathtool.exe");
    const std::wstring user = scratch.Write(L"apps\\user.exe");
    const std::wstring machine = scratch.Write(L"apps\\machine.exe");
    const std::wstring document = scratch.Write(L"Startup\\read me.txt");
    const std::wstring script = scratch.Write(L"Startup\\my script.vbs");
    const std::wstring batch = scratch.Write(L"scripts\\run me.bat");
    const std::wstring vbs = scratch.Write(L"scripts\\job.vbs");
    const std::wstring ps1 = scratch.Write(L"scripts\\task.ps1");
    const std::wstring library = scratch.Write(L"Program Files\\Tool\\lib.dll");
    RegisterAppPath(HKEY_CURRENT_USER, L"apptool.exe", L"\"" + r + L"\\apps\\user.exe\"");
    RegisterAppPath(HKEY_LOCAL_MACHINE, L"apptool.exe", r + L"\\apps\\machine.exe");
    RegisterAppPath(HKEY_LOCAL_MACHINE, L"machtool.exe", r + L"\\apps\\machine.exe");
    const ScopedVariable root(L"QV_ROOT", r);
    wchar_t path[32767];
    const DWORD pathLength = ::GetEnvironmentVariableW(L"PATH", path, 32767);
    const ScopedVariable searchPath(L"PATH", L"\"" + r + L"\\on path\";" + std::wstring(path, pathLength));
    const std::wstring cmd = fw::SystemFolderPath() + L"\\cmd.exe";

    ExpectResolved({
        {L"\"" + tool + L"\" /x", tool},
        {tool + L" /x --y", tool},
        {r + L"\\Program Files\\Tool\\tool /x", tool}, // .exe added
        {L"\"" + tool, tool},                          // no closing quote
        {L"  \t" + tool, tool},
        {r + L"\\first\\a b\\c.exe", first}, // CreateProcess takes the shorter one first
        {L"\"" + wide + L"\" -q", wide},
        {L"%QV_ROOT%\\Program Files\\Tool\\tool.exe -x", tool},
        {L"\"%QV_ROOT%\\Program Files\\..\\Program Files\\Tool\\tool.exe\"", tool},
        {L"pathtool -q", onPath},
        {L"apptool /x", user}, // the user's registration before the machine's
        {L"machtool.exe", machine},
        {L"cmd /c echo hi", cmd},
        {document, document},
        {script, script},
        {L"rundll32.exe \"" + library + L"\",Entry 1", library},
        {L"RUNDLL32 " + r + L"\\Program Files\\Tool\\lib,Entry", library},
        {L"cmd /c \"" + batch + L"\" arg", batch},
        {L"cmd.exe /q /K \"\"" + batch + L"\" arg\"", batch},
        {L"wscript.exe //B //Nologo \"" + vbs + L"\" a", vbs},
        {L"CScript \"" + vbs + L"\"", vbs},
        {L"powershell.exe -NoProfile -ExecutionPolicy Bypass -file \"" + ps1 + L"\"", ps1},
        {L"pwsh -FILE \"" + ps1 + L"\" -x", ps1},
    });
}

TEST(ProgramResolver, NamesTheMissingFileOrTheBestCandidate)
{
    ScratchFolder scratch;
    RegistrySandbox registry;
    const std::wstring& r = scratch.Path();
    RegisterAppPath(HKEY_CURRENT_USER, L"gone.exe", r + L"\\gone\\gone.exe");
    ExpectResolved({
        {r + L"\\Program Files\\Missing\\gone.exe /x", r + L"\\Program Files\\Missing\\gone.exe"},
        {L"\"" + r + L"\\nowhere\\x.exe\" -y", r + L"\\nowhere\\x.exe"},
        {L"nosuchtool -x", L"nosuchtool"},
        {L"gone", r + L"\\gone\\gone.exe"}, // registered, but not there
        {L"rundll32.exe " + r + L"\\lib.dll,Entry", r + L"\\lib.dll"},
        {L"cmd /c " + r + L"\\missing.bat", r + L"\\missing.bat"},
        {L"wscript \"" + r + L"\\lost.vbs\"", r + L"\\lost.vbs"},
    });
}

TEST(ProgramResolver, HostileTextNeitherHangsNorOpensDevices)
{
    const std::wstring pipeName = L"\\\\.\\pipe\\quorvane-details-" + std::to_wstring(::GetCurrentProcessId());
    const HANDLE pipe = ::CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_NOWAIT, 1, 0, 0,
                                           0, nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    // Thousands of candidates, each as long as the text: the search must stop early.
    std::wstring spaced, climbing;
    while (spaced.size() < 32000)
        spaced += L"a\\a ";
    while (climbing.size() < 32000)
        climbing += L"C:\\a b\\..\\";
    const std::wstring longName(32767, L'a');

    ExpectResolved({
        {L"", L""},
        {L" \t ", L""},
        {L"\"", L""},
        {L"\"\"\"\"", L""},
        {std::wstring(L"\0C:\\x.exe", 9), L""},
        {longName, longName},
        {L"\"" + longName, longName},
        {pipeName, pipeName},
        {L"CON", L"CON"},
        {L"C:\\Windows\\nul.exe /x", L"C:\\Windows\\nul.exe"},
        {L"\\\\?\\GLOBALROOT\\Device\\Null", L"\\\\?\\GLOBALROOT\\Device\\Null"},
        {L"..\\..\\..\\..", L"..\\..\\..\\.."},
        {L"\\\\no-such-server\\share\\tool.exe /x", L"\\\\no-such-server\\share\\tool.exe"},
        {L"cmd /c cmd /c cmd /c cmd /c cmd /c cmd /c", fw::SystemFolderPath() + L"\\cmd.exe"},
    });
    ResolveProgramFile(spaced);
    ResolveProgramFile(climbing);
    EXPECT_FALSE(ExamineFile(pipeName).stamp.exists);
    EXPECT_FALSE(ExamineFile(L"\\\\.\\CON").stamp.exists);

    // A client that had opened the pipe would have connected to it.
    EXPECT_FALSE(::ConnectNamedPipe(pipe, nullptr));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_PIPE_LISTENING));
    ::CloseHandle(pipe);
}

TEST(ProgramResolver, OnlyTheSystemFolderItselfIsMapped)
{
    const std::wstring sys = L"C:\\Windows\\System32", native = L"C:\\Windows\\Sysnative";
    EXPECT_EQ(ReplaceLeadingFolder(L"c:\\windows\\SYSTEM32\\x.exe", sys, native), L"C:\\Windows\\Sysnative\\x.exe");
    EXPECT_EQ(ReplaceLeadingFolder(L"C:\\Windows\\System32", sys, native), L"C:\\Windows\\Sysnative");
    EXPECT_EQ(ReplaceLeadingFolder(L"C:\\Windows\\System32x\\y.exe", sys, native), L"C:\\Windows\\System32x\\y.exe");
    EXPECT_EQ(ReplaceLeadingFolder(L"D:\\Windows\\System32\\y.exe", sys, native), L"D:\\Windows\\System32\\y.exe");
}
