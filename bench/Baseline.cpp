#include "Baseline.h"

#include <windows.h>

namespace {
std::string Variable(const char* name)
{
    char value[1024] = {};
    const DWORD length = ::GetEnvironmentVariableA(name, value, sizeof(value));
    return length > 0 && length < sizeof(value) ? std::string(value, length) : std::string();
}
} // namespace

BaselineProgram Baseline()
{
    const std::string path = Variable("QUORVANE_BENCH_BASELINE_PROGRAM");
    if (path.empty() || ::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return {};
    std::string name = Variable("QUORVANE_BENCH_BASELINE_NAME");
    return {"\"" + path + "\"", name.empty() ? "baseline" : name};
}
