// The start-up page's details: many entries over fewer program files, a fifth
// of them signed (the signed files that the details tests make; scripts/bench
// makes them first), a few missing. For each opening of the window: the time
// to the rows and until every detail is in, the longest time the
// user-interface thread took to answer a message meanwhile (against the same
// page idle), and the process's threads and private memory before, while and
// after the details fill in.

#include "bench/StartupPageDetails.h"

#include "app/MonitorApp.h"
#include "pages/startup/page/StartupDlg.h"
#include "pages/startup/store/StartupSources.h"
#include "startup/StartupFolderSandbox.h"
#include "support/MessagePump.h"
#include "support/ProcessWindows.h"
#include "support/RegistrySandbox.h"
#include "support/ScratchFolder.h"
#include "ui/MainFrame.h"
#include "ui/MainSheet.h"

#include "framework/UniqueHandle.h"

#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>
#include <wincrypt.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

int OwnThreadCount()
{
    const fw::UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot)
        return -1;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = ::Thread32First(snapshot.Get(), &entry); more; more = ::Thread32Next(snapshot.Get(), &entry))
        count += entry.th32OwnerProcessID == ::GetCurrentProcessId() ? 1 : 0;
    return count;
}

// The process's memory in MiB: its private bytes (Wine counts them in the
// page-file figure and leaves the private one empty) and its working set.
struct Memory {
    double privateBytes = 0;
    double resident = 0;
};

Memory OwnMemory()
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof(counters));
    const double mib = 1024.0 * 1024.0;
    const SIZE_T privateBytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    return {static_cast<double>(privateBytes) / mib, static_cast<double>(counters.WorkingSetSize) / mib};
}

// Sends the window a message that does nothing every few milliseconds from
// a thread of its own, and times each answer.
class AnswerProbe {
public:
    explicit AnswerProbe(HWND window) : m_window(window), m_thread([this] { Run(); }) {}
    ~AnswerProbe()
    {
        if (m_thread.joinable())
            Stop();
    }
    AnswerProbe(const AnswerProbe&) = delete;
    AnswerProbe& operator=(const AnswerProbe&) = delete;

    // The answers' times in milliseconds. The calling thread owns the window:
    // it keeps answering until the probe's last message is answered.
    std::vector<double> Stop()
    {
        m_stop = true;
        PumpUntil([this] { return m_finished.load(); }, 20000);
        m_thread.join();
        return m_answers;
    }

private:
    void Run()
    {
        while (!m_stop) {
            const Clock::time_point sent = Clock::now();
            DWORD_PTR result = 0;
            ::SendMessageTimeoutW(m_window, WM_NULL, 0, 0, SMTO_NORMAL, 15000, &result);
            m_answers.push_back(MsSince(sent));
            ::Sleep(5);
        }
        m_finished = true;
    }

    HWND m_window;
    std::vector<double> m_answers;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_finished{false};
    std::thread m_thread;
};

struct Answers {
    double longest = 0;
    std::size_t longestAt = 0; // its place among the answers, from 1
    std::size_t slow = 0; // 50 ms or more
    std::size_t count = 0;
    double mean = 0;
    double p99 = 0;
};

Answers Summarise(const std::vector<double>& answers)
{
    Answers summary;
    summary.count = answers.size();
    for (std::size_t i = 0; i < answers.size(); ++i) {
        if (answers[i] > summary.longest) {
            summary.longest = answers[i];
            summary.longestAt = i + 1;
        }
        summary.slow += answers[i] >= 50 ? 1 : 0;
        summary.mean += answers[i] / static_cast<double>(answers.size());
    }
    std::vector<double> sorted = answers;
    std::sort(sorted.begin(), sorted.end());
    summary.p99 = sorted.empty() ? 0 : sorted[sorted.size() * 99 / 100];
    return summary;
}

struct Round {
    double rowsMs = 0;
    double detailsMs = 0;
    double workerGoneMs = -1; // after the last detail
    int threadsBefore = 0;
    int threadsMost = 0;
    int threadsAfter = 0;
    Memory before;
    Memory atRows; // the window just filled, details under way
    Memory fillingMemory; // when its private bytes were most
    Memory after;
    Answers filling;
    Answers idle;
    int verified = 0;
    int notVerified = 0;
    int missing = 0;
};

// The certificate settings of the machine hive, opened before the hives are
// redirected and copied into the sandboxed one afterwards: without them no
// signature check succeeds in the sandbox.
struct CertificateSettings {
    const wchar_t* path;
    fw::UniqueRegKey key;
};

std::vector<CertificateSettings> OpenCertificateSettings()
{
    std::vector<CertificateSettings> settings;
    for (const wchar_t* path : {L"Software\\Microsoft\\Cryptography", L"Software\\Microsoft\\SystemCertificates"}) {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) == ERROR_SUCCESS)
            settings.push_back({path, fw::UniqueRegKey(key)});
    }
    return settings;
}

