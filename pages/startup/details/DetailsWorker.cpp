#include "pages/startup/details/DetailsWorker.h"

#include "app/StartupSteps.h"
#include "pages/startup/details/EntryTime.h"
#include "pages/startup/details/NativeFilePath.h"
#include "pages/startup/details/ProgramResolver.h"
#include "pages/startup/details/TrustLibraries.h"

#include <system_error>
#include <utility>

namespace {
// Results wait at most this long for others to share their message, while
// more requests are queued.
constexpr ULONGLONG kBatchMs = 50;
// A share on a lent thread: short beside the samples it runs between.
constexpr ULONGLONG kShareMs = 20;
constexpr ULONGLONG kWholeRun = ~0ull;
} // namespace

DetailsWorker::DetailsWorker(HWND window, UINT message, Examiner examine, bool held, Runner runner)
    : m_window(window), m_message(message), m_examine(std::move(examine)), m_runner(std::move(runner)), m_held(held)
{
}

DetailsWorker::~DetailsWorker()
{
    {
        std::unique_lock<std::mutex> hold(m_lock);
        m_stopping = true;
        m_queue.clear();
        // A share in hand ends after its file; a job that waits with the
        // runner ends at its next share, or is dropped.
        m_idle.wait(hold, [this] { return !m_running; });
    }
    if (m_thread.joinable())
        m_thread.join();
}

void DetailsWorker::Request(std::vector<DetailsRequest> requests)
{
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (m_stopping)
            return;
        for (DetailsRequest& request : requests)
            m_queue.push_back({std::move(request), m_set});
    }
    StartIfIdle();
}

void DetailsWorker::Resume()
{
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_held = false;
    }
    StartIfIdle();
}

void DetailsWorker::StartIfIdle()
{
    std::thread ended;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (m_stopping || m_held || m_running || m_queue.empty())
            return;
        m_running = true;
        // A thread from an earlier run has let go of everything and is only
        // returning; joining it costs no wait for a file.
        ended = std::move(m_thread);
    }
    if (ended.joinable())
        ended.join();
    if (m_runner && m_runner([this](bool dropped) { return dropped ? Abandon() : RunShare(kShareMs); }))
        return;
    try {
        m_thread = std::thread(&DetailsWorker::Run, this);
    } catch (const std::system_error&) {
        // The queue stays; the next request tries again.
        std::lock_guard<std::mutex> hold(m_lock);
        m_running = false;
        m_idle.notify_all();
    }
}

void DetailsWorker::StartNewSet()
{
    std::lock_guard<std::mutex> hold(m_lock);
    ++m_set;
}

std::vector<DetailsResult> DetailsWorker::TakeResults()
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_posted = false;
    return std::exchange(m_results, {});
}

void DetailsWorker::Run()
{
    // The window's thread comes first: it draws what the user sees.
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    while (RunShare(kWholeRun)) {
    }
}

bool DetailsWorker::RunShare(ULONGLONG shareMs)
{
    // Loaded at the first signed file, the signature check's libraries serve
    // the whole run and are let go with it.
    if (!m_keepTrust)
        m_keepTrust = std::make_unique<TrustLibraries::Keeper>();
    const ULONGLONG start = ::GetTickCount64();
    for (;;) {
        Queued queued;
        {
            std::unique_lock<std::mutex> hold(m_lock);
            if (m_stopping || m_queue.empty()) {
                std::unique_ptr<TrustLibraries::Keeper> release = std::move(m_keepTrust);
                m_running = false;
                m_idle.notify_all();
                // From here on this share touches nothing of the object.
                hold.unlock();
                return false;
            }
            if (::GetTickCount64() - start >= shareMs)
                return true;
            queued = std::move(m_queue.front());
            m_queue.pop_front();
        }
        DetailsResult result = Answer(queued);
        const ULONGLONG now = ::GetTickCount64();
        bool post = false;
        {
            std::lock_guard<std::mutex> hold(m_lock);
            m_results.push_back(std::move(result));
            post = !m_posted && (m_queue.empty() || now - m_lastPost >= kBatchMs);
            m_posted = m_posted || post;
        }
        if (post) {
            m_lastPost = now;
            if (!::PostMessageW(m_window, m_message, 0, 0)) {
                std::lock_guard<std::mutex> hold(m_lock);
                m_posted = false;
            }
        }
    }
}

bool DetailsWorker::Abandon()
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_keepTrust.reset();
    m_running = false;
    m_idle.notify_all();
    return false;
}

DetailsResult DetailsWorker::Answer(const Queued& queued)
{
    if (queued.set != m_keptSet) {
        // A new set: forget the files that neither it nor the last one named.
        for (auto kept = m_kept.begin(); kept != m_kept.end();)
            kept = kept->second.set < m_keptSet ? m_kept.erase(kept) : std::next(kept);
        m_keptSet = queued.set;
    }
    DetailsResult result;
    result.row = queued.request.row;
    {
        const StartupWorkTimer timer("details: entry's time");
        result.changed = queued.request.address ? LastChangeTime(queued.request.address()) : 0;
    }
    {
        const StartupWorkTimer timer("details: program file found");
        result.programFile = ResolveProgramFile(queued.request.command);
    }
    FileStamp stamp;
    {
        const StartupWorkTimer timer("details: file's size and time");
        stamp = ReadFileStamp(result.programFile);
    }
    const std::wstring key = FileKey(result.programFile);
    if (!stamp.exists) {
        m_kept.erase(key);
        return result;
    }
    const auto known = m_kept.find(key);
    if (known != m_kept.end() && known->second.stamp == stamp) {
        known->second.set = queued.set;
        result.details = known->second.details;
        return result;
    }
    result.details = m_examine(result.programFile);
    m_kept[key] = {result.details, stamp, queued.set};
    return result;
}
