#pragma once
// What the start-up page asks of the sampling worker and takes back: readings
// of sources, and its rows matched with Windows' measurements of the recorded
// log-ons. Shared by the page and the jobs, which hold what they need, never
// the page.

#include "framework/UniqueHandle.h"
#include "pages/startup/impact/ImpactMatching.h"
#include "pages/startup/store/SourceSet.h"
#include "pages/startup/store/StartupStore.h"

#include <windows.h>

#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

// The page's columns, in order.
enum StartupColumn { kProgramColumn, kLocationColumn, kPathColumn, kPublisherColumn, kImpactColumn, kTimeColumn };

// The rows' figures matched on the sampling worker with Windows'
// measurements, a log-on at a time, with what the rows were matched by.
struct ImpactReading {
    bool accessDenied = false;
    std::vector<std::size_t> ids;
    std::vector<ImpactEntry> entries;
    std::vector<std::optional<ImpactFigures>> figures;
};

// A reading of sources done on the sampling worker, with the number of moves
// the page had made when it was asked.
struct BackgroundReading {
    SourceSet which;
    unsigned movesAsked = 0;
    std::vector<StartupEntry> entries;
    SourceSet failed;
    bool dropped = false; // the worker ended before it read them
};

struct BackgroundReadings {
    std::mutex lock;
    std::deque<BackgroundReading> done;
    // Set while `done` holds readings: what Save and Compare wait on.
    fw::UniqueKernelHandle waiting{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    // The rows' impact matched with Windows' measurements, once a reading is
    // done (nothing where the worker ended before it read them).
    bool impactDone = false;
    std::optional<ImpactReading> impact;
};
