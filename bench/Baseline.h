#pragma once
// The program of an earlier revision, measured beside today's in the same
// run: scripts/bench builds it when QUORVANE_BENCH_BASELINE names a revision
// and passes its path and name on.

#include <string>

struct BaselineProgram {
    std::string commandLine; // empty: no baseline in this run
    std::string name;        // for the figures, e.g. "Quorvane 38fc154"
};

BaselineProgram Baseline();
