// The details worker: every request answered once, each file examined once
// until it changes, no thread and no signature library left once the work is
// done, nothing done while it is held, work in shares on a thread lent to it,
// and a prompt stop.

#include "app/WorkerJobs.h"
#include "pages/startup/details/DetailsWorker.h"
#include "pages/startup/details/TrustLibraries.h"
#include "support/MessagePump.h"
#include "support/ProcessWindows.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <tlhelp32.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace {
constexpr UINT kDetailsReady = WM_APP + 7;

int ThreadsOfThisProcess()
{
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    int count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == ::GetCurrentProcessId();
    ::CloseHandle(snapshot);
    return count;
}

// A window that takes the worker's results when told to, and an examiner
// that counts the files it is asked about.
class WorkerFixture : public testing::Test {
protected:
    WorkerFixture()
    {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &WorkerFixture::WindowProc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"QuorvaneDetailsTestWindow";
        ::RegisterClassW(&windowClass);
        m_window = ::CreateWindowExW(0, windowClass.lpszClassName, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     windowClass.hInstance, nullptr);
        ::SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~WorkerFixture() override
    {
        m_worker.reset();
        ::DestroyWindow(m_window);
    }

    void StartWorker(DWORD examineMs = 0)
    {
        m_worker = std::make_unique<DetailsWorker>(m_window, kDetailsReady, [this, examineMs](const std::wstring& path) {
            {
                std::lock_guard<std::mutex> hold(m_lock);
                ++m_examined[path];
            }
            ++m_examinedTotal;
            ::Sleep(examineMs);
            FileDetails details;
            details.stamp = ReadFileStamp(path);
            details.companyName = L"examined";
            return details;
        });
    }

    int Examined(const std::wstring& path)
    {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_examined[path];
    }

    // Requests `commands` as the rows from `first` on and waits for every
    // answer, which comes only through the posted message.
    void RequestAndWait(std::size_t first, const std::vector<std::wstring>& commands)
    {
        std::vector<DetailsRequest> requests;
        for (std::size_t i = 0; i < commands.size(); ++i)
            requests.push_back({first + i, commands[i]});
        const std::size_t expected = m_results.size() + commands.size();
        m_worker->Request(std::move(requests));
        ASSERT_TRUE(PumpUntil([&] { return m_results.size() >= expected; }, 10000));
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<WorkerFixture*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message != kDetailsReady || !self)
            return ::DefWindowProcW(window, message, wParam, lParam);
        for (DetailsResult& result : self->m_worker->TakeResults())
            self->m_results.push_back(std::move(result));
        return 0;
    }

    ScratchFolder m_scratch;
    HWND m_window = nullptr;
    std::unique_ptr<DetailsWorker> m_worker;
    std::vector<DetailsResult> m_results;
    std::mutex m_lock;
    std::map<std::wstring, int> m_examined;
    std::atomic<int> m_examinedTotal{0};
};
} // namespace

TEST_F(WorkerFixture, AnswersEachRequestOnceExaminesEachFileOnceAndLeavesNoThread)
{
    const std::wstring a = m_scratch.Write(L"a.exe"), b = m_scratch.Write(L"b.exe");
    const int threadsBefore = ThreadsOfThisProcess();
    StartWorker();
    RequestAndWait(0, {L"\"" + a + L"\" /x", L"\"" + a + L"\"", L"\"" + b + L"\"", L"\"" + a + L"\" --other",
                       L"\"" + m_scratch.Path() + L"\\gone.exe\"", L""});

    ASSERT_EQ(m_results.size(), 6u);
    for (std::size_t row = 0; row < 6; ++row)
        EXPECT_EQ(m_results[row].row, row);
    EXPECT_EQ(m_results[0].programFile, a);
    EXPECT_EQ(m_results[3].details.companyName, L"examined");
    EXPECT_FALSE(m_results[4].details.stamp.exists);
    EXPECT_FALSE(m_results[5].details.stamp.exists);
    EXPECT_EQ(Examined(a), 1);
    EXPECT_EQ(Examined(b), 1);
    EXPECT_EQ(m_examinedTotal.load(), 2);

    // b grows: it is examined again; a is not.
    m_scratch.Write(L"b.exe", "longer now");
    RequestAndWait(6, {L"\"" + b + L"\"", L"\"" + a + L"\""});
    EXPECT_EQ(Examined(b), 2);
    EXPECT_EQ(Examined(a), 1);
    EXPECT_EQ(m_results.back().details.companyName, L"examined");

    // Once every answer is in, the worker's thread has ended.
    EXPECT_TRUE(PumpUntil([&] { return ThreadsOfThisProcess() <= threadsBefore; }, 5000))
        << ThreadsOfThisProcess() << " threads, " << threadsBefore << " before";
}

