// Reading a large team's catalogue (500 classes of 20 fields each) against the 50 ms an operator
// would not notice when a catalogue is loaded.

#include "bench/support/run_benchmarks.h"
#include "bench/support/thread_cpu.h"
#include "classes/class_catalogue.h"

#include <benchmark/benchmark.h>

#include <QString>

#include <cstdio>

namespace digitrace {
namespace {

constexpr double kNoticeableSeconds = 0.050;

double readSeconds = 0;

QString largeCatalogue() {
    QString text;
    for (int c = 0; c < 500; ++c) {
        text += QStringLiteral("[class %1]\nkind = polygon\ncolour = #%2\n")
                    .arg(c)
                    .arg(c * 33 % 0x1000000, 6, 16, QLatin1Char('0'));
        for (int f = 0; f < 20; ++f)
            text += f % 2 ? QStringLiteral("field = f%1 choice a|b|c default b required\n").arg(f)
                          : QStringLiteral("field = f%1 real default 100 step 5\n").arg(f);
    }
    return text;
}

void readCatalogue(benchmark::State &state) {
    const QString text = largeCatalogue();
    double cpu = 0;
    for (auto _ : state) {
        const double start = bench::threadCpuSeconds();
        benchmark::DoNotOptimize(ClassCatalogue::read(text));
        cpu += bench::threadCpuSeconds() - start;
    }
    readSeconds = cpu / double(state.iterations());
}

} // namespace
} // namespace digitrace

int main(int argc, char **argv) {
    using namespace digitrace;
    benchmark::RegisterBenchmark("ReadCatalogue500x20", readCatalogue)
        ->Unit(benchmark::kMillisecond);
    if (!bench::runBenchmarks(argc, argv))
        return 1;
    std::printf("\nReading 500 classes of 20 fields / 50 ms: %.3f (target <= 1: %s)\n",
                readSeconds / kNoticeableSeconds,
                readSeconds <= kNoticeableSeconds ? "met" : "MISSED");
    return 0;
}
