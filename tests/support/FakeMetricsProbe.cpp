#include "FakeMetricsProbe.h"

unsigned int FakeMetricsProbe::CountProcesses()
{
    std::lock_guard<std::mutex> guard(m_state->lock);
    return m_state->processes;
}

bool FakeMetricsProbe::ReadCpuTimes(CpuTimes& times)
{
    std::lock_guard<std::mutex> guard(m_state->lock);
    ++m_state->cpuReads;
    times = m_state->cpu;
    m_state->cpu.idle += m_state->cpuStep.idle;
    m_state->cpu.kernel += m_state->cpuStep.kernel;
    m_state->cpu.user += m_state->cpuStep.user;
    return true;
}

bool FakeMetricsProbe::ReadMemory(MemoryFigures& figures)
{
    std::lock_guard<std::mutex> guard(m_state->lock);
    ++m_state->memoryReads;
    figures = m_state->memory;
    return true;
}

std::vector<DriveFigures> FakeMetricsProbe::ReadDrives()
{
    std::lock_guard<std::mutex> guard(m_state->lock);
    return m_state->drives;
}
