#include "startup/page/StartupPageFixture.h"

#include "app/MonitorApp.h"
#include "pages/startup/page/StartupDlg.h"
#include "res/resource.h"
#include "support/DialogInput.h"
#include "support/WideText.h"
#include "ui/MainFrame.h"
#include "ui/MainSheet.h"

#include <commctrl.h>

#include <iterator>
#include <ostream>

void StartupPageFixture::SetUp()
{
    AppFixture::SetUp();
    m_folders = std::make_unique<StartupFolderSandbox>();
    // Each test starts as a fresh program would.
    CStartupDlg::s_programAscending = false;
    CStartupDlg::s_locationAscending = false;
    CStartupDlg::s_impactAscending = false;
    CStartupDlg::s_timeAscending = false;
}

void StartupPageFixture::TearDown()
{
    AppFixture::TearDown();
    m_folders.reset();
}

CStartupDlg& StartupPageFixture::Page() const
{
    return *theApp.m_pMainFrame->m_pMainSheet->m_pStartupPage;
}

HWND StartupPageFixture::PageWindow() const
{
    return Page().m_hWnd;
}

HWND StartupPageFixture::List() const
{
    return ::GetDlgItem(PageWindow(), IDC_STARTUP_LIST);
}

bool StartupPageFixture::Enabled(int controlId) const
{
    return ::IsWindowEnabled(::GetDlgItem(PageWindow(), controlId)) != FALSE;
}

std::string StartupPageFixture::Text(int item, int column) const
{
    wchar_t buffer[1024] = {};
    LVITEMW request{};
    request.iSubItem = column;
    request.pszText = buffer;
    request.cchTextMax = static_cast<int>(std::size(buffer));
    ::SendMessageW(List(), LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&request));
    return U8(buffer);
}

std::vector<ShownRow> StartupPageFixture::Rows() const
{
    std::vector<ShownRow> rows;
    const HWND list = List();
    const int count = ListView_GetItemCount(list);
    for (int item = 0; item < count; ++item)
        rows.push_back({Text(item, 0), Text(item, 1), Text(item, 2), ListView_GetCheckState(list, item) != FALSE});
    return rows;
}

std::vector<std::string> StartupPageFixture::Programs() const
{
    std::vector<std::string> programs;
    for (const ShownRow& row : Rows())
        programs.push_back(row.program);
    return programs;
}

int StartupPageFixture::RowOf(const std::string& program, const std::string& location) const
{
    const std::vector<ShownRow> rows = Rows();
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].program == program && rows[i].location == location)
            return static_cast<int>(i);
    ADD_FAILURE() << "no row " << program << " / " << location;
    return -1;
}

bool StartupPageFixture::IsNewRow(int item) const
{
    LVITEMA row{};
    row.mask = LVIF_PARAM;
    row.iItem = item;
    if (!ListView_GetItem(List(), &row))
        return false;
    return Page().m_rows.Row(static_cast<std::size_t>(row.lParam)).isNew;
}

void StartupPageFixture::Tick(int row, bool checked)
{
    ListView_SetCheckState(List(), row, checked ? TRUE : FALSE);
}

void StartupPageFixture::Select(int row, bool selected)
{
    ListView_SetItemState(List(), row, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

void StartupPageFixture::ClickHeader(int column)
{
    ClickListHeader(PageWindow(), IDC_STARTUP_LIST, column);
}

void StartupPageFixture::Press(int buttonId)
{
    ASSERT_TRUE(Enabled(buttonId)) << "button " << buttonId << " is disabled";
    ClickButton(PageWindow(), buttonId);
}

void PrintTo(const ShownRow& row, std::ostream* os)
{
    *os << "{" << row.program << " | " << row.location << " | " << row.path << " | "
        << (row.checked ? "on" : "off") << "}";
}