TEST_F(WorkerFixture, ReadsTheEntrysTimeForEveryRequestThoughTheFileIsKept)
{
    const std::wstring program = m_scratch.Write(L"a.exe"), shortcut = m_scratch.Write(L"a.lnk");
    EntryAddress address;
    address.file = shortcut;
    StartWorker();
    for (std::uint64_t time : {std::uint64_t{126256467060000000}, std::uint64_t{134412459550000000}}) {
        const FILETIME written{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
        const HANDLE file = ::CreateFileW(shortcut.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_TRUE(::SetFileTime(file, nullptr, nullptr, &written));
        ::CloseHandle(file);
        const std::size_t expected = m_results.size() + 1;
        m_worker->Request({{m_results.size(), program, [address] { return address; }}});
        ASSERT_TRUE(PumpUntil([&] { return m_results.size() == expected; }, 10000));
        EXPECT_EQ(m_results.back().changed, time);
    }
    EXPECT_EQ(Examined(program), 1);
}

TEST_F(WorkerFixture, ForgetsFilesThatTheLastSetDidNotName)
{
    const std::wstring a = m_scratch.Write(L"a.exe"), b = m_scratch.Write(L"b.exe");
    StartWorker();
    RequestAndWait(0, {a, b});
    m_worker->StartNewSet();
    RequestAndWait(2, {b});
    m_worker->StartNewSet();
    RequestAndWait(3, {a, b});
    EXPECT_EQ(Examined(a), 2);
    EXPECT_EQ(Examined(b), 1);
}

TEST_F(WorkerFixture, DestructionWhileBusyStopsAfterTheFileInHand)
{
    std::vector<DetailsRequest> requests;
    for (std::size_t i = 0; i < 40; ++i)
        requests.push_back({i, m_scratch.Write(L"f" + std::to_wstring(i) + L".exe")});
    StartWorker(20);
    m_worker->Request(std::move(requests));
    ASSERT_TRUE(PumpUntil([&] { return m_examinedTotal.load() >= 1; }, 5000));
    const int before = m_examinedTotal.load();
    m_worker.reset();
    EXPECT_LE(m_examinedTotal.load(), before + 1);
}

TEST_F(WorkerFixture, AHeldWorkerStartsOnlyWhenResumed)
{
    const std::wstring a = m_scratch.Write(L"a.exe");
    m_worker = std::make_unique<DetailsWorker>(
        m_window, kDetailsReady,
        [this](const std::wstring& path) {
            ++m_examinedTotal;
            FileDetails details;
            details.stamp = ReadFileStamp(path);
            return details;
        },
        true);
    m_worker->Request({{0, a}});
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(m_examinedTotal.load(), 0);
    EXPECT_TRUE(m_results.empty());
    m_worker->Resume();
    ASSERT_TRUE(PumpUntil([&] { return m_results.size() == 1; }, 10000));
    EXPECT_EQ(m_examinedTotal.load(), 1);
}

TEST_F(WorkerFixture, ARunKeepsTheSignatureLibrariesAndLetsGoOfThemWhenDone)
{
    const std::wstring fixtures = ThisProgramDirectoryW() + L"signed-fixtures\\";
    m_worker = std::make_unique<DetailsWorker>(m_window, kDetailsReady);
    m_worker->Request({{0, L"\"" + fixtures + L"trusted.exe\""}, {1, L"\"" + fixtures + L"untrusted.exe\""}});
    ASSERT_TRUE(PumpUntil([&] { return m_results.size() == 2; }, 20000));
    EXPECT_EQ(m_results[0].details.signature.state, SignatureState::Verified);
    EXPECT_EQ(m_results[1].details.signature.state, SignatureState::NotVerified);
    EXPECT_TRUE(PumpUntil([] { return !TrustLibraries::Loaded(); }, 5000));
}

namespace {
// A thread that lends itself to jobs in shares, as the sampling worker does.
class LentThread {
public:
    LentThread()
    {
        m_jobs.Open();
        m_thread = std::thread([this] {
            m_id = ::GetCurrentThreadId();
            while (!m_done) {
                if (::WaitForSingleObject(m_jobs.Waiting(), 10) == WAIT_OBJECT_0)
                    m_jobs.RunShare();
            }
            m_jobs.Close();
        });
    }
    ~LentThread() { Stop(); }
    void Stop()
    {
        m_done = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    DetailsWorker::Runner Runner()
    {
        return [this](DetailsWorker::Job job) { return m_jobs.Post(std::move(job)); };
    }
    DWORD Id() const { return m_id; }

private:
    WorkerJobs m_jobs;
    std::atomic<bool> m_done{false};
    std::atomic<DWORD> m_id{0};
    std::thread m_thread;
};
} // namespace

TEST_F(WorkerFixture, WorksInSharesOnALentThreadAndFallsBackToItsOwnWhenNoneIsLent)
{
    std::vector<DetailsRequest> requests;
    for (std::size_t i = 0; i < 12; ++i)
        requests.push_back({i, m_scratch.Write(L"f" + std::to_wstring(i) + L".exe")});
    LentThread lent;
    std::atomic<DWORD> examinedOn{0};
    std::atomic<int> otherThreads{0};
    const auto examine = [&](const std::wstring& path) {
        ::Sleep(8); // a few files a share
        const DWORD here = ::GetCurrentThreadId();
        if (examinedOn.exchange(here) != 0 && examinedOn.load() != here)
            ++otherThreads;
        ++m_examinedTotal;
        FileDetails details;
        details.stamp = ReadFileStamp(path);
        return details;
    };
    const int threadsBefore = ThreadsOfThisProcess();
    m_worker = std::make_unique<DetailsWorker>(m_window, kDetailsReady, examine, false, lent.Runner());
    m_worker->Request(requests);
    ASSERT_TRUE(PumpUntil([&] { return m_results.size() == 12; }, 10000));
    EXPECT_EQ(examinedOn.load(), lent.Id());
    EXPECT_EQ(otherThreads.load(), 0);
    EXPECT_EQ(ThreadsOfThisProcess(), threadsBefore) << "no thread of its own";

    // Destroyed while its job waits for shares: it stops after the file in hand.
    for (DetailsRequest& request : requests)
        request.command = L"\"" + request.command + L"\" /again";
    m_worker->StartNewSet();
    const int examinedBefore = m_examinedTotal.load();
    m_scratch.Write(L"f0.exe", "changed"); // one file to examine again
    m_worker->Request(requests);
    m_worker.reset();
    EXPECT_LE(m_examinedTotal.load(), examinedBefore + 1);

    // Once the lender ends, a job that waits is dropped, and the next request
    // finds the worker on a thread of its own: every request is answered.
    m_results.clear();
    examinedOn = 0;
    m_worker = std::make_unique<DetailsWorker>(m_window, kDetailsReady, examine, true, lent.Runner());
    m_worker->Request({requests.front()});
    m_worker->Resume();
    lent.Stop();
    m_worker->Request({requests.back()});
    ASSERT_TRUE(PumpUntil([&] { return m_results.size() == 2; }, 10000));
    EXPECT_NE(examinedOn.load(), lent.Id());
}
