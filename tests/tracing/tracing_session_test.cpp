#include "tests/support/tracing_connection.h"
#include "tracing/tracing_session.h"

#include "job/job_replay.h"
#include "model/numeric_value.h"
#include "tests/acquisition/fakes.h"
#include "tests/support/described_features.h"
#include "tests/support/record_text.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>

namespace digitrace {
namespace {

const QString kConnected = QStringLiteral("taken @%1");

QByteArray record(double x, double y, int code) {
    return test::recordText(x, y, code).toLatin1();
}

// The steps of Disconnect, with PtCount as the final redraw must see it.
QStringList disconnectSteps(int ptCount) {
    return {"close", QStringLiteral("ended @%1").arg(ptCount)};
}

class SessionTest : public testing::Test {
protected:
    SessionTest() {
        model.setDisplay(&display);
        model.setHalfSize(300, 175);
    }
    // Connects and forgets what that logged.
    void connectNow() {
        ASSERT_TRUE(session.connectTablet(test::at(1000)));
        log.clear();
    }
    float x(int slot) const { return model.store().Pt.X[std::size_t(slot)]; }

    const QByteArray first = record(10, 1, 1);
    const QByteArray second = record(20, 2, 2);
    const QByteArray third = record(30, 3, 2);
    const QByteArray fourth = record(40, 4, 4);

