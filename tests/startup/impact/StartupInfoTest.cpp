// One log-on's file as Windows writes it, and the user's files of a folder.

#include "pages/startup/impact/StartupInfoFolder.h"
#include "framework/SystemFolder.h"
#include "framework/Wine.h"
#include "support/ScratchFolder.h"
#include "support/WideText.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

constexpr unsigned kProcessors = 2;

std::string Process(const std::string& name, const std::string& children)
{
    return "<Process Name=\"" + name + "\" PID=\"1234\"><StartTime>1</StartTime>" + children
           + "<ParentPID>4</ParentPID></Process>";
}

std::string Figures(const std::string& cpu, const std::string& disk, const std::string& cpuUnits = " Units=\"us\"",
                    const std::string& diskUnits = " Units=\"bytes\"")
{
    return "<CommandLine> \"C:\\Tool\\tool.exe\" /b\r\n</CommandLine><DiskUsage" + diskUnits + ">" + disk
           + "</DiskUsage><CpuUsage" + cpuUnits + ">" + cpu + "</CpuUsage>";
}

std::string Document(const std::string& processes, const std::string& root = "StartupData")
{
    return "<?xml version=\"1.0\"?>\r\n<" + root + ">" + processes + "</" + root + ">";
}

// The document as Windows writes it: UTF-16 with its mark, declared so.
std::string Utf16WithMark(const std::string& document)
{
    const std::wstring wide = W(std::string("<?xml version=\"1.0\" encoding=\"UTF-16\"?>")
                                + document.substr(document.find("?>") + 2));
    std::string bytes("\xff\xfe", 2);
    bytes.append(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
    return bytes;
}

std::string Figure(const std::optional<std::uint64_t>& figure)
{
    return figure ? std::to_string(*figure) : "-";
}

// The processes read, as a line each: image | command line | CPU | disk; a
// count where there are many.
std::string Said(const std::string& bytes)
{
    const auto processes =
        ParseStartupInfo(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), kProcessors);
    if (!processes || processes->size() > 4)
        return processes ? std::to_string(processes->size()) + " processes" : "none";
    std::string said;
    for (const MeasuredProcess& p : *processes)
        said += (said.empty() ? "" : "; ") + U8(p.image) + " | " + U8(p.commandLine) + " | "
                + Figure(p.cpuMicroseconds) + " | " + Figure(p.diskBytes);
    return said;
}

std::string Repeated(const std::string& text, std::size_t times)
{
    std::string repeated;
    repeated.reserve(text.size() * times);
    while (times--)
        repeated += text;
    return repeated;
}

const std::string kTool = Process("C:\\Tool\\tool.exe", Figures("1240000", "1048576"));
const char* const kToolSaid = "C:\\Tool\\tool.exe | \"C:\\Tool\\tool.exe\" /b | 1240000 | 1048576";

// A process whose figures are written so.
std::string Written(const std::string& cpu, const std::string& disk, const std::string& cpuUnits = " Units=\"us\"",
                    const std::string& diskUnits = " Units=\"bytes\"")
{
    return Said(Document(Process("t.exe", Figures(cpu, disk, cpuUnits, diskUnits))))
        .substr(std::string("t.exe | \"C:\\Tool\\tool.exe\" /b | ").size());
}

} // namespace

