#pragma once
// Finds and examines the program files behind start-up commands away from
// the page's thread, so that it never waits for a file or a signature: in
// shares of a few milliseconds on a thread that a runner lends (the program's
// sampling worker), else on a thread of its own. Either runs only while there
// is work, below the priority of the window's thread: the work ends when the
// last request is answered, letting go of the signature check's libraries,
// and starts again with the next one. A worker made held queues requests
// without starting until Resume: the page holds it while the window is being
// shown. Each file is examined once
// and kept by path, size and last-write time; a request for a known file
// only compares the size and time, and examines it again when they changed.
// Results are posted in batches: one message tells the window to take all
// that are ready. The time an entry last changed is read anew for every
// request: it is one call, and no kept file tells it.
//
// When a new set of requests (see StartNewSet) begins, the kept files that
// the last set did not name are forgotten: the cache holds at most the files
// of the last two readings of the page.

#include "pages/startup/actions/ShellActions.h"
#include "pages/startup/details/FileDetails.h"
#include "pages/startup/details/TrustLibraries.h"

#include <windows.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

struct DetailsRequest {
    std::size_t row = 0;
    std::wstring command;
    // Where the entry stands, its key or its file: found on the worker, since
    // finding some (a Startup folder's path) reads the registry. Empty: nowhere.
    std::function<EntryAddress()> address{};
};

struct DetailsResult {
    std::size_t row = 0;
    std::wstring programFile; // as ResolveProgramFile gives it
    FileDetails details;
    std::uint64_t changed = 0; // when the entry last changed (LastChangeTime), 0 where unknown
};

class DetailsWorker {
public:
    using Examiner = std::function<FileDetails(const std::wstring& path)>;
    // Runs a job in shares on another thread (as WorkerJobs does): false when
    // it cannot take the job now. Requests that wait when a job is dropped
    // are answered from the next request on.
    using Job = std::function<bool(bool dropped)>;
    using Runner = std::function<bool(Job job)>;

    // Posts `message` to `window` when results are ready; files are examined
    // with `examine`.
    DetailsWorker(HWND window, UINT message, Examiner examine = ExamineFile, bool held = false, Runner runner = {});
    // Stops once the file in hand is done, and waits for that.
    ~DetailsWorker();
    DetailsWorker(const DetailsWorker&) = delete;
    DetailsWorker& operator=(const DetailsWorker&) = delete;

    // Queues requests; each is answered once, in order. Never waits for the
    // work in hand.
    void Request(std::vector<DetailsRequest> requests);
    // A held worker starts on what was queued meanwhile.
    void Resume();
    // The requests from now on make a new set: the page is reading every row
    // again.
    void StartNewSet();
    // The results that are ready, oldest first; the next result posts anew.
    std::vector<DetailsResult> TakeResults();

private:
    struct Queued {
        DetailsRequest request;
        unsigned set = 0;
    };
    struct Kept {
        FileDetails details;
        FileStamp stamp; // as read before the examination
        unsigned set = 0; // the last set that asked for it
    };

    // Answers requests until none is left or the share's time is up; true
    // while more remain.
    bool RunShare(ULONGLONG shareMs);
    // On a thread of its own: shares until none is left.
    void Run();
    // The runner dropped the job: the work stops, the queue stays.
    bool Abandon();
    DetailsResult Answer(const Queued& queued);
    // Starts a thread on the queue unless one runs, the worker is held or
    // there is nothing to do.
    void StartIfIdle();

    const HWND m_window;
    const UINT m_message;
    const Examiner m_examine;
    const Runner m_runner;

    std::mutex m_lock; // guards the queue, the results, the set and the flags
    std::condition_variable m_idle; // told when the work stops
    std::deque<Queued> m_queue;
    std::vector<DetailsResult> m_results;
    unsigned m_set = 0;
    bool m_running = false; // a thread is working through the queue
    bool m_posted = false;  // the window has been told and has not taken yet
    bool m_stopping = false;
    bool m_held = false;

    std::thread m_thread; // started and joined by the owner's thread only

    // Used by the running share alone; one runs at a time, and each starts
    // after the last one let go of the lock.
    std::unordered_map<std::wstring, Kept> m_kept; // by upper-cased path
    unsigned m_keptSet = 0;
    ULONGLONG m_lastPost = 0;
    // Held from a run's first share to its end.
    std::unique_ptr<TrustLibraries::Keeper> m_keepTrust;
};
