// A team tracing into one server: several digitrace-replay --live processes, each on a sheet of
// its own, publish into a throwaway PostgreSQL at once. Reports what the server had to write and
// do per record and how long a record took to be committed.
//
//   team_bench [--operators N] [--records N] [--rate R|line] [--replay program]

#include "bench/support/typical_capture.h"
#include "tests/support/postgres_server.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

using namespace digitrace;

constexpr double kWalGoalKb = 20;
constexpr double kLatencyGoalMs = 500;

// The typical capture's 30,000 x 20,000 tablet units onto 3 x 2 km of the plane rectangular
// system.
constexpr char kControlPoints[] = "name,tablet_x,tablet_y,map_x,map_y,used\n"
                                  "A,0,0,-20000,-40000,1\n"
                                  "B,30000,0,-17000,-40000,1\n"
                                  "C,30000,20000,-17000,-38000,1\n"
                                  "D,0,20000,-20000,-38000,1\n";

struct Options {
    int operators = 20;
    int records = 10001;
    QString rate = QStringLiteral("line");
    QString replay = QStringLiteral(DIGITRACE_REPLAY);
};

std::optional<Options> readOptions(const QCoreApplication &app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Operators publishing live into one throwaway PostgreSQL server."));
    parser.addHelpOption();
    const QCommandLineOption operators(QStringLiteral("operators"),
                                       QStringLiteral("Replays at once, one sheet each."),
                                       QStringLiteral("n"), QStringLiteral("20"));
    const QCommandLineOption records(QStringLiteral("records"),
                                     QStringLiteral("Records of each sheet."), QStringLiteral("n"),
                                     QStringLiteral("10001"));
    const QCommandLineOption rate(
        QStringLiteral("rate"),
        QStringLiteral("Records a second each replay feeds, or \"line\" for 9600 baud."),
        QStringLiteral("rate"), QStringLiteral("line"));
    const QCommandLineOption replay(
        QStringLiteral("replay"),
        QStringLiteral("The digitrace-replay to run, e.g. a copy built before a change."),
        QStringLiteral("program"), QStringLiteral(DIGITRACE_REPLAY));
    parser.addOptions({operators, records, rate, replay});
    parser.process(app);
    Options o;
    bool operatorsOk = false, recordsOk = false;
    o.operators = parser.value(operators).toInt(&operatorsOk);
    o.records = parser.value(records).toInt(&recordsOk);
    o.rate = parser.value(rate);
    o.replay = parser.value(replay);
    if (!operatorsOk || !recordsOk || o.operators < 1 || o.records < 1 || o.records > 32000) {
        std::fprintf(stderr, "--operators wants 1 or more, --records 1 to 32000\n");
        return std::nullopt;
    }
    return o;
}

// CPU seconds a process and its reaped children have used.
double cpuSeconds(pid_t pid, bool withChildren) {
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray stat = file.readAll();
    // The fields after the command, which is in parentheses and may hold spaces.
    const QList<QByteArray> f = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (f.size() < 15)
        return 0;
    // utime, stime, cutime, cstime are fields 14 to 17 of the whole line.
    double ticks = f[11].toDouble() + f[12].toDouble();
    if (withChildren)
        ticks += f[13].toDouble() + f[14].toDouble();
    return ticks / double(sysconf(_SC_CLK_TCK));
}

pid_t parentOf(pid_t pid) {
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray stat = file.readAll();
    return pid_t(stat.mid(stat.lastIndexOf(')') + 2).split(' ').value(1).toInt());
}

// The server's CPU so far: the postmaster with the backends that ended, and those running.
double serverCpuSeconds(pid_t postmaster) {
    double seconds = cpuSeconds(postmaster, true);
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool isPid = false;
        const pid_t pid = pid_t(entry.toInt(&isPid));
        if (isPid && parentOf(pid) == postmaster)
            seconds += cpuSeconds(pid, false);
    }
    return seconds;
}

