#include <winsock2.h>

#include "WinApp.h"

#include "MessageBox.h"
#include "MessageWait.h"

#include <ole2.h>

#include <utility>

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

namespace {

CWinApp* g_pApp = nullptr;

std::function<bool()>& SocketStartup()
{
    static std::function<bool()> function;
    return function;
}

std::function<bool()>& OleStartup()
{
    static std::function<bool()> function;
    return function;
}

// What AfxWinMain must undo when the application ends.
bool g_bSocketsStarted = false;
bool g_bOleStarted = false;

void TerminateServices()
{
    if (std::exchange(g_bOleStarted, false))
        ::OleUninitialize();
    if (std::exchange(g_bSocketsStarted, false))
        ::WSACleanup();
}

} // namespace

CWinApp::CWinApp(const char* lpszAppName)
    : m_hInstance(::GetModuleHandleA(nullptr))
{
    g_pApp = this;
    m_strAppName = lpszAppName ? lpszAppName : AfxLoadString(AFX_IDS_APP_TITLE);
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::Run()
{
    // Between messages the loop also waits on the thread's kernel objects
    // (fw::AddWait), so windows can follow change notifications.
    for (;;) {
        if (!fw::DispatchWaitingMessages(m_nExitCode))
            return ExitInstance();
        fw::WaitForMessageOrSignal(INFINITE);
    }
}

bool fw::DispatchWaitingMessages(int& exitCode)
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            exitCode = static_cast<int>(msg.wParam);
            return false;
        }
        CWinApp* app = AfxGetApp();
        if (!app || !app->PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return true;
}

int CWinApp::ExitInstance()
{
    return m_nExitCode;
}

BOOL CWinApp::PreTranslateMessage(MSG* pMsg)
{
    const HWND hWndStop = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    for (HWND hWnd = pMsg->hwnd; hWnd; hWnd = ::GetParent(hWnd)) {
        if (CWnd* pWnd = CWnd::FromHandlePermanent(hWnd))
            if (pWnd->PreTranslateMessage(pMsg))
                return TRUE;
        if (hWnd == hWndStop)
            break;
    }
    return FALSE;
}

CWinApp* AfxGetApp()
{
    return g_pApp;
}

HINSTANCE AfxGetInstanceHandle()
{
    return g_pApp ? g_pApp->m_hInstance : ::GetModuleHandleA(nullptr);
}

HINSTANCE AfxGetResourceHandle()
{
    return AfxGetInstanceHandle();
}

const char* AfxGetAppName()
{
    return g_pApp ? g_pApp->GetAppName() : "";
}

std::string AfxLoadString(UINT nID)
{
    // With a zero buffer size LoadStringA reports nothing useful, so read in chunks.
    std::string text(256, '\0');
    for (;;) {
        const int length = ::LoadStringA(AfxGetResourceHandle(), nID, text.data(), static_cast<int>(text.size()));
        if (length <= 0)
            return std::string();
        if (static_cast<std::size_t>(length) < text.size() - 1) {
            text.resize(static_cast<std::size_t>(length));
            return text;
        }
        text.resize(text.size() * 2);
    }
}

int AfxMessageBox(const char* lpszText, UINT nType, UINT)
{
    if ((nType & MB_ICONMASK) == 0) {
        switch (nType & MB_TYPEMASK) {
        case MB_OK:
        case MB_OKCANCEL:
        case MB_ABORTRETRYIGNORE:
        case MB_RETRYCANCEL:
            nType |= MB_ICONEXCLAMATION;
            break;
        case MB_YESNO:
        case MB_YESNOCANCEL:
            nType |= MB_ICONQUESTION;
            break;
        }
    }
    CWinApp* pApp = AfxGetApp();
    const HWND owner = pApp && pApp->m_pMainWnd ? pApp->m_pMainWnd->m_hWnd : nullptr;
    return fw::ShowMessageBox(owner, lpszText, AfxGetAppName(), nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp)
{
    const std::string text = AfxLoadString(nIDPrompt);
    return AfxMessageBox(text.c_str(), nType, nIDHelp);
}

BOOL AfxSocketInit(WSAData* lpwsaData)
{
    bool started = false;
    if (SocketStartup()) {
        started = SocketStartup()();
    } else {
        WSADATA data;
        started = ::WSAStartup(MAKEWORD(2, 2), lpwsaData ? lpwsaData : &data) == 0;
        g_bSocketsStarted = g_bSocketsStarted || started;
    }
    return started ? TRUE : FALSE;
}

BOOL AfxOleInit()
{
    bool started = false;
    if (OleStartup()) {
        started = OleStartup()();
    } else {
        started = SUCCEEDED(::OleInitialize(nullptr));
        g_bOleStarted = g_bOleStarted || started;
    }
    return started ? TRUE : FALSE;
}

void AfxEnableControlContainer()
{
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return -1;
    pApp->m_hInstance = hInstance;
    pApp->m_lpCmdLine = fw::ArgumentsAfterProgram(::GetCommandLineW());

    int exitCode;
    if (pApp->InitInstance()) {
        exitCode = pApp->Run();
    } else {
        if (pApp->m_pMainWnd)
            pApp->m_pMainWnd->DestroyWindow();
        exitCode = pApp->ExitInstance();
    }
    TerminateServices();
    if (pApp->LeftThreadsRunning())
        ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(exitCode));
    return exitCode;
}

namespace fw {
const wchar_t* ArgumentsAfterProgram(const wchar_t* commandLine)
{
    const wchar_t* p = commandLine;
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"')
            ++p;
        if (*p == L'"')
            ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t')
            ++p;
    }
    while (*p == L' ' || *p == L'\t')
        ++p;
    return p;
}

void SetSocketStartupFunction(std::function<bool()> function)
{
    SocketStartup() = std::move(function);
}

void SetOleStartupFunction(std::function<bool()> function)
{
    OleStartup() = std::move(function);
}
} // namespace fw
