#pragma once

#include <benchmark/benchmark.h>

namespace digitrace::bench {

// Runs the registered benchmarks with the command line's options; false when it holds options
// Google Benchmark does not know.
inline bool runBenchmarks(int &argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return false;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return true;
}

} // namespace digitrace::bench
