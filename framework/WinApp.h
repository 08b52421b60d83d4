#pragma once
// The application object: start-up and shut-down, the message loop, and the
// last stop of command routing.

#include "FrameworkIds.h"
#include "Wnd.h"

#include <functional>
#include <string>

struct WSAData;

class CWinApp : public CCmdTarget {
    DECLARE_DYNAMIC(CWinApp)
public:
    // Without a name the application takes its title from string AFX_IDS_APP_TITLE.
    explicit CWinApp(const char* lpszAppName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    // Runs the message loop until WM_QUIT, then ExitInstance; returns the exit code.
    virtual int Run();
    // Returns the process exit code: WM_QUIT's code, or 1 when the loop never ran.
    virtual int ExitInstance();
    // Whether ExitInstance left a thread running that waits for another
    // process: the process then ends at once, without the static
    // destructors that thread could still reach.
    virtual bool LeftThreadsRunning() const { return false; }
    // Gives the message to the windows from its target up to the main window.
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    const char* GetAppName() const { return m_strAppName.c_str(); }

    HINSTANCE m_hInstance;
    CWnd* m_pMainWnd = nullptr;
    // The arguments the program was started with, after its name, exactly as
    // given; set by AfxWinMain, so an application object started otherwise
    // (as tests start one) has none.
    const wchar_t* m_lpCmdLine = L"";

protected:
    // The code ExitInstance returns, for an InitInstance that did its work
    // without a message loop.
    void SetExitCode(int code) { m_nExitCode = code; }

private:
    std::string m_strAppName;
    int m_nExitCode = 1;
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
const char* AfxGetAppName();

// The loaded string resource, or an empty string.
std::string AfxLoadString(UINT nID);

// A message box with a string resource, captioned with the application's
// title, owned by the main window; an OK box without an icon of its own gets
// the exclamation icon.
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = static_cast<UINT>(-1));
int AfxMessageBox(const char* lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);

// Windows Sockets 2.2 start-up; cleaned up when AfxWinMain ends.
BOOL AfxSocketInit(WSAData* lpwsaData = nullptr);
// OLE start-up on this thread; uninitialised when AfxWinMain ends.
BOOL AfxOleInit();
// Control containment needs nothing beyond what OLE start-up provides.
void AfxEnableControlContainer();

int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);

namespace fw {
// The arguments of a command line after its program name, exactly as given,
// parsed as the C runtime and CommandLineToArgvW take the program name: the
// end of `commandLine` where it has none.
const wchar_t* ArgumentsAfterProgram(const wchar_t* commandLine);

// Takes and dispatches every message waiting for this thread, each first
// offered to the application's PreTranslateMessage, as the message loop
// does. Messages are taken as UTF-16, so that a character typed into a
// Unicode control arrives whole; the system hands an ANSI window its own
// form. False when WM_QUIT came, its code in `exitCode`.
bool DispatchWaitingMessages(int& exitCode);

// Test seams over the platform's start-up of sockets and OLE; empty restores
// the real calls.
void SetSocketStartupFunction(std::function<bool()> function);
void SetOleStartupFunction(std::function<bool()> function);
} // namespace fw
