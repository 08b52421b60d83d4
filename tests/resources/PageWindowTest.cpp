#include "ExpectedPages.h"
#include "ResourceData.h"
#include "UniqueHandle.h"
#include "resource.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct WindowTraits {
    using Handle = HWND;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DestroyWindow(h); }
};
using UniqueWindow = fw::UniqueHandle<WindowTraits>;

INT_PTR CALLBACK PlainPageProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

std::string WindowText(HWND window)
{
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassName(HWND window)
{
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// Makes the sheet a child of the host, as the program's frame holds it; a
// visible top-level sheet would also cost seconds under Wine when destroyed.
int CALLBACK ChildSheetCallback(HWND, UINT message, LPARAM lParam)
{
    if (message != PSCB_PRECREATE)
        return 0;
    BYTE* dialog = reinterpret_cast<BYTE*>(lParam);
    WORD signature = 0;
    std::memcpy(&signature, dialog + 2, sizeof signature);
    const bool extended = signature == 0xFFFF;
    DWORD* style = reinterpret_cast<DWORD*>(dialog + (extended ? 12 : 0));
    DWORD* exStyle = reinterpret_cast<DWORD*>(dialog + (extended ? 8 : 4));
    *style &= ~DWORD{WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CONTEXTHELP | WS_VISIBLE};
    *style |= WS_CHILD | WS_TABSTOP | DS_CONTROL;
    *exStyle |= WS_EX_CONTROLPARENT;
    return 0;
}

std::string TabText(HWND tabs, int index)
{
    char text[128] = {};
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    TabCtrl_GetItem(tabs, index, &item);
    return text;
}

// The pages are child windows and need a parent to live in.
class PageWindows : public testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES};
        ASSERT_TRUE(InitCommonControlsEx(&controls));
        m_host.Reset(CreateWindowExA(0, "STATIC", "Host", WS_OVERLAPPEDWINDOW, 0, 0, 900, 700, nullptr,
                                     nullptr, GetModuleHandleA(nullptr), nullptr));
        ASSERT_TRUE(m_host);
    }

    UniqueWindow CreatePage(int templateId)
    {
        const ResourceData data = FindOwnResource(RT_DIALOG, MAKEINTRESOURCEA(templateId));
        if (!data)
            return UniqueWindow{};
        return UniqueWindow(CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                                       reinterpret_cast<LPCDLGTEMPLATEA>(data.bytes),
                                                       m_host.Get(), PlainPageProc, 0));
    }

    void ExpectPageCreates(const ExpectedPage& expected)
    {
        const UniqueWindow page = CreatePage(expected.templateId);
        ASSERT_TRUE(page);
        EXPECT_EQ(GetWindowLongA(page.Get(), GWL_STYLE) & WS_VISIBLE, 0);

        // As a child dialog the page has no caption: its client area is the
        // template's size in dialog units.
        RECT size = {0, 0, 373, 212};
        MapDialogRect(page.Get(), &size);
        RECT client = {};
        GetClientRect(page.Get(), &client);
        EXPECT_EQ(client.right, size.right);
        EXPECT_EQ(client.bottom, size.bottom);

        for (const ExpectedControl& control : expected.controls) {
            if (control.id == IDC_STATIC)
                continue;
            SCOPED_TRACE(Describe(control));
            const HWND window = GetDlgItem(page.Get(), control.id);
            ASSERT_NE(window, nullptr);
            EXPECT_EQ(_stricmp(ClassName(window).c_str(), ClassOf(control.kind)), 0) << ClassName(window);
            EXPECT_EQ(WindowText(window), control.text);
            EXPECT_EQ(IsWindowEnabled(window) != FALSE, (control.extraStyle & WS_DISABLED) == 0);
        }
    }

    UniqueWindow m_host;
};

} // namespace

TEST_F(PageWindows, MetricsPageCreatesEveryControl)
{
    ExpectPageCreates(MetricsPage());
}

TEST_F(PageWindows, StartupPageCreatesEveryControl)
{
    ExpectPageCreates(StartupPage());
}

TEST_F(PageWindows, BothPagesWorkInAPropertySheet)
{
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    const int templates[] = {IDD_STARTUP, IDD_METRICS};
    PROPSHEETPAGEA pages[2] = {};
    for (int i = 0; i < 2; ++i) {
        pages[i].dwSize = sizeof pages[i];
        pages[i].dwFlags = PSP_DEFAULT;
        pages[i].hInstance = instance;
        pages[i].pszTemplate = MAKEINTRESOURCEA(templates[i]);
        pages[i].pfnDlgProc = PlainPageProc;
    }
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_MODELESS | PSH_NOAPPLYNOW | PSH_USECALLBACK;
    header.hwndParent = m_host.Get();
    header.hInstance = instance;
    header.pszCaption = "Sheet";
    header.nPages = 2;
    header.ppsp = pages;
    header.pfnCallback = ChildSheetCallback;

    const UniqueWindow sheet(reinterpret_cast<HWND>(PropertySheetA(&header)));
    ASSERT_TRUE(sheet);

    // Each tab shows its page's caption.
    const HWND tabs = PropSheet_GetTabControl(sheet.Get());
    ASSERT_EQ(TabCtrl_GetItemCount(tabs), 2);
    EXPECT_EQ(TabText(tabs, 0), "Start-Up");
    EXPECT_EQ(TabText(tabs, 1), "Sytem Metrics");

    // A page's window is made when its tab is first shown.
    PropSheet_SetCurSel(sheet.Get(), nullptr, 1);
    const HWND startup = PropSheet_IndexToHwnd(sheet.Get(), 0);
    const HWND metrics = PropSheet_IndexToHwnd(sheet.Get(), 1);
    ASSERT_NE(startup, nullptr);
    ASSERT_NE(metrics, nullptr);
    EXPECT_NE(GetDlgItem(startup, IDC_STARTUP_LIST), nullptr);
    EXPECT_NE(GetDlgItem(metrics, IDC_DRIVES_LIST), nullptr);
}