TEST(StartupInfoFile, ReadsTheProcessesAndNothingOfABrokenOrHostileFile)
{
    const std::string deep = Repeated("<a>", 100) + Repeated("</a>", 100);
    const struct {
        const char* what;
        std::string said, expected;
    } cases[] = {
        {"UTF-16, as Windows writes it", Said(Utf16WithMark(Document(kTool + Process("b.exe", "")))),
         std::string(kToolSaid) + "; b.exe |  | - | -"},
        {"UTF-16 of 300 processes, as long as Windows writes it", Said(Utf16WithMark(Document(Repeated(kTool, 300)))),
         "300 processes"},
        {"UTF-16 cut in the middle of a character", Said(Utf16WithMark(Document(kTool)) + "<"), "none"},
        {"UTF-8", Said("<?xml version=\"1.0\"?><StartupData>" + kTool + "</StartupData>"), kToolSaid},
        {"no processes", Said(Document("")), ""},
        {"broken", Said(Document(kTool).substr(0, 200)), "none"},
        {"not XML", Said(std::string("MZ\x90\0\3\0", 6)), "none"},
        {"larger than 4 MiB", Said(Document(kTool + std::string(kLargestStartupInfoBytes, ' '))), "none"},
        {"a document type", Said("<!DOCTYPE StartupData SYSTEM \"http://example.invalid/x.dtd\"><StartupData>" + kTool
                                  + "</StartupData>"),
         "none"},
        {"an entity expanded a billion times",
         Said("<?xml version=\"1.0\"?><!DOCTYPE StartupData [<!ENTITY a \"aaaaaaaaaa\">"
              "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
              "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]>"
              "<StartupData><Process Name=\"&d;\"/></StartupData>"),
         "none"},
        {"nested deeper than 64", Said(Document(Process("t.exe", deep))), "none"},
        {"another root", Said(Document(kTool, "Startupdata")), "none"},
        {"a million processes", Said(Document(Repeated("<Process/>", 1000000))), "none"},
        {"one process more than the most", Said(Document(Repeated("<Process Name=\"a\"/>", 4097))), "none"},
        {"the most processes", Said(Document(Repeated("<Process Name=\"a\"/>", 4096))), "4096 processes"},
        {"figures in ms, padded", Written(" 1240\n", "\t42 ", " Units=\"ms\""), "1240000 | 42"},
        {"no units said", Written("7", "8", "", ""), "7 | 8"},
        {"not numbers", Written("12a", " "), "- | -"},
        {"signed", Written("-5", "+5"), "- | -"},
        {"unknown units", Written("5", "5", " Units=\"s\"", " Units=\"KB\""), "- | -"},
        {"overflowing", Written("18446744073709551616", "99999999999999999999999"), "- | -"},
        {"ms that overflow once converted", Written("18446744073709552", "0", " Units=\"ms\""), "- | 0"},
        {"at the largest", Written("180000000", "1099511627776"), "180000000 | 1099511627776"},
        {"absurd", Written("180000001", "1099511627777"), "- | -"},
        {"written twice", Said(Document(Process("t.exe", "<CpuUsage>1</CpuUsage><CpuUsage>2</CpuUsage>"))),
         "t.exe |  | - | -"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.said, c.expected) << c.what;
}

namespace {

// A file in `folder`, written `age` minutes ago.
void WriteLogOn(const ScratchFolder& folder, const std::wstring& name, int age, const std::string& content)
{
    const std::wstring path = folder.Write(name, content);
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER time{{now.dwLowDateTime, now.dwHighDateTime}};
    time.QuadPart -= static_cast<ULONGLONG>(age) * 60 * 10000000;
    const FILETIME written{time.LowPart, time.HighPart};
    const HANDLE file = ::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                      nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(::SetFileTime(file, nullptr, nullptr, &written));
    ::CloseHandle(file);
}

std::string OneProcess(const std::string& image)
{
    return Document(Process(image, Figures("1", "2")));
}

std::string Images(const StartupInfoReading& reading)
{
    std::string images = reading.accessDenied ? "denied:" : "";
    for (const auto& logOn : reading.logOns)
        for (const MeasuredProcess& process : logOn)
            images += " " + U8(process.image);
    return images;
}

const wchar_t* const kSid = L"S-1-5-21-7-8-9-1001";

} // namespace

TEST(StartupInfoFolder, ReadsTheUsersFiveNewestLogOnsNewestFirst)
{
    const std::wstring sid = kSid;
    const struct {
        std::wstring name;
        int age; // minutes
        std::string content;
    } files[] = {
        {sid + L"_StartupInfo1.xml", 10, OneProcess("one")},
        {sid + L"_StartupInfo2.xml", 60, OneProcess("two")},
        {L"s-1-5-21-7-8-9-1001_startupinfo3.XML", 5, OneProcess("three")},
        {sid + L"_StartupInfo4.xml", 20, "<StartupData><Process>"},
        {sid + L"_StartupInfo5.xml", 30, Utf16WithMark(OneProcess("five"))},
        {sid + L"_StartupInfo6.xml", 90, OneProcess("six, the oldest")},
        {sid + L"_StartupInfo17.xml", 1, OneProcess("seventeen")},
        // Other users' files, other names.
        {L"S-1-5-21-7-8-9-10010_StartupInfo1.xml", 0, OneProcess("other")},
        {L"S-1-5-21-7-8-9-100_StartupInfo1.xml", 0, OneProcess("other")},
        {sid + L"_StartupInfo.xml", 0, OneProcess("other")},
        {sid + L"_StartupInfo1a.xml", 0, OneProcess("other")},
        {sid + L"_StartupInfo1.xml.bak", 0, OneProcess("other")},
    };
    ScratchFolder folder;
    for (const auto& file : files)
        WriteLogOn(folder, file.name, file.age, file.content);
    folder.Write(sid + L"_StartupInfo8.xml\\inside.xml", OneProcess("a folder"));

    // The five newest: 17, 3, 1, 4 (broken, left out), 5.
    EXPECT_EQ(Images(ReadStartupInfo(folder.Path(), kSid)), " seventeen three one five");
    EXPECT_EQ(Images(ReadStartupInfo(folder.Path(), L"S-1-5-21-0")), "");
    EXPECT_EQ(Images(ReadStartupInfo(folder.Path() + L"\\missing", kSid)), "");
    EXPECT_EQ(Images(ReadStartupInfo(L"", kSid)), "");
}

// The 32-bit program reads the native folder, not SysWOW64's.
TEST(StartupInfoFolder, ReadsTheCurrentUsersFilesInTheNativeSystemFolder)
{
    // It writes into the system's own folder: only in Wine's throwaway prefix.
    if (!fw::RunsOnWine())
        GTEST_SKIP() << "not under Wine";
    const std::wstring sid = CurrentUserSid();
    ASSERT_EQ(sid.rfind(L"S-1-", 0), 0u) << U8(sid);
    std::wstring folder = fw::NativeSystemFolderPath();
    for (const wchar_t* part : {L"\\WDI", L"\\LogFiles", L"\\StartupInfo"})
        ::CreateDirectoryW((folder += part).c_str(), nullptr);
    ASSERT_EQ(StartupInfoFolderPath(), folder);
    const std::wstring path = folder + L"\\" + sid + L"_StartupInfo424242.xml";
    if (!WriteBytes(path, Utf16WithMark(OneProcess("C:\\Quorvane test\\measured.exe"))))
        GTEST_SKIP() << "the system's StartupInfo folder cannot be written";
    const std::string images = Images(ReadStartupInfo(StartupInfoFolderPath(), CurrentUserSid()));
    ::DeleteFileW(path.c_str());
    EXPECT_NE(images.find(" C:\\Quorvane test\\measured.exe"), std::string::npos) << images;
}
