// A connection's records through the session and the renderer onto an image, as the window takes
// them: a fast line hands over a thousand records at a time, each batch once the last is taken,
// and the session takes them in slices between turns of the event loop. Prints the time for
// 20,000 records, the last 9,999 refused since the table is full, over the time for the first
// 10,000; and the longest the event loop had to wait for a turn.

#include "acquisition/memory_port.h"
#include "bench/support/run_benchmarks.h"
#include "bench/support/thread_cpu.h"
#include "bench/support/typical_capture.h"
#include "display/image_surface.h"
#include "display/renderer.h"
#include "tests/support/tracing_connection.h"
#include "tracing/tracing_session.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <map>

namespace digitrace {
namespace {

constexpr int kBatchRecords = 1000;
constexpr int kRecordBytes = 20; // X and Y of 9 characters, the code, the carriage return
const QSize kAreaSize(600, 350);

// The window's part in taking a record: the repaint onto its image.
class PaintingView {
public:
    PaintingView(const TraceStore &store, TracingSession &session) : renderer_(store, surface_) {
        QObject::connect(&session, &TracingSession::connected, &session,
                         [this] { surface_.setBackColor(kConnectedBackground); });
        QObject::connect(&session, &TracingSession::recordTaken, &session, [this](RecordOutcome o) {
            renderer_.Redraw(kConnectedBackground);
            refused += isRefused(o);
        });
        QObject::connect(&session.reception(), &Reception::problem, &session,
                         [this] { ++problems; });
    }

    int problems = 0;
    int refused = 0;

private:
    ImageSurface surface_{kAreaSize};
    Renderer renderer_;
};

struct Figures {
    double cpuSecondsPerRun = 0;
    double longestWaitMs = 0;
};
std::map<int, Figures> figures;

void takeRecords(benchmark::State &state, int records) {
    const QByteArray capture = bench::typicalCapture(records);
    double cpuSeconds = 0;
    double longestWaitMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TraceModel model;
        model.setHalfSize(kAreaSize.width() / 2.0f, kAreaSize.height() / 2.0f);
        MemoryPort port;
        TracingSession session(port, model);
        PaintingView view(model.store(), session);
        session.connectTablet(test::at(1000));
        QEventLoop loop;
        int taken = 0;
        qsizetype delivered = 0;
        const auto deliverBatch = [&] {
            const qsizetype from = delivered;
            // Counted first: the session takes the first slice before deliver() returns.
            delivered = std::min<qsizetype>(from + kBatchRecords * kRecordBytes, capture.size());
            port.deliver(QByteArrayView(capture).sliced(from, delivered - from));
        };
        QObject::connect(&session, &TracingSession::recordTaken, [&] {
            if (++taken * kRecordBytes < delivered)
                return;
            if (delivered < capture.size())
                QTimer::singleShot(0, deliverBatch);
            else
                loop.quit();
        });
        // Ticks at every turn of the event loop: the gaps are how long a click would wait.
        QTimer turns;
        QElapsedTimer sinceLastTurn;
        QObject::connect(&turns, &QTimer::timeout, [&] {
            longestWaitMs = std::max(longestWaitMs, sinceLastTurn.nsecsElapsed() / 1e6);
            sinceLastTurn.start();
        });
        state.ResumeTiming();

        const double start = bench::threadCpuSeconds();
        turns.start(0);
        sinceLastTurn.start();
        QTimer::singleShot(0, deliverBatch);
        loop.exec();
        cpuSeconds += bench::threadCpuSeconds() - start;

        state.PauseTiming();
        if (taken != records || model.store().PtCount != std::min(records, kSlotCount) ||
            view.refused != std::max(0, records - kSlotCount) || view.problems != 0)
            state.SkipWithError("not every record was taken as expected");
        state.ResumeTiming();
    }
    state.counters["longest_wait_ms"] = longestWaitMs;
    figures[records] = {cpuSeconds / double(state.iterations()), longestWaitMs};
}

} // namespace
} // namespace digitrace

int main(int argc, char **argv) {
    using namespace digitrace;
    QCoreApplication app(argc, argv);
    constexpr int kFirst = kSlotCount - 1;
    constexpr int kWithRefused = 2 * kFirst;
    for (const int records : {kFirst, kWithRefused})
        benchmark::RegisterBenchmark(("TakeRecords/" + std::to_string(records)).c_str(),
                                     takeRecords, records)
            ->Unit(benchmark::kMillisecond);
    if (!bench::runBenchmarks(argc, argv))
        return 1;

    if (figures.count(kFirst) == 0 || figures.count(kWithRefused) == 0)
        return 0;
    const double ratio = figures[kWithRefused].cpuSecondsPerRun / figures[kFirst].cpuSecondsPerRun;
    std::printf("\n%d records, the last %d refused / the first %d (CPU time): %.2f (target <= 2: "
                "%s)\n",
                kWithRefused, kWithRefused - kSlotCount, kFirst, ratio,
                ratio <= 2 ? "met" : "MISSED");
    for (const int records : {kFirst, kWithRefused})
        std::printf("Longest wait for a turn of the event loop, %d records: %.1f ms\n", records,
                    figures[records].longestWaitMs);
    return 0;
}
