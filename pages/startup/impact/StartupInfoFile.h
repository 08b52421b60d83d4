#pragma once
// One log-on as Windows recorded it in a file of
// %windir%\System32\WDI\LogFiles\StartupInfo: each process started in the
// first 90 seconds, with its image, command line, CPU time and disk I/O.
// Read as SafeXml reads any document: a broken or hostile file is none.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct MeasuredProcess {
    std::wstring image;       // the Name attribute as recorded
    std::wstring commandLine;
    std::optional<std::uint64_t> cpuMicroseconds; // absent where unreadable
    std::optional<std::uint64_t> diskBytes;
};

constexpr std::size_t kLargestStartupInfoBytes = 4 * 1024 * 1024;
constexpr std::size_t kMostMeasuredProcesses = 4096;

// One log-on's processes; nothing when the bytes are not such a document (too large, not well formed, document type,
// other root, nested too deep, more than kMostMeasuredProcesses processes).
// A figure that is not a plain decimal number, is in a unit other than the
// documented one ("us" or "ms" for CPU, "bytes" for disk; none said is the
// documented one), overflows, or is absurd (CPU beyond 90 seconds on each of
// `processors`, disk beyond 1 TiB) is absent, as is one written twice.
std::optional<std::vector<MeasuredProcess>> ParseStartupInfo(const std::uint8_t* bytes, std::size_t size, unsigned processors);
