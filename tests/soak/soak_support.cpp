#include "soak_support.h"

#include "tests/support/pseudo_terminal.h"
#include "tests/support/record_text.h"
#include "tests/support/tracing_connection.h"

#include <QAbstractEventDispatcher>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTimer>

#include <array>
#include <sstream>

#include <malloc.h>

namespace digitrace::test {
namespace {

// A line of /proc/self/status such as "VmRSS:     1234 kB", in KiB.
qint64 statusKiB(QByteArrayView field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

} // namespace

Capture randomRecords(int count, std::mt19937 &random) {
    std::uniform_int_distribution<int> tenths(-999'999, 9'999'999);
    // Starts, vertices and the end codes 0 and 3 to 9.
    std::discrete_distribution<int> kind({20, 35, 45});
    const std::array<int, 8> endCodes = {0, 3, 4, 5, 6, 7, 8, 9};
    std::uniform_int_distribution<std::size_t> endCode(0, endCodes.size() - 1);
    std::bernoulli_distribution lineFeed(0.5);

    Capture capture;
    capture.records.reserve(std::size_t(count));
    int previous = 0;
    for (int i = 0; i < count; ++i) {
        const double x = tenths(random) / 10.0;
        const double y = tenths(random) / 10.0;
        int code = 1;
        switch (kind(random)) {
        case 1:
            code = previous == 1 || previous == 2 ? 2 : 1;
            break;
        case 2:
            code = endCodes[endCode(random)];
            break;
        }
        previous = code;
        capture.records.push_back({float(x), float(y), float(code)});
        capture.bytes += recordText(x, y, code).toLatin1();
        if (lineFeed(random))
            capture.bytes += '\n';
    }
    return capture;
}

EntityCounts predictEntities(const std::vector<SentRecord> &records) {
    // A vertex draws the segment from the record before it. An end code after two vertices or more
    // in a row closes a polygon with one segment more, back to its start, and is drawn nowhere
    // itself; any other end code is a point of its own. A start is drawn only as a segment's end.
    EntityCounts counts;
    int verticesInARow = 0;
    for (const SentRecord &record : records) {
        const int code = int(record.code);
        if (code == 2) {
            ++counts.lines;
            ++verticesInARow;
            continue;
        }
        if (code != 1 && verticesInARow >= 2) {
            ++counts.polygons;
            ++counts.lines;
        } else if (code != 1) {
            ++counts.points;
        }
        verticesInARow = 0;
    }
    return counts;
}

std::string tableMismatch(const TraceStore &store, const std::vector<SentRecord> &records) {
    std::ostringstream out;
    out.precision(9); // enough to tell any two floats apart
    if (store.PtCount != qsizetype(records.size()))
        out << "PtCount " << store.PtCount << ", sent " << records.size() << "; ";
    const std::size_t common =
        std::min(records.size(), std::size_t(std::max(0, int(store.PtCount))));
    int shown = 0;
    for (std::size_t i = 0; i < common && shown < 5; ++i) {
        const SentRecord &r = records[i];
        if (store.Pt.X[i] == r.x && store.Pt.Y[i] == r.y && store.Pt.Code[i] == r.code)
            continue;
        out << "slot " << i << " holds " << store.Pt.X[i] << ' ' << store.Pt.Y[i] << ' '
            << store.Pt.Code[i] << ", sent " << r.x << ' ' << r.y << ' ' << r.code << "; ";
        ++shown;
    }
    return out.str();
}

void RecordingView::watch(TracingSession &session) {
    QObject::connect(&session, &TracingSession::connected, &session,
                     [this] { connectEnabled = !(disconnectEnabled = true); });
    QObject::connect(&session, &TracingSession::connectionEnded, &session,
                     [this] { connectEnabled = !(disconnectEnabled = false); });
    QObject::connect(&session.reception(), &Reception::problem, &session,
                     [this](const QString &message) { problems << message; });
    QObject::connect(&session, &TracingSession::recordTaken, &session,
                     [this](RecordOutcome outcome) {
                         if (isRefused(outcome))
                             refusals.push_back(outcome);
                     });
}

Receiver::Receiver(TraceModel &model, RecordingView &view) : session(port, model) {
    session.journal().attach(JournalSlot::Choice::AvoidUnsaved, journalFolder.path(), nullptr);
    session.journal().discardPrevious();
    view.watch(session);
    QObject::connect(&session, &TracingSession::recordTaken, [this](RecordOutcome outcome) {
        ++taken;
        lastOutcome = outcome;
    });
}

bool Receiver::connectTo(const PseudoTerminal &line) {
    port.setPortName(line.device());
    return line.isValid() && session.connectTablet(test::at(1000));
}

bool runUntil(const std::function<bool()> &done, int timeoutMs) {
    if (done())
        return true;
    QEventLoop loop;
    QTimer::singleShot(timeoutMs, &loop, [&loop] { loop.exit(1); });
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     &loop, [&] {
                         if (done())
                             loop.exit(0);
                     });
    return loop.exec() == 0;
}

qint64 residentKiB() {
    ::malloc_trim(0);
    return statusKiB("VmRSS:");
}

qint64 peakResidentKiB() {
    return statusKiB("VmHWM:");
}

bool resetPeakResident() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

int openDescriptors() {
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                   .size());
}

QString countDxfEntities(const QString &path) {
    QProcess python;
    // The interpreter the build found with ezdxf.
    python.start(QStringLiteral(DIGITRACE_PYTHON),
                 {QStringLiteral(DIGITRACE_COUNT_DXF_ENTITIES), path});
    if (!python.waitForFinished(120'000))
        return QStringLiteral("ezdxf did not finish: ") + python.errorString();
    if (python.exitStatus() != QProcess::NormalExit || python.exitCode() != 0)
        return QStringLiteral("ezdxf failed: ") + QString::fromUtf8(python.readAllStandardError());
    return QString::fromUtf8(python.readAllStandardOutput());
}

QByteArray ReadFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace digitrace::test
