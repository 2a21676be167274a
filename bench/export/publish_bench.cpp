// Publishing a full table to PostGIS against ogr2ogr loading the same features in COPY mode, and
// the delay of live republishing while a sheet is traced at the line rate. Both run against a
// throwaway server of their own.

#include "bench/support/ratio_reporter.h"
#include "bench/support/typical_capture.h"
#include "export/gis_export.h"
#include "export/map_crs.h"
#include "export/publish_queue.h"
#include "registration/control_points_file.h"
#include "tests/export/publish_samples.h"
#include "tests/export/sample_traces.h"
#include "tests/support/postgres_server.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <optional>
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

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Records of a typical sheet taken at the line rate, each state handed to the live queue; for each
// record that ends a feature, the time until a publish holding it has committed.
double liveDelayMedian(int records) {
    test::SampleTrace trace;
    trace.model.ResetTrace();
    const QByteArray capture = bench::typicalCapture(records);
    SheetPublication p =
        test::publicationOf(trace.model.store(), QStringLiteral("live"), QStringLiteral("ann"));
    SheetPublisher publisher(connection());
    std::mutex mutex;
    QElapsedTimer clock;
    clock.start();
    std::vector<qint64> submitted;                 // ns, per submission
    std::vector<std::pair<int, qint64>> committed; // submissions covered, when
    std::vector<double> rows;                      // written by each publish
    PublishQueue queue(
        [&](const SheetPublication &state) {
            const int covers = state.store.PtCount;
            const PublishResult r = publisher.publish(state);
            const std::lock_guard lock(mutex);
            if (r.ok()) {
                committed.emplace_back(covers, clock.nsecsElapsed());
                rows.push_back(r.rowsDeleted + r.rowsInserted);
            }
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
    std::printf("Live publishes: %zu, feature rows written per publish %.1f (median, the first "
                "one whole)\n",
                rows.size(), median(rows));
    return median(delays);
}

struct ProcessTimes {
    double wall = 0;
    double cpu = 0; // user and system, of the process and the children it waited for
};

double seconds(const timeval &t) {
    return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

// Runs a program to its end; none when it failed, with what it said on standard error.
std::optional<ProcessTimes> timed(const QString &program, const QStringList &arguments) {
    rusage before{}, after{};
    getrusage(RUSAGE_CHILDREN, &before);
    QElapsedTimer clock;
    clock.start();
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program),
                     process.readAllStandardError().constData());
        return std::nullopt;
    }
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    getrusage(RUSAGE_CHILDREN, &after);
    return ProcessTimes{wall, seconds(after.ru_utime) - seconds(before.ru_utime) +
                                  seconds(after.ru_stime) - seconds(before.ru_stime)};
}

// The records of a trace as the tablet sent them.
QByteArray captureOf(const TraceStore &store) {
    QByteArray capture;
    for (int i = 0; i < store.PtCount; ++i)
        capture += bench::recordBytes(store.Pt.X[std::size_t(i)], store.Pt.Y[std::size_t(i)],
                                      wholeCode(store.Pt.Code[std::size_t(i)]));
    return capture;
}

// The whole process as an operator runs it: digitrace-replay taking a capture of 10,001 records,
// registering and publishing it, against ogr2ogr loading the same features from GeoJSON. The two
// run in turn, pair after pair, so that each pair sees the same machine; the medians of the pairs'
// ratios, of wall time and of CPU time.
void compareWholeProcesses(int pairs) {
    QTemporaryDir dir;
    const QString capture = dir.filePath(QStringLiteral("sheet.cap"));
    const QString points = dir.filePath(QStringLiteral("points.csv"));
    const QString geojson = dir.filePath(QStringLiteral("features.geojson"));
    QFile file(capture);
    if (!file.open(QIODevice::WriteOnly) || file.write(captureOf(fullStore())) < 0)
        return;
    file.close();
    QFile csv(points);
    if (!csv.open(QIODevice::WriteOnly) ||
        csv.write(formatControlPoints(test::sampleRegistration().points)) < 0)
        return;
    csv.close();
    const QString replay = QStringLiteral(DIGITRACE_REPLAY);
    const QStringList registered = {capture, QStringLiteral("--points"), points,
                                    QStringLiteral("--crs"), QStringLiteral("EPSG:6677")};
    if (!timed(replay, registered + QStringList{QStringLiteral("--gis"), geojson}))
        return;
    const QStringList publish =
        registered + QStringList{QStringLiteral("--publish"), connection(),
                                 QStringLiteral("--sheet"), QStringLiteral("whole"),
                                 QStringLiteral("--force")};
    const QStringList ogr2ogr = {QStringLiteral("--config"),
                                 QStringLiteral("PG_USE_COPY"),
                                 QStringLiteral("YES"),
                                 QStringLiteral("-f"),
                                 QStringLiteral("PostgreSQL"),
                                 connection(),
                                 geojson,
                                 QStringLiteral("-nln"),
                                 QStringLiteral("whole_ogr2ogr"),
                                 QStringLiteral("-overwrite")};
    std::vector<double> wall, cpu;
    ProcessTimes ours{}, theirs{};
    for (int i = 0; i < pairs; ++i) {
        const std::optional<ProcessTimes> a = timed(replay, publish);
        const std::optional<ProcessTimes> b = timed(QStringLiteral("ogr2ogr"), ogr2ogr);
        if (!a || !b)
            return;
        wall.push_back(a->wall / b->wall);
        cpu.push_back(a->cpu / b->cpu);
        ours = {ours.wall + a->wall / pairs, ours.cpu + a->cpu / pairs};
        theirs = {theirs.wall + b->wall / pairs, theirs.cpu + b->cpu / pairs};
    }
    std::printf("Whole process, %d pairs: digitrace-replay --publish %.0f ms wall, %.0f ms CPU; "
                "ogr2ogr %.0f ms wall, %.0f ms CPU (means)\n",
                pairs, ours.wall * 1e3, ours.cpu * 1e3, theirs.wall * 1e3, theirs.cpu * 1e3);
    for (const auto &[label, ratios] : {std::pair{"wall", wall}, std::pair{"CPU", cpu}}) {
        const double ratio = median(ratios);
        std::printf(
            "%-60s %8.4f  (target <= 1.00: %s)\n",
            qPrintable(QStringLiteral("Whole-process publish / ogr2ogr, %1, median of pairs")
                           .arg(QLatin1String(label))),
            ratio, ratio <= 1.0 ? "met" : "MISSED");
    }
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
    compareWholeProcesses(9);
    const double delay = liveDelayMedian(1000);
    std::printf("%-60s %8.4f s (target <= 0.50: %s)\n",
                "Live republish, closing record to committed sheet, median", delay,
                delay >= 0 && delay <= 0.5 ? "met" : "MISSED");
    return 0;
}
