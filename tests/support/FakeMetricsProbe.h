#pragma once
// A metrics probe whose every figure the test sets.

#include "metrics/SystemMetrics.h"

#include <memory>
#include <mutex>

struct FakeMetricsState {
    std::mutex lock;
    unsigned int processes = 0;
    CpuTimes cpu;
    // Added to cpu after each reading, so that every interval has the same load.
    CpuTimes cpuStep;
    MemoryFigures memory;
    std::vector<DriveFigures> drives;
    int memoryReads = 0;
    int cpuReads = 0;
};

class FakeMetricsProbe : public MetricsProbe {
public:
    explicit FakeMetricsProbe(std::shared_ptr<FakeMetricsState> state) : m_state(std::move(state)) {}

    unsigned int CountProcesses() override;
    bool ReadCpuTimes(CpuTimes& times) override;
    bool ReadMemory(MemoryFigures& figures) override;
    std::vector<DriveFigures> ReadDrives() override;

private:
    std::shared_ptr<FakeMetricsState> m_state;
};
