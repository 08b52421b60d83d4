// The start-up page's Start-Up Impact: filled in from Windows' measurements
// once the rows' program files are known, sorted by its heading, its figures
// on hover, and the line under the list when administrator rights are missing.

#include "startup/page/StartupPageFixture.h"

#include "app/Elevation.h"
#include "pages/startup/impact/StartupInfoFolder.h"
#include "pages/startup/page/StartupDlg.h"
#include "pages/startup/store/StartupStore.h"
#include "res/resource.h"
#include "startup/store/ForwardingCalls.h"
#include "startup/store/StoredValue.h"
#include "support/MessagePump.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace {

constexpr int kImpactColumn = 4;
const char kUser[] = "User Start-Up";
const char kSystem[] = "System Start-Up";

bool OneLogOn(const LogOnTaker& take)
{
    // heavy.exe runs twice from the Run key, told apart by the command line.
    take({{L"C:\\missing\\heavy.exe", L"C:\\missing\\heavy.exe /quiet", 1'240'000, 4'300'000},
          {L"C:\\missing\\heavy.exe", L"C:\\missing\\heavy.exe /other", 1'000, 1'000},
          {L"C:\\missing\\light.exe", L"C:\\missing\\light.exe", 20'000, 30'000}});
    return false;
}

bool Denied(const LogOnTaker&) { return true; }

// The page reads what the test gives it, and the token is a filtered one,
// while the object lives.
class ImpactSeams {
public:
    explicit ImpactSeams(CStartupDlg::ImpactReader read)
    {
        CStartupDlg::s_readImpact = read;
        SetElevationCallsForTesting({[] { return ElevationKind::Limited; }, {}});
    }
    ~ImpactSeams()
    {
        CStartupDlg::s_readImpact = &ForEachUserStartupInfo;
        SetElevationCallsForTesting({});
    }
};

// Refuses every change to the machine's keys, as Windows does without administrator rights.
class MachineRefused : public ForwardingCalls {
public:
    LONG CreateKey(HKEY hive, const wchar_t* path, REGSAM view, HKEY* key) override
    {
        return hive == HKEY_LOCAL_MACHINE ? ERROR_ACCESS_DENIED : ForwardingCalls::CreateKey(hive, path, view, key);
    }
    LONG OpenKey(HKEY hive, const wchar_t* path, REGSAM view, HKEY* key) override
    {
        return hive == HKEY_LOCAL_MACHINE ? ERROR_ACCESS_DENIED : ForwardingCalls::OpenKey(hive, path, view, key);
    }
};

class StartupImpactTest : public StartupPageFixture {
protected:
    void StartAndWait()
    {
        StartApp();
        ASSERT_TRUE(PumpUntil([&] { return Page().DetailsComplete() && Page().ImpactComplete(); }, 10000));
    }
    std::string Impact(const char* program, const char* location = kUser) const
    {
        return Text(RowOf(program, location), kImpactColumn);
    }
    std::string Status() const
    {
        char text[512] = {};
        ::GetDlgItemTextA(PageWindow(), IDC_STARTUP_STATUS, text, sizeof(text));
        return text;
    }
};

TEST_F(StartupImpactTest, FillsInSortsByImpactAndShowsItsFiguresOnHover)
{
    const ImpactSeams seams(&OneLogOn);
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "heavy", Sz("C:\\missing\\heavy.exe /quiet"));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "also heavy.exe", Sz("C:\\missing\\heavy.exe /again"));
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "light", Sz("C:\\missing\\light.exe"));
    WriteStored(HKEY_CURRENT_USER, kDisabledKeyPath, "off", Sz("C:\\missing\\light.exe"));
    StartAndWait();
    EXPECT_EQ(Impact("heavy"), "High");
    EXPECT_EQ(Impact("also heavy.exe"), "Not measured") << "a shared program file: the command line decides";
    EXPECT_EQ(Impact("light"), "Low");
    EXPECT_EQ(Impact("off"), "None");

    ClickHeader(kImpactColumn);
    EXPECT_EQ(Programs(), (std::vector<std::string>{"heavy", "light", "also heavy.exe", "off"}));
    ClickHeader(kImpactColumn);
    EXPECT_EQ(Programs(), (std::vector<std::string>{"off", "also heavy.exe", "light", "heavy"}));

    auto hover = [&](const char* program, int column) {
        RECT cell{};
        cell.top = column;
        cell.left = LVIR_BOUNDS;
        ::SendMessageW(List(), LVM_GETSUBITEMRECT, static_cast<WPARAM>(RowOf(program, kUser)),
                       reinterpret_cast<LPARAM>(&cell));
        return Page().ImpactTipAt({cell.left + 4, (cell.top + cell.bottom) / 2});
    };
    EXPECT_EQ(hover("heavy", kImpactColumn), L"CPU 1,240 ms, disk I/O 4.1 MB, median of 1 log-on");
    EXPECT_EQ(hover("heavy", 0), L"") << "only over the impact";
    EXPECT_EQ(hover("also heavy.exe", kImpactColumn), L"") << "no figures";

    // Switched off, the entry costs the log-on nothing.
    Tick(RowOf("heavy", kUser), false);
    Press(IDC_APPLY);
    EXPECT_EQ(Impact("heavy"), "None");
    EXPECT_EQ(Status(), "No Windows entries hidden");
}

TEST_F(StartupImpactTest, WhatNeedsAdministratorRightsIsSaidUnderTheList)
{
    const ImpactSeams seams(&Denied);
    WriteStored(HKEY_CURRENT_USER, kRunKeyPath, "mine", Sz("C:\\missing\\mine.exe"));
    WriteStored(HKEY_LOCAL_MACHINE, kRunKeyPath, "machine's", Sz("C:\\missing\\machine.exe"));
    StartAndWait();
    EXPECT_EQ(Impact("mine") + Impact("machine's", kSystem), "") << "nothing could be read";
    EXPECT_EQ(Status(), "Start-Up Impact needs administrator rights: File > Run as Administrator; "
                        "No Windows entries hidden");

    const MachineRefused refused;
    Tick(RowOf("machine's", kSystem), false);
    Press(IDC_APPLY);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text, "Could not make changes, not allowed!");
    EXPECT_TRUE(Rows()[static_cast<std::size_t>(RowOf("machine's", kSystem))].checked) << "its box set back";
    EXPECT_EQ(Status(), "Changing the machine's entries needs administrator rights: File > Run as Administrator; "
                        "Start-Up Impact needs administrator rights: File > Run as Administrator; "
                        "No Windows entries hidden");
}

} // namespace