bool CopyCertificateSettings(const std::vector<CertificateSettings>& settings, HKEY sandboxMachine)
{
    bool copied = !settings.empty();
    for (const CertificateSettings& setting : settings) {
        HKEY created = nullptr;
        copied = copied
                 && ::RegCreateKeyExW(sandboxMachine, setting.path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created,
                                      nullptr) == ERROR_SUCCESS;
        const fw::UniqueRegKey target(created);
        copied = copied && ::RegCopyTreeW(setting.key.Get(), nullptr, target.Get()) == ERROR_SUCCESS;
    }
    return copied;
}

// Trusts the signed files' authority in the sandboxed machine hive only.
bool TrustTestAuthority(const std::wstring& certificateFile)
{
    std::ifstream file(certificateFile.c_str(), std::ios::binary);
    const std::vector<BYTE> der((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const fw::UniqueCertStore root(
        ::CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root"));
    return !der.empty() && root
           && ::CertAddEncodedCertificateToStore(root.Get(), X509_ASN_ENCODING, der.data(),
                                                 static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING,
                                                 nullptr);
}

// `count` program files in `folder`: every fifth a signed one, a few never
// made; returns their paths.
std::vector<std::wstring> MakeProgramFiles(const ScratchFolder& folder, int count, int& signedFiles, int& missingFiles)
{
    const std::wstring bin = ThisProgramDirectoryW();
    const std::wstring unsignedFile = bin + L"versioned_tool.exe";
    const std::wstring signedNames[] = {L"trusted.exe", L"untrusted.exe", L"changed.exe"};
    std::vector<std::wstring> paths;
    for (int i = 0; i < count; ++i) {
        const std::wstring vendor = folder.Path() + L"\\Vendor " + std::to_wstring(i);
        const std::wstring path = vendor + L"\\tool " + std::to_wstring(i) + L".exe";
        paths.push_back(path);
        if (i % 50 == 7) {
            ++missingFiles;
            continue;
        }
        ::CreateDirectoryW(vendor.c_str(), nullptr);
        const bool isSigned = i % 5 == 0;
        const std::wstring from = isSigned ? bin + L"signed-fixtures\\" + signedNames[(i / 5) % 3] : unsignedFile;
        signedFiles += isSigned && ::CopyFileW(from.c_str(), path.c_str(), FALSE) ? 1 : 0;
        if (!isSigned)
            ::CopyFileW(from.c_str(), path.c_str(), FALSE);
    }
    return paths;
}

void WriteRunValue(HKEY hive, REGSAM view, const std::wstring& name, const std::wstring& command)
{
    HKEY created = nullptr;
    if (::RegCreateKeyExW(hive, kRunKeyPath, 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &created, nullptr)
        != ERROR_SUCCESS)
        return;
    const fw::UniqueRegKey key(created);
    ::RegSetValueExW(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                     static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
}

// The entries in the user's Run key and both views of the machine's, their
// commands quoted and unquoted in turn (unquoted paths with spaces are found
// by trying from the left, as Windows does).
void WriteEntries(const std::vector<std::wstring>& files, int entries)
{
    for (int i = 0; i < entries; ++i) {
        const std::wstring& file = files[static_cast<std::size_t>(i) % files.size()];
        const std::wstring command = i % 2 ? L"\"" + file + L"\" /background" : file + L" /tray";
        wchar_t name[32];
        std::swprintf(name, std::size(name), L"Entry %05d", i);
        switch (i % 4) {
        case 0:
        case 1:
            WriteRunValue(HKEY_CURRENT_USER, 0, name, command);
            break;
        case 2:
            WriteRunValue(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, name, command);
            break;
        default:
            WriteRunValue(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, name, command);
            break;
        }
    }
}

Round OpenOnce()
{
    Round round;
    round.threadsBefore = OwnThreadCount();
    round.before = OwnMemory();
    const Clock::time_point start = Clock::now();
    theApp.InitInstance();
    round.rowsMs = MsSince(start);
    round.atRows = OwnMemory();
    if (!theApp.m_pMainFrame)
        return round;
    CStartupDlg& page = *theApp.m_pMainFrame->m_pMainSheet->m_pStartupPage;
    {
        AnswerProbe probe(page.m_hWnd);
        Clock::time_point sampled = Clock::now();
        PumpUntil(
            [&] {
                if (MsSince(sampled) >= 100) {
                    sampled = Clock::now();
                    round.threadsMost = std::max(round.threadsMost, OwnThreadCount() - 1); // less the probe
                    const Memory now = OwnMemory();
                    if (now.privateBytes > round.fillingMemory.privateBytes)
                        round.fillingMemory = now;
                }
                return page.DetailsComplete();
            },
            120000);
        round.detailsMs = MsSince(start);
        round.filling = Summarise(probe.Stop());
    }
    const Clock::time_point allIn = Clock::now();
    // The window keeps one thread of its own, the sampling worker; the
    // details worker is gone once only that one is left.
    if (PumpUntil([&] { return OwnThreadCount() <= round.threadsBefore + 1; }, 5000))
        round.workerGoneMs = MsSince(allIn);
    round.threadsAfter = OwnThreadCount();
    PumpFor(300);
    round.after = OwnMemory();
    {
        AnswerProbe probe(page.m_hWnd);
        PumpFor(static_cast<DWORD>(std::min(round.detailsMs - round.rowsMs, 10000.0)));
        round.idle = Summarise(probe.Stop());
    }
    for (std::size_t id = 0; id < page.m_rows.Size(); ++id) {
        const std::wstring& publisher = page.m_rows.Row(id).publisher;
        round.verified += publisher.rfind(L"(Verified)", 0) == 0 ? 1 : 0;
        round.notVerified += publisher.rfind(L"(Not verified)", 0) == 0 ? 1 : 0;
        round.missing += publisher == L"(File not found)" ? 1 : 0;
    }
    CloseQuorvaneWindow();
    return round;
}

std::string WorkerGone(double ms)
{
    if (ms < 0)
        return "STILL RUNNING 5 s after the last detail";
    char text[64];
    std::snprintf(text, sizeof(text), "gone %.0f ms after the last detail", ms);
    return text;
}

// "median (least to most)" of a figure over the openings.
std::string Spread(std::vector<double> values)
{
    if (values.empty())
        return "-";
    std::sort(values.begin(), values.end());
    char text[64];
    std::snprintf(text, sizeof(text), "%.1f (%.1f to %.1f)", values[values.size() / 2], values.front(),
                  values.back());
    return text;
}

} // namespace

void MeasureStartupDetails(int entries, int files, int rounds)
{
    const ScratchFolder programs;
    int signedFiles = 0;
    int missingFiles = 0;
    const std::vector<std::wstring> paths = MakeProgramFiles(programs, files, signedFiles, missingFiles);
    const std::vector<CertificateSettings> certificateSettings = OpenCertificateSettings();
    RegistrySandbox sandbox;
    StartupFolderSandbox folders;
    const bool copied = CopyCertificateSettings(certificateSettings, sandbox.MachineRoot());
    const bool trusted = copied && TrustTestAuthority(ThisProgramDirectoryW() + L"signed-fixtures\\trusted-root.cer");
    WriteEntries(paths, entries);

    std::printf("start-up details: %d entries over %d program files (%d signed, %d missing; test authority "
                "trusted: %s), %d openings of the window\n",
                entries, files, signedFiles, missingFiles, trusted ? "yes" : "no", rounds);
    std::vector<double> rows, details, longest, idleLongest, grown;
    for (int i = 0; i < rounds; ++i) {
        const Round round = OpenOnce();
        rows.push_back(round.rowsMs);
        details.push_back(round.detailsMs);
        longest.push_back(round.filling.longest);
        idleLongest.push_back(round.idle.longest);
        grown.push_back(round.after.privateBytes - round.atRows.privateBytes);
        std::printf("  opening %d: rows %7.1f ms, every detail %8.1f ms\n", i + 1, round.rowsMs, round.detailsMs);
        for (const auto& [when, answers] : {std::pair<const char*, const Answers&>{"while filling", round.filling},
                                            {"idle page", round.idle}})
            std::printf("             answers %-13s: longest %5.1f ms (answer %zu), %zu of %zu took 50 ms or more, "
                        "mean %.2f ms, 99th percentile %.1f ms\n",
                        when, answers.longest, answers.longestAt, answers.slow, answers.count, answers.mean,
                        answers.p99);
        std::printf("             threads before the window %d, at most %d while filling, %d after (the sampling "
                    "worker; details worker %s)\n",
                    round.threadsBefore, round.threadsMost, round.threadsAfter, WorkerGone(round.workerGoneMs).c_str());
        std::printf("             private bytes (resident), MiB: before the window %.1f (%.1f), at the rows %.1f (%.1f), "
                    "at most %.1f (%.1f) while filling, %.1f (%.1f) after\n",
                    round.before.privateBytes, round.before.resident, round.atRows.privateBytes,
                    round.atRows.resident, round.fillingMemory.privateBytes, round.fillingMemory.resident,
                    round.after.privateBytes, round.after.resident);
        std::printf("             publishers: %d verified, %d not verified, %d files not found\n", round.verified,
                    round.notVerified, round.missing);
    }
    std::printf("  median (least to most) of %d openings, ms:\n", rounds);
    std::printf("    rows                          %s\n", Spread(rows).c_str());
    std::printf("    every detail                  %s\n", Spread(details).c_str());
    std::printf("    longest answer while filling  %s\n", Spread(longest).c_str());
    std::printf("    longest answer, idle page     %s\n", Spread(idleLongest).c_str());
    std::printf("  private bytes grown from the rows to every detail, MiB: %s\n", Spread(grown).c_str());
}
