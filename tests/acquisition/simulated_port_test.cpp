#include "acquisition/simulated_port.h"
#include "tests/support/tracing_connection.h"
#include "tracing/tracing_session.h"

#include "fakes.h"
#include "tests/support/files.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>
#include <set>
#include <utility>

#include <sys/stat.h>

namespace digitrace {
namespace {

TEST(SimulatedPort, PlaysTheWholeCaptureInChunksOfVaryingSize) {
    const QByteArray capture = SimulatedPort::bundledSample();
    ASSERT_FALSE(capture.isEmpty());
    SimulatedPort port(capture);
    port.setSpeedFactor(1000);
    QByteArray received;
    std::set<qsizetype> sizes;
    QObject::connect(&port, &SerialPort::dataArrived, [&] {
        EXPECT_GT(port.bytesWaiting(), 0);
        const QByteArray chunk = port.readAll();
        sizes.insert(chunk.size());
        received += chunk;
    });
    QSignalSpy done(&port, &SimulatedPort::playedAll);
    ASSERT_TRUE(port.open(nullptr));
    ASSERT_TRUE(done.wait(20000));
    EXPECT_EQ(received, capture);
    EXPECT_GT(sizes.size(), 4u);
    EXPECT_EQ(port.bytesWaiting(), 0);
}

TEST(SimulatedPort, KeepsTheLineRate) {
    SimulatedPort port(QByteArray(96, '5')); // 0.1 s at 960 characters a second
    QSignalSpy done(&port, &SimulatedPort::playedAll);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(port.open(nullptr));
    ASSERT_TRUE(done.wait(5000));
    EXPECT_GE(clock.elapsed(), 100);
    EXPECT_EQ(port.readAll(), QByteArray(96, '5'));
}

TEST(SimulatedPort, EachOpenPlaysFromTheStart) {
    const QByteArray capture = SimulatedPort::bundledSample();
    SimulatedPort port(capture);
    port.setSpeedFactor(1000);
    QSignalSpy arrived(&port, &SerialPort::dataArrived);
    ASSERT_TRUE(port.open(nullptr));
    ASSERT_TRUE(arrived.wait(5000));
    port.close();
    EXPECT_EQ(port.bytesWaiting(), 0);
    EXPECT_TRUE(port.readAll().isEmpty());

    ASSERT_TRUE(port.open(nullptr));
    ASSERT_TRUE(arrived.wait(5000));
    const QByteArray chunk = port.readAll();
    EXPECT_FALSE(chunk.isEmpty());
    EXPECT_TRUE(capture.startsWith(chunk));
}

TEST(SimulatedPort, BundledSampleTracesAMapSheet) {
    QStringList log;
    TraceModel model(QLocale::c());
    model.setHalfSize(300, 175);
    SimulatedPort port(SimulatedPort::bundledSample());
    port.setSpeedFactor(1000);
    TracingSession session(port, model);
    test::FakeView view(log, model, session);
    QSignalSpy taken(&session, &TracingSession::recordTaken);
    QSignalSpy done(&port, &SimulatedPort::playedAll);
    ASSERT_TRUE(session.connectTablet(test::at(1000)));
    ASSERT_TRUE(done.wait(20000));

    const TraceStore &s = model.store();
    EXPECT_EQ(taken.count(), 168);
    int rejected = 0;
    for (const QList<QVariant> &signal : taken)
        rejected += signal[0].value<RecordOutcome>() == RecordOutcome::RejectedVertex;
    EXPECT_EQ(rejected, 1);
    EXPECT_EQ(s.PtCount, 167);
    EXPECT_EQ(s.PolyCount, 8);
    EXPECT_EQ(s.LineCount, 2);
    EXPECT_EQ(s.PointCount, 12);
    EXPECT_FALSE(s.SeqOpen);
    // A sheet of about 650 x 450 mm, in millimetres.
    EXPECT_GE(s.MinX, 100);
    EXPECT_LE(s.MaxX, 800);
    EXPECT_GE(s.MinY, 100);
    EXPECT_LE(s.MaxY, 600);
}

// Captures are read as they are played: a device without end plays, and what would stall the
// event loop is refused when opened.
TEST(SimulatedPort, PlaysCaptureFilesAsTheyAreRead) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("sheet.cap"));
    test::writeFile(file, SimulatedPort::bundledSample());
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    const struct {
        QString path;
        QByteArray plays; // the first bytes, when it plays
        QString refusal;
        QString failure; // while playing
    } cases[] = {
        {file, SimulatedPort::bundledSample(), {}, {}},
        {QStringLiteral("/dev/zero"), QByteArray(3 * 4096, '\0'), {}, {}},
        {QStringLiteral("/proc/self/mem"), {}, {}, QStringLiteral("could not be read")},
        {fifo, {}, QStringLiteral("pipe"), {}},
        {dir.path(), {}, QStringLiteral("folder"), {}},
        {dir.filePath(QStringLiteral("missing.cap")), {}, QStringLiteral("No such file"), {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        QString error;
        std::unique_ptr<QIODevice> source = SimulatedPort::openCapture(c.path, &error);
        if (!c.refusal.isEmpty()) {
            EXPECT_FALSE(source);
            EXPECT_TRUE(error.contains(c.refusal)) << error.toStdString();
            continue;
        }
        ASSERT_TRUE(source) << error.toStdString();
        SimulatedPort port(std::move(source));
        port.setSpeedFactor(1000);
        QByteArray received;
        QObject::connect(&port, &SerialPort::dataArrived, [&] { received += port.readAll(); });
        QSignalSpy arrived(&port, &SerialPort::dataArrived);
        QSignalSpy failed(&port, &SerialPort::failed);
        ASSERT_TRUE(port.open(nullptr));
        if (!c.failure.isEmpty()) {
            ASSERT_TRUE(failed.wait(5000));
            EXPECT_TRUE(failed[0][0].toString().contains(c.failure));
            EXPECT_FALSE(port.isOpen());
            continue;
        }
        while (received.size() < c.plays.size())
            ASSERT_TRUE(arrived.wait(5000)) << received.size() << " bytes arrived";
        EXPECT_TRUE(received.startsWith(c.plays));
        EXPECT_EQ(failed.count(), 0);
    }
}

} // namespace
} // namespace digitrace
