#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace digitrace::bench {

// Which time the ratios compare: CPU time varies less on a shared machine when the code under test
// runs on one thread; real time counts what a thread of the library or the disk adds.
enum class Clock { Real, Cpu };

// Console output as usual, keeping each benchmark's mean time per iteration over its runs so
// that a main can print the ratios it is judged by.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(Clock clock = Clock::Real) : clock_(clock) {}

    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                Mean &m = means_[run.benchmark_name()];
                m.sum +=
                    clock_ == Clock::Cpu ? run.GetAdjustedCPUTime() : run.GetAdjustedRealTime();
                ++m.count;
            }
        ConsoleReporter::ReportRuns(runs);
    }

    void printRatio(const std::string &label, const std::string &numerator,
                    const std::string &denominator, double target) const {
        const auto n = means_.find(numerator);
        const auto d = means_.find(denominator);
        if (n == means_.end() || d == means_.end()) {
            std::printf("%-60s not measured in this run\n", label.c_str());
            return;
        }
        const double ratio = (n->second.sum / n->second.count) / (d->second.sum / d->second.count);
        std::printf("%-60s %8.4f  (target <= %.2f: %s)\n", label.c_str(), ratio, target,
                    ratio <= target ? "met" : "MISSED");
    }

private:
    Clock clock_;
    struct Mean {
        double sum = 0;
        int count = 0;
    };
    std::map<std::string, Mean> means_;
};

} // namespace digitrace::bench
