#include "ExpectedPages.h"
#include "ResourceData.h"
#include "UniqueHandle.h"
#include "resource.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

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