    QStringList log;
    TraceModel model{QLocale::c()};
    test::LoggingDisplay display{log};
    test::FakePort port{log};
    TracingSession session{port, model};
    test::FakeView view{log, model, session};
};

TEST_F(SessionTest, ConnectTakesItsStepsInOrder) {
    model.setScaleDenom(7);
    EXPECT_TRUE(session.connectTablet(test::at(1000)));
    EXPECT_EQ(log, QStringList({"settings 9600,e,7,1", "open", "reset", "connected 1"}));
    EXPECT_TRUE(session.isConnected());
    EXPECT_EQ(model.store().PtCount, 0);
    EXPECT_EQ(model.store().ScaleDenom, 1000.0f);

    port.deliver(first);
    log.clear();
    EXPECT_TRUE(session.connectTablet(test::at(1000)))
        << "a second connect must not restart the trace";
    EXPECT_TRUE(log.isEmpty());
    EXPECT_EQ(model.store().PtCount, 1);

    session.disconnectTablet();
    EXPECT_TRUE(session.connectTablet(test::at(1000, false)))
        << "continuing the job keeps its records";
    port.deliver(second);
    EXPECT_EQ(model.store().PtCount, 2);
    EXPECT_EQ(model.store().LineCount, 1);
}

TEST_F(SessionTest, PortThatWillNotOpenLeavesTheWindowDisconnected) {
    QSignalSpy ended(&session, &TracingSession::connectionEnded);
    port.setPortName(QStringLiteral("/dev/ttyUSB0"));
    port.setOpenError(QStringLiteral("Permission denied"));
    model.takeRecord(QString::fromLatin1(first.chopped(1)));
    log.clear();
    EXPECT_FALSE(session.connectTablet(test::at(1000)));
    EXPECT_EQ(model.store().PtCount, 1) << "the job is untouched";
    model.ResetTrace();
    log.clear();
    EXPECT_FALSE(session.connectTablet(test::at(1000)));
    EXPECT_EQ(log, QStringList({"settings 9600,e,7,1", "open",
                                "problem シリアルポート /dev/ttyUSB0 を開けませんでした。\n"
                                "Permission denied"}));
    EXPECT_FALSE(session.isConnected());

    log.clear();
    port.deliver(first);
    session.disconnectTablet();
    EXPECT_TRUE(log.isEmpty());
    EXPECT_EQ(model.store().PtCount, 0);
    EXPECT_EQ(ended.count(), 0);
}

struct ScaleCase {
    const char *text;
    float denom;
};

class ScaleTest : public SessionTest, public testing::WithParamInterface<ScaleCase> {};

TEST_P(ScaleTest, ScaleIsFixedAtConnect) {
    const QString text = QString::fromUtf8(GetParam().text);
    ASSERT_TRUE(session.connectTablet({text, scaleDenomFromText(text)}));
    EXPECT_EQ(model.store().ScaleDenom, GetParam().denom);
    port.deliver(first);
    EXPECT_EQ(model.store().ScaleDenom, GetParam().denom);
}

INSTANTIATE_TEST_SUITE_P(Texts, ScaleTest,
                         testing::Values(ScaleCase{"0", 1}, ScaleCase{"", 1}, ScaleCase{"abc", 1},
                                         ScaleCase{"-500", 500}, ScaleCase{"0.1", 1},
                                         ScaleCase{"0.11", 0.11f}, ScaleCase{" 2 500", 2500}));

TEST_F(SessionTest, EachRecordIsAddedCountedAndRedrawnAsItsLineEndArrives) {
    connectNow();
    QSignalSpy taken(&session, &TracingSession::recordTaken);
    port.deliver(first.first(7));
    EXPECT_TRUE(log.isEmpty());
    port.deliver(first.sliced(7) + second + "\n" + third.first(3));
    EXPECT_EQ(log, QStringList({kConnected.arg(1), kConnected.arg(2)}));
    port.deliver(third.sliced(3));
    EXPECT_EQ(model.store().PtCount, 3);
    EXPECT_EQ(x(0), 10.0f);
    EXPECT_EQ(x(1), 20.0f);
    EXPECT_EQ(x(2), 30.0f);
    EXPECT_EQ(model.store().LineCount, 1);
    EXPECT_EQ(taken.count(), 3);
}

TEST_F(SessionTest, RejectedFirstVertexStillEndsWithARepaint) {
    connectNow();
    QSignalSpy taken(&session, &TracingSession::recordTaken);
    port.deliver(second);
    EXPECT_EQ(model.store().PtCount, 0);
    EXPECT_EQ(log, QStringList{kConnected.arg(0)});
    ASSERT_EQ(taken.count(), 1);
    EXPECT_EQ(taken[0][0].value<RecordOutcome>(), RecordOutcome::RejectedVertex);
}

TEST_F(SessionTest, RefusedRecordsAreReportedAfterTheRepaint) {
    connectNow();
    port.deliver("     1e39      1.0 0\r");
    model.unguardedStore().PtCount = kSlotCount;
    port.deliver(first);
    EXPECT_EQ(log,
              QStringList({kConnected.arg(0),
                           QStringLiteral("refused %1").arg(int(RecordOutcome::RefusedOutOfRange)),
                           kConnected.arg(kSlotCount),
                           QStringLiteral("refused %1").arg(int(RecordOutcome::RefusedFull))}));
}

TEST_F(SessionTest, DisconnectMidRecordDropsThePartAndReconnectStartsAtSlotZero) {
    connectNow();
    QSignalSpy ended(&session, &TracingSession::connectionEnded);
    port.deliver(first + second.first(10));
    log.clear();
    session.disconnectTablet();
    EXPECT_EQ(log, disconnectSteps(1));
    EXPECT_FALSE(session.isConnected());
    EXPECT_EQ(ended.count(), 1);

    port.deliver(second.sliced(10));
    EXPECT_EQ(model.store().PtCount, 1);

    ASSERT_TRUE(session.connectTablet(test::at(1000)));
    port.deliver(fourth);
    EXPECT_EQ(model.store().PtCount, 1);
    EXPECT_EQ(x(0), 40.0f);
    EXPECT_EQ(model.store().PointCount, 1);
    EXPECT_EQ(model.store().LineCount, 0);
}

TEST_F(SessionTest, ClearAndBackBetweenRecordsActOnTheLiveTrace) {
    connectNow();
    port.deliver(first + fourth.first(5));
    EXPECT_EQ(model.store().PtCount, 1) << "an export now holds the finished records only";
    model.ResetTrace();
    port.deliver(fourth.sliced(5));
    EXPECT_EQ(model.store().PtCount, 1);
    EXPECT_EQ(x(0), 40.0f);

    port.deliver(first);
    model.dropLast();
    port.deliver(fourth);
    EXPECT_EQ(model.store().PtCount, 2);
    EXPECT_EQ(x(1), 40.0f);
}

// Values go to the feature a record began, as its class reads them, or not at all.
TEST_F(SessionTest, AttributesFitTheFeaturesClassOrChangeNothing) {
    ASSERT_TRUE(session.useCatalogue(QStringLiteral("[a]\nkind = point\nfield = n integer\n"
                                                    "field = s text\n")));
    connectNow();
    port.deliver(fourth);
    const struct {
        QVariantMap values;
        bool taken;
    } rows[] = {
        {{{"n", 3}}, true},
        {{{"m", 3}}, false},
        {{{"n", QStringLiteral("three")}}, false},
        {{{"s", QStringLiteral("two\nlines")}}, false},
    };
    for (const auto &row : rows)
        EXPECT_EQ(session.setAttributes(0, row.values), row.taken)
            << valuesText(row.values).toStdString();
    EXPECT_FALSE(session.setAttributes(1, {{"n", 4}})) << "no feature begins there";
    EXPECT_EQ(session.job().classes.features().value(0).values, (QVariantMap{{"n", qlonglong(3)}}));
}

// A press on a command button or a menu cell is that command, journalled as its effect, never a
// record; a replay of the journal ends with the same trace and classes.
TEST_F(SessionTest, CommandsFromButtonsAndMenuCellsActAndReplayAlike) {
    TabletFormat bitpad = *TabletFormat::named(u"bitpad-ascii");
    bitpad.buttons =
        *ButtonTable::fromText(u"1=1 2=2 3=3 5=5 7=next-class 8=class:等高線 9=up 10=down "
                               u"11=same 12=back 13=clear-undo 14=close-polygon");
    TabletMenu menu =
        *TabletMenu::read(QStringLiteral("size = 60 x 20\ngrid = 3 x 1\ncells = class:建物 | "
                                         "close-polygon |\narea = 9000 9000 9300 9100\n"));
    const auto press = [](int x, int y, int button) {
        return QStringLiteral("%1,%2,%3\r\n")
            .arg(x, 4, 10, QLatin1Char('0'))
            .arg(y, 4, 10, QLatin1Char('0'))
            .arg(button, 0, 16)
            .toUpper()
            .toLatin1();
    };
    const QByteArray polygon = press(10, 10, 1) + press(50, 10, 2) + press(50, 50, 2);
    const QByteArray contour = press(10, 60, 1) + press(90, 60, 2) + press(90, 90, 2);
    const struct {
        const char *name;
        QByteArray bytes;
        QStringList features; // slot, class and values of each
        int polygons;
        QStringList refused;
    } rows[] = {
        {"the first class by default, the next from a button",
         polygon + press(0, 0, 3) + press(0, 0, 7) + contour,
         {"0 建物 階数=1", "4 等高線 標高=100"},
         1,
         {}},
        {"the code a class names chooses it",
         polygon + press(0, 0, 3) + press(0, 0, 5) + contour,
         {"0 建物 階数=1", "4 等高線 標高=100"},
         1,
         {}},
        {"a class by name; up and down step from the last value",
         press(0, 0, 8) + contour + press(0, 0, 9) + contour + press(0, 0, 9) + press(0, 0, 10) +
             contour + press(0, 0, 11) + contour,
         {"0 等高線 標高=100", "3 等高線 標高=105", "6 等高線 標高=100", "9 等高線 標高=100"},
         0,
         {}},
        {"menu cells: a class, and close-polygon ends the line on its last vertex",
         press(0, 0, 8) + press(9050, 9050, 1) + press(9250, 9050, 1) + polygon +
             press(9150, 9050, 2) + press(9150, 9099, 1),
         {"0 建物 階数=1"},
         1,
         {"close-polygon"}},
        {"back and clear-undo from buttons",
         polygon + press(0, 0, 12) + press(0, 0, 13),
         {"0 建物 階数=1"},
         0,
         {"clear-undo"}},
    };
    for (const auto &row : rows) {
        TraceModel live(QLocale::c());
        test::FakePort line{log};
        TracingSession tracing{line, live};
        tracing.switchFormat(bitpad);
        ASSERT_TRUE(tracing.useCatalogue(QStringLiteral(
            "[建物]\nkind = polygon\nfield = 階数 integer default 1\n"
            "[等高線]\nkind = line\nbutton = 5\nfield = 標高 real default 100 step 5\n")));
        ASSERT_TRUE(tracing.useTabletMenu(menu));
        ASSERT_TRUE(tracing.connectTablet(test::at(1000)));
        QStringList refused;
        QObject::connect(&tracing, &TracingSession::commandPerformed,
                         [&](const TabletCommand &command, const QString &why) {
                             if (!why.isEmpty())
                                 refused << command.toText();
                         });
        line.deliver(row.bytes);
        EXPECT_EQ(test::described(tracing.job().classes.features()), row.features) << row.name;
        EXPECT_EQ(live.store().PolyCount, row.polygons) << row.name;
        EXPECT_EQ(refused, row.refused) << row.name;

        TraceModel replayed(QLocale::c());
        const ReplayResult r = replayJournal(tracing.journal().content(), replayed);
        EXPECT_EQ(r.job.classes.features(), tracing.job().classes.features()) << row.name;
        EXPECT_EQ(replayed.store().PtCount, live.store().PtCount) << row.name;
    }
}

// Diverted records reach only their own taker: no slot, no repaint, nothing to journal.
TEST_F(SessionTest, DivertedRecordsBypassTheTrace) {
    QSignalSpy arriving(&session, &TracingSession::recordArriving);
    QSignalSpy diverted(&session.reception(), &Reception::recordDiverted);
    connectNow();
    port.deliver(first);
    session.reception().setDiverted(true);
    port.deliver(second + third);
    EXPECT_EQ(model.store().PtCount, 1);
    EXPECT_EQ(log, QStringList{kConnected.arg(1)});
    EXPECT_EQ(diverted.count(), 2);
    EXPECT_EQ(diverted.at(1).at(0).toString(), QString::fromLatin1(third.chopped(1)));
    session.reception().setDiverted(false);
    port.deliver(fourth);
    EXPECT_EQ(model.store().PtCount, 2);
    EXPECT_EQ(arriving.count(), 2);
}

TEST_F(SessionTest, LostPortEndsTheConnectionKeepsTheTraceAndTellsOnce) {
    connectNow();
    QSignalSpy ended(&session, &TracingSession::connectionEnded);
    port.deliver(first + second + third.first(4));
    log.clear();
    port.breakDown(QStringLiteral("Input/output error"));
    port.breakDown(QStringLiteral("Input/output error"));

    QStringList expected = disconnectSteps(2);
    expected << QStringLiteral("problem シリアルポート /dev/ttyS0 との接続が切れました。\n"
                               "Input/output error\n受信した記録はそのまま残っています。");
    EXPECT_EQ(log, expected);
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(model.store().PtCount, 2);
    EXPECT_EQ(model.store().LineCount, 1);
}

TEST_F(SessionTest, RecordsKeepTheirOrderWhenTheViewRunsANestedEventLoop) {
    connectNow();
    int redraws = 0;
    view.onRedraw = [&] {
        if (++redraws == 1)
            port.deliver(third);
    };
    port.deliver(first + second);
    EXPECT_EQ(model.store().PtCount, 3);
    EXPECT_EQ(x(0), 10.0f);
    EXPECT_EQ(x(1), 20.0f);
    EXPECT_EQ(x(2), 30.0f);
}

TEST_F(SessionTest, DisconnectFromANestedEventLoopStopsTakingRecords) {
    connectNow();
    int redraws = 0;
    view.onRedraw = [&] {
        if (++redraws == 1)
            session.disconnectTablet();
    };
    port.deliver(first + second + third);
    EXPECT_EQ(model.store().PtCount, 1);
    EXPECT_FALSE(session.isConnected());
}

// A dialog holds reception while a fast device goes on sending: the port is read all the same,
// the records wait in order up to the limit, and the operator hears of the rest once per backlog.
TEST_F(SessionTest, HeldReceptionReadsOnAndQueuesUpToTheLimit) {
    connectNow();
    QSignalSpy taken(&session, &TracingSession::recordTaken);
    const auto flood = [&](int records) {
        session.reception().hold();
        for (int i = 0; i < records; ++i)
            port.deliver(record(i, 0, 4));
        EXPECT_EQ(port.bytesWaiting(), 0) << "bytes left in the port pile up there";
        EXPECT_EQ(taken.count(), 0);
    };
    const auto problems = [&] { return log.filter(QStringLiteral("problem")); };

    flood(int(TracingSession::kQueueLimit) + 40);
    session.reception().release();
    ASSERT_TRUE(test::waitForCount(taken, TracingSession::kQueueLimit));
    EXPECT_EQ(model.store().PtCount, kSlotCount);
    EXPECT_EQ(x(kLastSlot), float(kLastSlot));
    EXPECT_EQ(taken.last()[0].value<RecordOutcome>(), RecordOutcome::RefusedFull);
    ASSERT_EQ(problems().size(), 1);
    EXPECT_TRUE(problems()[0].contains(QStringLiteral("、40 件"))) << problems()[0].toStdString();
    port.deliver(first);
    EXPECT_EQ(problems().size(), 1);

    // Disconnected before the backlog is taken: told at the end of the connection.
    model.ResetTrace();
    taken.clear();
    flood(int(TracingSession::kQueueLimit) + 3);
    session.disconnectTablet();
    session.reception().release();
    EXPECT_EQ(taken.count(), 0);
    ASSERT_EQ(problems().size(), 2);
    EXPECT_TRUE(problems()[1].contains(QStringLiteral("、3 件"))) << problems()[1].toStdString();
}

// The window answers between slices of a backlog: a Disconnect clicked meanwhile acts before the
// rest is taken, and drops it.
TEST_F(SessionTest, BacklogIsTakenInSlicesInOrder) {
    QByteArray backlog;
    for (int i = 0; i < kSlotCount; ++i)
        backlog += record(i, 0, 4);
    QSignalSpy taken(&session, &TracingSession::recordTaken);
    QSignalSpy ended(&session, &TracingSession::connectionEnded);
    for (const bool disconnect : {false, true}) {
        SCOPED_TRACE(disconnect);
        ASSERT_TRUE(session.connectTablet(test::at(1000)));
        taken.clear();
        port.deliver(backlog);
        EXPECT_LT(taken.count(), kSlotCount) << "the event loop waits for the whole backlog";
        if (disconnect) {
            QMetaObject::invokeMethod(&session, &TracingSession::disconnectTablet,
                                      Qt::QueuedConnection);
            ASSERT_TRUE(ended.wait(5000));
            const qsizetype takenBefore = taken.count();
            EXPECT_LT(takenBefore, kSlotCount);
            QCoreApplication::processEvents();
            EXPECT_EQ(taken.count(), takenBefore);
            EXPECT_EQ(model.store().PtCount, takenBefore);
        } else {
            ASSERT_TRUE(test::waitForCount(taken, kSlotCount));
            for (int slot = 0; slot < kSlotCount; slot += 997)
                EXPECT_EQ(x(slot), float(slot));
            session.disconnectTablet();
        }
    }
}

} // namespace
} // namespace digitrace