double percentile(std::vector<double> values, double share) {
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const auto rank = std::size_t(std::ceil(share * double(values.size())));
    return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

void printFigure(const char *label, double value, const char *unit, double goal = -1) {
    if (goal < 0)
        std::printf("%-52s %12.3f %s\n", label, value, unit);
    else
        std::printf("%-52s %12.3f %s (goal <= %g: %s)\n", label, value, unit, goal,
                    value >= 0 && value <= goal ? "met" : "MISSED");
}

int runTeam(const Options &o) {
    test::PostgresServer server;
    QString db;
    if (const QString error = server.start(); !error.isEmpty()) {
        std::fprintf(stderr, "cannot start a database server: %s\n", qPrintable(error));
        return 1;
    }
    if (const QString error = server.createDatabase(QStringLiteral("team"), &db);
        !error.isEmpty()) {
        std::fprintf(stderr, "cannot make the database: %s\n", qPrintable(error));
        return 1;
    }
    const auto query = [&](const QString &sql) { return server.sql(QStringLiteral("team"), sql); };
    const QString dataDir = query(QStringLiteral("SHOW data_directory"));
    QFile pidFile(dataDir + QStringLiteral("/postmaster.pid"));
    if (!pidFile.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read the server's process id from %s\n",
                     qPrintable(pidFile.fileName()));
        return 1;
    }
    const pid_t postmaster = pid_t(pidFile.readLine().trimmed().toInt());

    QTemporaryDir dir;
    const QString capture = dir.filePath(QStringLiteral("sheet.cap"));
    const QString points = dir.filePath(QStringLiteral("points.csv"));
    QFile captureFile(capture), pointsFile(points);
    if (!captureFile.open(QIODevice::WriteOnly) || !pointsFile.open(QIODevice::WriteOnly) ||
        captureFile.write(bench::typicalCapture(o.records)) < 0 ||
        pointsFile.write(kControlPoints) < 0) {
        std::fprintf(stderr, "cannot write the capture and control points to %s\n",
                     qPrintable(dir.path()));
        return 1;
    }
    captureFile.close();
    pointsFile.close();

    const QString rowsSql = QStringLiteral(
        "SELECT coalesce(sum(n_tup_ins + n_tup_upd + n_tup_del), 0) FROM pg_stat_user_tables");
    const QString walBefore = query(QStringLiteral("SELECT pg_current_wal_lsn()"));
    const double rowsBefore = query(rowsSql).toDouble();
    const double cpuBefore = serverCpuSeconds(postmaster);
    QElapsedTimer wall;
    wall.start();
    std::vector<std::unique_ptr<QProcess>> replays;
    for (int i = 1; i <= o.operators; ++i) {
        auto replay = std::make_unique<QProcess>();
        replay->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        replay->start(o.replay,
                      {QStringLiteral("--live"), o.rate, QStringLiteral("--publish"), db,
                       QStringLiteral("--sheet"), QStringLiteral("T-%1").arg(i, 2, 10, QChar(u'0')),
                       QStringLiteral("--operator"), QStringLiteral("op%1").arg(i),
                       QStringLiteral("--points"), points, QStringLiteral("--crs"),
                       QStringLiteral("EPSG:6677"), capture});
        replays.push_back(std::move(replay));
    }
    // On the event loop, so that every replay's output is read as it comes and none waits on a
    // full pipe.
    QEventLoop loop;
    int running = o.operators;
    for (const auto &replay : replays)
        QObject::connect(replay.get(), &QProcess::finished, &loop, [&] {
            if (--running == 0)
                loop.quit();
        });
    loop.exec();
    std::vector<double> latencies;
    int failed = 0;
    for (const auto &replay : replays) {
        if (replay->exitStatus() != QProcess::NormalExit || replay->exitCode() != 0)
            ++failed;
        bool first = true;
        for (const QByteArray &line : replay->readAllStandardOutput().split('\n')) {
            const QList<QByteArray> f = line.split('\t');
            if (f.size() != 4 || f[0] != "live")
                continue;
            // The first publish holds no record of the feed.
            if (!std::exchange(first, false))
                latencies.push_back(f[3].toDouble());
        }
    }
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    const double cpu = serverCpuSeconds(postmaster) - cpuBefore;
    // Each backend counts its rows into the statistics as its session ends.
    for (int tries = 0; tries < 100 && query(QStringLiteral("SELECT count(*) FROM pg_stat_activity "
                                                            "WHERE datname = 'team' AND pid <> "
                                                            "pg_backend_pid()")) != u"0";
         ++tries) {
    }
    const double wal =
        query(QStringLiteral("SELECT pg_wal_lsn_diff(pg_current_wal_lsn(), '%1')").arg(walBefore))
            .toDouble();
    const double rows = query(rowsSql).toDouble() - rowsBefore;
    const double records = double(o.operators) * o.records;

    std::printf("%d operator(s), %d record(s) each at %s, %.1f s, %d replay(s) failed\n",
                o.operators, o.records, qPrintable(o.rate), seconds, failed);
    printFigure("WAL per record", wal / records / 1024, "KB", kWalGoalKb);
    printFigure("Commit latency, record to committed row, median", percentile(latencies, 0.5),
                "ms");
    printFigure("Commit latency, record to committed row, p95", percentile(latencies, 0.95), "ms",
                kLatencyGoalMs);
    printFigure("Rows written per record", rows / records, "rows");
    printFigure("Server CPU share (of one core)", cpu / seconds, "");
    printFigure("Commits", double(latencies.size()), "");
    return failed == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const std::optional<Options> options = readOptions(app);
    return options ? runTeam(*options) : 1;
}
