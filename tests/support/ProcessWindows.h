#pragma once
// Starting a program as a user would and looking at its windows from outside.

#include <windows.h>

#include <string>
#include <vector>

// Where a child's standard output and error go: to no one, or where this
// process's go.
enum class ChildOutput { Own, Shared };

class ChildProcess {
public:
    // Starts the program with the given command line; Valid() tells whether it started.
    explicit ChildProcess(const std::string& commandLine, ChildOutput output = ChildOutput::Own);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Valid() const { return m_info.hProcess != nullptr; }
    HANDLE Handle() const { return m_info.hProcess; }
    DWORD Id() const { return m_info.dwProcessId; }
    // The exit code once the process ended within the time, else STILL_ACTIVE.
    DWORD WaitForExit(DWORD timeoutMs) const;
    void Kill() const;

private:
    PROCESS_INFORMATION m_info{};
};

// The directory of this test program, with a trailing backslash.
std::string ThisProgramDirectory();
std::wstring ThisProgramDirectoryW();
// The built program beside this test program, quoted for a command line.
std::string QuorvaneCommandLine();
// A program that comes with Windows, of the same bitness as this build.
std::string SystemProgramPath(const char* fileName);

// A wait of a test that starts programs: the time given, stretched by the
// whole factor in QUORVANE_TEST_WAIT_FACTOR where the test command sets one
// because every process starts slowly (32-bit programs under emulation).
DWORD TestWaitMs(DWORD ms);

// The visible top-level window of the process, waiting up to the time.
HWND WaitForTopLevelWindow(DWORD processId, DWORD timeoutMs);
HWND FindTopLevelWindow(DWORD processId);
// Every descendant window of a class.
std::vector<HWND> FindDescendants(HWND parent, const char* className);
std::string WindowText(HWND hWnd);

// Texts of common controls in another process: the buffer must live there.
std::string RemoteTabCaption(HANDLE process, HWND tab, int index);
std::string RemoteStatusText(HANDLE process, HWND statusBar, int pane);
std::string RemoteListItemText(HANDLE process, HWND list, int item, int column);
