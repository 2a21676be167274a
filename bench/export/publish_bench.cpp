// Publishing a full table to PostGIS against ogr2ogr loading the same features in COPY mode, and
// the delay of live republishing while a sheet is traced at the line rate. Both run against a
// throwaway server of their own.

#include "bench/support/ratio_reporter.h"
#include "bench/support/typical_capture.h"
#include "export/gis_export.h"
#include "export/map_crs.h"
#include "export/publish_queue.h"
#include "tests/export/publish_samples.h"
#include "tests/export/sample_traces.h"
#include "tests/support/postgres_server.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <vector>

namespace {

using namespace digitrace;

// The line's 960 characters a second, 20 to a record.
constexpr double kRecordSeconds = 20.0 / 960.0;

QString &connection() {
    static QString db;
    return db;
}

const TraceStore &fullStore() {
    static const test::SampleTrace trace = test::fullTable();
    return trace.model.store();
}

void PublishFullTable(benchmark::State &state) {
    SheetPublication p =
        test::publicationOf(fullStore(), QStringLiteral("bench"), QStringLiteral("ann"));
    p.force = true;
    for (auto _ : state) {
        const PublishResult r = publishSheet(connection(), p);
        if (!r.ok())
            state.SkipWithError(qPrintable(r.error));
    }
}

// The same features as GeoJSON, loaded by ogr2ogr into a table it makes afresh each time.
void Ogr2ogrCopy(benchmark::State &state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("features.geojson"));
    const Registration registration = test::sampleRegistration();
    const GisExportOptions options{QStringLiteral("GeoJSON"),
                                   {registration.fit().transform, 1000},
                                   readMapCrs(registration.crs).wkt};
    if (const GisExportResult written = exportGis(fullStore(), options, path); !written.ok()) {
        state.SkipWithError(qPrintable(written.result.error));
        return;
    }
    const QStringList arguments = {QStringLiteral("--config"),
                                   QStringLiteral("PG_USE_COPY"),
                                   QStringLiteral("YES"),
                                   QStringLiteral("-f"),
                                   QStringLiteral("PostgreSQL"),
                                   connection(),
                                   path,
                                   QStringLiteral("-nln"),
                                   QStringLiteral("bench_ogr2ogr"),
                                   QStringLiteral("-overwrite")};
    for (auto _ : state) {
        QProcess ogr2ogr;
        ogr2ogr.start(QStringLiteral("ogr2ogr"), arguments);
        if (!ogr2ogr.waitForFinished(120000) || ogr2ogr.exitCode() != 0)
            state.SkipWithError(ogr2ogr.readAllStandardError().constData());
    }
}

BENCHMARK(PublishFullTable)->Repetitions(5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Ogr2ogrCopy)->Repetitions(5)->Unit(benchmark::kMillisecond)->UseRealTime();

// Records of a typical sheet taken at the line rate, each state handed to the live queue; for each
// record that ends a feature, the time until a publish holding it has committed.
double liveDelayMedian(int records) {
    test::SampleTrace trace;
    trace.model.ResetTrace();
    const QByteArray capture = bench::typicalCapture(records);
    SheetPublication p =
        test::publicationOf(trace.model.store(), QStringLiteral("live"), QStringLiteral("ann"));
    p.force = true;
    std::mutex mutex;
    QElapsedTimer clock;
    clock.start();
    std::vector<qint64> submitted;                 // ns, per submission
    std::vector<std::pair<int, qint64>> committed; // submissions covered, when
    PublishQueue queue(
        [&](const SheetPublication &state) {
            const int covers = state.store.PtCount;
            const PublishResult r = publishSheet(connection(), state);
            const std::lock_guard lock(mutex);
            if (r.ok())
                committed.emplace_back(covers, clock.nsecsElapsed());
            return r;
        },
        std::chrono::milliseconds(100));
    std::vector<int> closing;
    int features = 0;
    for (const QByteArray &record : capture.split('\r')) {
        if (record.isEmpty())
            continue;
        (void)trace.model.takeRecord(QString::fromLatin1(record));
        const TraceStore &now = trace.model.store();
        const int count = now.PointCount + now.LineCount + now.PolyCount;
        p.store = trace.model.store();
        {
            const std::lock_guard lock(mutex);
            submitted.push_back(clock.nsecsElapsed());
        }
        if (count != features)
            closing.push_back(p.store.PtCount);
        features = count;
        queue.submit(p);
        QThread::usleep(qint64(kRecordSeconds * 1e6));
    }
    QThread::sleep(3);
    std::vector<double> delays;
    const std::lock_guard lock(mutex);
    for (const int slot : closing) {
        const auto done = std::find_if(committed.begin(), committed.end(),
                                       [&](const auto &c) { return c.first >= slot; });
        if (done != committed.end())
            delays.push_back(double(done->second - submitted[std::size_t(slot - 1)]) / 1e9);
    }
    if (delays.empty())
        return -1;
    std::sort(delays.begin(), delays.end());
    return delays[delays.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    test::PostgresServer server;
    if (const QString error = server.start();
        !error.isEmpty() ||
        !server.createDatabase(QStringLiteral("bench"), &connection()).isEmpty()) {
        std::fprintf(stderr, "cannot start a database server: %s\n", qPrintable(error));
        return 1;
    }
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("\n");
    reporter.printRatio("Publish of 10,001 records / ogr2ogr -f PostgreSQL (COPY)",
                        "PublishFullTable/repeats:5/real_time", "Ogr2ogrCopy/repeats:5/real_time",
                        1.0);
    const double delay = liveDelayMedian(1000);
    std::printf("%-60s %8.4f s (target <= 0.50: %s)\n",
                "Live republish, closing record to committed sheet, median", delay,
                delay >= 0 && delay <= 0.5 ? "met" : "MISSED");
    return 0;
}
