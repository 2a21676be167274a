// Replay throughput: a capture of 10,001 records through the capture port, the session and the
// trace model, as digitrace-replay runs it without a picture. Prints the characters taken per
// second as a multiple of the line rate, 960 characters a second.

#include "acquisition/capture_port.h"
#include "bench/support/replay_capture.h"
#include "bench/support/run_benchmarks.h"
#include "bench/support/thread_cpu.h"
#include "bench/support/typical_capture.h"
#include "tools/replay/headless_view.h"
#include "tracing/tracing_session.h"

#include <benchmark/benchmark.h>

#include <QBuffer>

#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <string>

namespace digitrace {
namespace {

constexpr double kLineRate = 960;

using bench::recordBytes;
using bench::threadCpuSeconds;

// One polygon of 10,000 vertices: every vertex measures the whole line so far.
QByteArray onePolygonCapture() {
    QByteArray capture;
    const int vertices = kSlotCount - 1;
    for (int i = 0; i < vertices; ++i) {
        const double angle = 2 * std::numbers::pi * i / vertices;
        capture += recordBytes(10000 + 5000 * std::cos(angle), 10000 + 5000 * std::sin(angle),
                               i == 0 ? 1 : 2);
    }
    return capture + recordBytes(10000, 10000, 3);
}

// Classes as a team would trace into: every feature takes one, with defaults for its values.
const QString kCatalogue = QStringLiteral("[建物]\nkind = polygon\ncolour = #d04040\n"
                                          "field = 階数 integer default 1\n"
                                          "field = 構造 choice 木造|鉄骨|RC default 木造\n"
                                          "[等高線]\nkind = line\n"
                                          "field = 標高 real default 100 step 5\n"
                                          "[基準点]\nkind = point\nfield = 名称 text\n");

// Each capture's characters per CPU second over the line rate, from its last (measured) run.
std::map<std::string, double> multiples;

void replay(benchmark::State &state, const std::string &name, QByteArray capture,
            const QString &catalogue, double snapMm) {
    TraceModel model;
    model.setHalfSize(299.5f, 173.5f);
    HeadlessView view(model.store(), QStringLiteral("1000"), std::nullopt);
    const double start = threadCpuSeconds();
    for (auto _ : state) {
        bench::replayCapture(model, view, capture, catalogue, snapMm);
        if (model.store().PtCount != kSlotCount)
            state.SkipWithError("not every record was taken");
    }
    const double characters = double(capture.size()) * double(state.iterations());
    state.SetBytesProcessed(int64_t(characters));
    multiples[name] = characters / (threadCpuSeconds() - start) / kLineRate;
}

} // namespace
} // namespace digitrace

int main(int argc, char **argv) {
    using namespace digitrace;
    const std::pair<std::string, QByteArray> captures[] = {
        {"typical", bench::typicalCapture(kSlotCount)}, {"one_polygon", onePolygonCapture()}};
    for (const auto &[name, capture] : captures)
        benchmark::RegisterBenchmark(("Replay10001/" + name).c_str(), replay, name, capture,
                                     QString(), 0.0)
            ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Replay10001/typical_classes", replay, "typical_classes",
                                 captures[0].second, kCatalogue, 0.0)
        ->Unit(benchmark::kMillisecond);
    // Wide enough, at a millimetre a unit, that a share of the presses land on what is traced.
    benchmark::RegisterBenchmark("Replay10001/typical_snap", replay, "typical_snap",
                                 captures[0].second, QString(), 5.0)
        ->Unit(benchmark::kMillisecond);
    if (!bench::runBenchmarks(argc, argv))
        return 1;

    std::printf("\nReplay throughput / line rate (%.0f characters/s):\n", kLineRate);
    for (const auto &[name, multiple] : multiples)
        std::printf("  %-16s %.0f (target > 1)\n", name.c_str(), multiple);
    if (multiples.count("typical") && multiples.count("typical_classes"))
        std::printf("Per-record time with classes / without, typical mix: %.3f (target <= 1.10)\n",
                    multiples["typical"] / multiples["typical_classes"]);
    if (multiples.count("typical") && multiples.count("typical_snap"))
        std::printf("Per-record time with snapping / without, typical mix: %.3f (target <= 2)\n",
                    multiples["typical"] / multiples["typical_snap"]);
    return 0;
}
