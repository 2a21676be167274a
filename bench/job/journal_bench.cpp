// The journal's cost: what noting one record costs the GUI thread (the sync runs on a thread of
// its own), as a share of the time between two records at the line rate; and a restore of a
// 10,001-record job against a replay of the same capture through the receive path.

#include "acquisition/capture_port.h"
#include "acquisition/record_framer.h"
#include "tracing/tracing_session.h"
#include "bench/support/replay_capture.h"
#include "bench/support/run_benchmarks.h"
#include "bench/support/thread_cpu.h"
#include "bench/support/typical_capture.h"
#include "job/job_journal.h"
#include "tools/replay/headless_view.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>

namespace digitrace {
namespace {

// 19 characters and a carriage return at 960 characters a second.
constexpr double kRecordInterval = 20.0 / 960.0;

using bench::threadCpuSeconds;

double notePerRecord = 0, restoreSeconds = 0, replaySeconds = 0;

void noteRecord(benchmark::State &state) {
    QTemporaryDir dir;
    TraceModel model;
    JobJournal job(model);
    job.attach(JournalSlot::Choice::AvoidUnsaved, dir.path(), nullptr);
    job.discardPrevious();
    const QStringList records = RecordFramer().feed(bench::typicalCapture(kSlotCount));
    qsizetype i = 0;
    const double start = threadCpuSeconds();
    for (auto _ : state) {
        job.apply(entry::Record{records[i]});
        i = (i + 1) % records.size();
    }
    notePerRecord = (threadCpuSeconds() - start) / double(state.iterations());
    job.finish();
}

QByteArray jobOf(const QByteArray &capture) {
    QByteArray journal = journalHeaderLine();
    journal += encodeEntry(entry::Connect{true, 1000, QStringLiteral("1000")});
    for (const QString &record : RecordFramer().feed(capture))
        journal += encodeEntry(entry::Record{record});
    return journal;
}

void restore(benchmark::State &state) {
    const QByteArray journal = jobOf(bench::typicalCapture(kSlotCount));
    TraceModel model;
    model.setHalfSize(299.5f, 173.5f);
    const double start = threadCpuSeconds();
    for (auto _ : state)
        if (replayJournal(journal, model).entries != kSlotCount + 1)
            state.SkipWithError("not every entry was replayed");
    restoreSeconds = (threadCpuSeconds() - start) / double(state.iterations());
}

void replay(benchmark::State &state) {
    QByteArray capture = bench::typicalCapture(kSlotCount);
    TraceModel model;
    model.setHalfSize(299.5f, 173.5f);
    HeadlessView view(model.store(), QStringLiteral("1000"), std::nullopt);
    const double start = threadCpuSeconds();
    for (auto _ : state) {
        bench::replayCapture(model, view, capture);
    }
    replaySeconds = (threadCpuSeconds() - start) / double(state.iterations());
}

} // namespace
} // namespace digitrace

int main(int argc, char **argv) {
    using namespace digitrace;
    QCoreApplication app(argc, argv);
    // The file grows by an entry per iteration: a fixed count keeps it to a few megabytes.
    benchmark::RegisterBenchmark("JournalNoteRecord", noteRecord)->Iterations(100000);
    benchmark::RegisterBenchmark("Restore10001", restore)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Replay10001", replay)->Unit(benchmark::kMillisecond);
    if (!bench::runBenchmarks(argc, argv))
        return 1;
    std::printf("\nJournal per record on the GUI thread / line-rate interval (20.8 ms): %.5f "
                "(target <= 0.05)\n",
                notePerRecord / kRecordInterval);
    std::printf("Restore of 10,001 records / replay of the same capture: %.2f (target <= 1.5)\n",
                restoreSeconds / replaySeconds);
    return 0;
}
