// AddRecord at a full table, with the records that measure the longest sequence the table can
// hold: one open line of 10,000 vertices in slots 0 to 9,999, then a vertex or a closing record in
// the last slot. Prints each case's time per record as a share of one record's time at the line
// rate, 20 characters at 960 a second.

#include "model/trace_model.h"

#include "bench/support/run_benchmarks.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <numbers>
#include <string>

namespace digitrace {
namespace {

constexpr double kRecordBudgetSeconds = 20.0 / 960.0;
constexpr int kVertices = kSlotCount - 1;

QString recordText(double x, double y, int code) {
    return QStringLiteral("%1%2%3\r").arg(x, 9, 'f', 1).arg(y, 9, 'f', 1).arg(code);
}

// Vertex i of a circle of 10,000 vertices, so that lengths and the area are not trivial.
QString vertexRecord(int i, int code) {
    const double angle = 2 * std::numbers::pi * i / kVertices;
    return recordText(10000 + 5000 * std::cos(angle), 10000 + 5000 * std::sin(angle), code);
}

std::unique_ptr<TraceModel> openLineOfAllButOneSlot() {
    auto model = std::make_unique<TraceModel>();
    model->ResetTrace();
    model->setScaleDenom(1000);
    model->setHalfSize(299.5f, 173.5f);
    for (int i = 0; i < kVertices; ++i)
        model->takeRecord(vertexRecord(i, i == 0 ? 1 : 2));
    return model;
}

// What AddRecord may change besides the slot it writes, so that every iteration takes the same
// path.
void restore(TraceStore &s, const TraceStore &before) {
    s.PtCount = before.PtCount;
    s.PointCount = before.PointCount;
    s.LineCount = before.LineCount;
    s.PolyCount = before.PolyCount;
    s.SeqOpen = before.SeqOpen;
    s.SeqVertices = before.SeqVertices;
    s.SeqStart = before.SeqStart;
    s.viewExtent = before.viewExtent;
    s.MaxX = before.MaxX;
    s.MaxY = before.MaxY;
    s.MinX = before.MinX;
    s.MinY = before.MinY;
    s.ViewCx = before.ViewCx;
    s.ViewCy = before.ViewCy;
    s.ViewZoom = before.ViewZoom;
}

double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Each case's CPU time per record as a share of the budget, from its last (measured) run.
std::map<std::string, double> shares;

struct Case {
    std::string name;
    QString record;
    bool tableFull;
};

void addRecord(benchmark::State &state, const Case &c) {
    const auto model = openLineOfAllButOneSlot();
    TraceStore &s = model->unguardedStore();
    if (c.tableFull)
        s.PtCount = kSlotCount;
    const auto before = std::make_unique<TraceStore>(s);
    const double start = threadCpuSeconds();
    for (auto _ : state) {
        benchmark::DoNotOptimize(model->AddRecord(c.record));
        restore(s, *before);
    }
    shares[c.name] =
        (threadCpuSeconds() - start) / double(state.iterations()) / kRecordBudgetSeconds;
}

} // namespace
} // namespace digitrace

int main(int argc, char **argv) {
    using namespace digitrace;
    const Case cases[] = {
        {"vertex_after_10000_vertices", vertexRecord(kVertices, 2), false},
        {"close_after_10000_vertices", vertexRecord(kVertices, 3), false},
        {"start_in_last_slot", vertexRecord(kVertices, 1), false},
        {"refused_table_full", vertexRecord(0, 3), true},
    };
    for (const Case &c : cases)
        benchmark::RegisterBenchmark(("AddRecord/" + c.name).c_str(), addRecord, c)
            ->Unit(benchmark::kMicrosecond);
    if (!bench::runBenchmarks(argc, argv))
        return 1;

    std::printf("\nAddRecord time / one record at the line rate (%.1f ms):\n",
                kRecordBudgetSeconds * 1000);
    double worst = 0;
    for (const auto &[name, share] : shares) {
        std::printf("  %-30s %.3g\n", name.c_str(), share);
        worst = std::max(worst, share);
    }
    if (!shares.empty())
        std::printf("  %-30s %.3g (target < 1)\n", "worst case", worst);
    return 0;
}
