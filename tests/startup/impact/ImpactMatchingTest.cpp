// Each entry's processes in the recorded log-ons, and their medians.

#include "pages/startup/impact/ImpactMatching.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

MeasuredProcess Process(const wchar_t* image, const wchar_t* command, std::optional<std::uint64_t> cpu,
                        std::optional<std::uint64_t> disk)
{
    return {image, command, cpu, disk};
}

std::string Said(const std::optional<ImpactFigures>& figures)
{
    return figures ? std::to_string(figures->cpuMicroseconds) + "/" + std::to_string(figures->diskBytes) + " of "
                         + std::to_string(figures->logOns)
                   : "-";
}

const wchar_t* const kRundll = L"C:\\Windows\\System32\\rundll32.exe";

} // namespace

TEST(ImpactMatching, MatchesEachEntrysProcessesAndTakesTheirMedians)
{
    ASSERT_TRUE(::SetEnvironmentVariableW(L"QUORVANE_IMPACT", L"C:\\Apps"));
    const std::vector<ImpactEntry> entries = {
        {L"%QUORVANE_IMPACT%\\tool.exe", L"\"%QUORVANE_IMPACT%\\tool.exe\" /background"},
        {kRundll, L"rundll32.exe a.dll,Run"},
        {kRundll, L"rundll32.exe b.dll,Run"},
        {L"C:\\Apps\\agent.exe", L"C:\\Apps\\agent.exe -q"},
        {L"", L"C:\\Apps\\tool.exe"},
        {L"C:\\Apps\\sync.exe", L"C:\\Apps\\sync.exe"},
        {L"C:\\Apps\\never.exe", L"C:\\Apps\\never.exe"},
        // The script a host runs, as the program resolver gives it.
        {L"C:\\Scripts\\hello.vbs", L"wscript.exe  \"C:\\Scripts\\hello.vbs\""},
    };
    const std::vector<std::vector<MeasuredProcess>> logOns = {
        {
            Process(L"C:\\APPS\\TOOL.EXE", L"\"C:\\Apps\\tool.exe\" /background", 100, 1000),
            Process(L"C:\\Apps\\tool.exe", L"C:\\Apps\\tool.exe", 50, 500),
            Process(kRundll, L"RUNDLL32.EXE   \"a.dll,Run\" ", 10, 11),
            Process(kRundll, L"rundll32.exe c.dll,Run", 1000, 1000),
            Process(L"agent.exe", L"\"C:\\Apps\\agent.exe\" -q", 40, 400),
            Process(L"agent.exe", L"C:\\Apps\\agent.exe -other", 1000, 1000),
            Process(L"C:\\Apps\\sync.exe", L"C:\\Apps\\sync.exe", 5, std::nullopt),
            Process(L"C:\\Apps\\sync.exe", L"C:\\Apps\\sync.exe", 7, 7),
            Process(L"C:\\Windows\\System32\\wscript.exe", L"wscript.exe C:\\Scripts\\hello.vbs", 3, 4),
            Process(L"C:\\Apps\\other.exe", L"C:\\Apps\\tool.exe", 1000, 1000),
        },
        {
            Process(L"C:\\Apps\\tool.exe", L"tool.exe /other", 200, 9000),
            Process(kRundll, L"rundll32.exe b.dll,Run", 20, 21),
            Process(L"agent.exe", L"c:\\apps\\agent.exe -q", 60, 601),
            Process(L"C:\\Apps\\sync.exe", L"C:\\Apps\\sync.exe", 9, 9),
        },
        {
            Process(L"%QUORVANE_IMPACT%\\Tool.exe", L"", 300, 100),
            Process(L"C:\\Apps\\sync.exe", L"", 11, 11),
            Process(L"C:\\Apps\\agent.exe", L"", std::nullopt, 5),
        },
    };
    const char* const expected[] = {
        "200/1500 of 3", // by its file: CPU 150, 200, 300; disk 1,500, 9,000, 100
        "10/11 of 1",    // a shared host, by the command line
        "20/21 of 1",
        "50/500 of 2",   // by the file name and command line; the even medians rounded down
        "-",             // no program file
        "10/10 of 2",    // the first log-on, with a figure missing, left out
        "-",             // not listed
        "3/4 of 1",      // the host's process, by the command line alone
    };
    const std::vector<std::optional<ImpactFigures>> figures = MeasureEntries(entries, logOns);
    ASSERT_EQ(figures.size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        EXPECT_EQ(Said(figures[i]), expected[i]) << "entry " << i;
    EXPECT_TRUE(MeasureEntries({}, logOns).empty());
    EXPECT_EQ(Said(MeasureEntries(entries, {})[0]), "-");
}
