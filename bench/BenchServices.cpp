// Makes or removes the services of the benchmarks' start-up list, in the
// prefix's own Service Control Manager, as a Windows machine has them: of
// every three, one starts automatically (BenchServiceList.h).
//
// Usage: bench_services --make COUNT FOLDER   (FOLDER holds the bench's programs)
//        bench_services --remove COUNT

#include "bench/BenchServiceList.h"

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv)
{
    const bool make = argc == 4 && std::wcscmp(argv[1], L"--make") == 0;
    const bool remove = argc == 3 && std::wcscmp(argv[1], L"--remove") == 0;
    if (!make && !remove) {
        std::fprintf(stderr, "usage: bench_services --make COUNT FOLDER | --remove COUNT\n");
        return 2;
    }
    const int count = static_cast<int>(std::wcstol(argv[2], nullptr, 10));
    if (remove) {
        RemoveBenchServices(L"QuorvaneBench", count);
        return 0;
    }
    if (!MakeBenchServices(L"QuorvaneBench", count, 3, argv[3])) {
        std::fprintf(stderr, "bench_services: not every service could be made\n");
        return 1;
    }
    return 0;
}
