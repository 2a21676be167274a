#include "tracing/tracing_session.h"

#include "job/job_replay.h"
#include "job/journal_reader.h"
#include "tests/acquisition/fakes.h"
#include "tests/support/record_text.h"

#include <gtest/gtest.h>

namespace digitrace {
namespace {

using test::recordBytes;

// A session on a fake line, connected at 1:`scale` in `unitMm` millimetres per tablet unit.
struct Tracing {
    Tracing(double unitMm, double snapMm, float scale = 1000) {
        session.connectTablet({QString::number(scale), scale, true, unitMm});
        session.setSnapping(snapMm);
    }
    QString slot(int i) const {
        const RecordTable &pt = model.store().Pt;
        return QStringLiteral("%1 %2 %3").arg(pt.X[i]).arg(pt.Y[i]).arg(pt.Code[i]);
    }
    QStringList slotsFrom(int first) const {
        QStringList out;
        for (int i = first; i < model.store().PtCount; ++i)
            out << slot(i);
        return out;
    }
    // The table a replay of the journal gives, from slot `first` on.
    QStringList replayedFrom(int first) const {
        TraceModel replayed(QLocale::c());
        replayJournal(session.journal().content(), replayed);
        QStringList out;
        const RecordTable &pt = replayed.store().Pt;
        for (int i = first; i < replayed.store().PtCount; ++i)
            out << QStringLiteral("%1 %2 %3").arg(pt.X[i]).arg(pt.Y[i]).arg(pt.Code[i]);
        return out;
    }

    QStringList log;
    TraceModel model{QLocale::c()};
    test::FakePort port{log};
    TracingSession session{port, model};
};

// A triangle: (100,100) (200,100) (200,200), closed back along the diagonal; slots 0 to 3.
const QByteArray kTriangle = recordBytes(100, 100, 1) + recordBytes(200, 100, 2) +
                             recordBytes(200, 200, 2) + recordBytes(200, 200, 3);

TEST(Snapping, APressTakesTheVertexOrSegmentWithinTheToleranceOnTheSheet) {
    const struct {
        const char *name;
        double unitMm, snapMm;
        float scale;
        QByteArray presses; // after the triangle
        QString taken;      // the last slot
    } rows[] = {
        {"a vertex", 0.1, 0.3, 1000, recordBytes(202, 101, 1), "200 100 1"},
        {"a segment", 0.1, 0.3, 1000, recordBytes(150, 102, 1), "150 100 1"},
        {"the closing segment", 0.1, 0.3, 1000, recordBytes(151, 148, 1), "150 150 1"},
        {"a vertex before a nearer segment", 0.1, 0.3, 1000, recordBytes(198, 101, 1), "200 100 1"},
        {"outside the tolerance", 0.1, 0.3, 1000, recordBytes(150, 104, 1), "150 104 1"},
        {"snapping off", 0.1, 0, 1000, recordBytes(202, 101, 1), "202 101 1"},
        {"a line's end", 0.1, 0.3, 1000, recordBytes(300, 300, 1) + recordBytes(202, 198, 2),
         "200 200 2"},
        {"a vertex in fractions of a unit", 0.1, 0.3, 1000,
         recordBytes(300.5, 300.5, 1) + recordBytes(301.5, 300.5, 2), "300.5 300.5 2"},
        {"a polygon closes on its own start before a nearer vertex", 0.1, 0.3, 1000,
         recordBytes(504, 503, 5) + recordBytes(500, 500, 1) + recordBytes(600, 500, 2) +
             recordBytes(600, 600, 2) + recordBytes(502, 502, 2),
         "500 500 2"},
        {"mm through a finer unit", 0.025, 0.3, 1000, recordBytes(150, 110, 1), "150 100 1"},
        {"the scale leaves sheet mm", 0.1, 0.3, 50000, recordBytes(150, 104, 1), "150 104 1"},
        {"the scale leaves sheet mm, within", 0.1, 0.3, 50000, recordBytes(150, 102, 1),
         "150 100 1"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Tracing t(row.unitMm, row.snapMm, row.scale);
        t.port.deliver(kTriangle + row.presses);
        EXPECT_EQ(t.slot(t.model.store().PtCount - 1), row.taken);
    }
}

// The journal holds the snapped record, after the tablet's own, and replays to the same table.
TEST(Snapping, TheJournalKeepsThePressAndReplaysTheSnappedTable) {
    Tracing t(0.1, 0.3);
    t.port.deliver(kTriangle + recordBytes(202, 101, 1) + recordBytes(151, 148, 2) +
                   recordBytes(150, 104, 2));
    const QList<JournalEntry> entries = parseJournal(t.session.journal().content()).entries;
    const QString pressed = QString::fromLatin1(recordBytes(202, 101, 1).chopped(1));
    const auto at =
        std::find(entries.cbegin(), entries.cend(), JournalEntry{entry::Pressed{pressed}});
    ASSERT_NE(at, entries.cend());
    EXPECT_EQ(*(at + 1), JournalEntry{entry::Record{
                             QString::fromLatin1(canonicalRecord(200, 100, 1).chopped(1))}});
    EXPECT_EQ(t.replayedFrom(0), t.slotsFrom(0));
}

TEST(Follow, TakesTheVerticesBetweenTwoPressesOnOneFeature) {
    // A quadrilateral, slots 0-4, whose way from (1000,0) to (0,300) is shorter through (0,0);
    // then a line, slots 5-8.
    const QByteArray base =
        recordBytes(0, 0, 1) + recordBytes(1000, 0, 2) + recordBytes(1000, 1000, 2) +
        recordBytes(0, 300, 2) + recordBytes(0, 300, 3) + recordBytes(2000, 0, 1) +
        recordBytes(2000, 500, 2) + recordBytes(2000, 1000, 2) + recordBytes(2500, 1500, 2);
    const QByteArray follow = "follow\r";
    const struct {
        const char *name;
        QByteArray presses;
        QStringList taken;
        QStringList refused;
    } rows[] = {
        {"along a line",
         follow + recordBytes(2001, 1, 1) + recordBytes(2499, 1502, 2),
         {"2000 0 1", "2000 500 2", "2000 1000 2", "2500 1500 2"},
         {}},
        {"along a line backwards",
         follow + recordBytes(2500, 1500, 1) + recordBytes(2000, 2, 2),
         {"2500 1500 1", "2000 1000 2", "2000 500 2", "2000 0 2"},
         {}},
        {"round a polygon the shorter way, backwards",
         follow + recordBytes(1000, 0, 1) + recordBytes(0, 300, 2),
         {"1000 0 1", "0 0 2", "0 300 2"},
         {}},
        {"round a polygon the shorter way, forwards past its start",
         follow + recordBytes(1000, 1000, 1) + recordBytes(0, 0, 2),
         {"1000 1000 1", "0 300 2", "0 0 2"},
         {}},
        {"a first press on no vertex",
         follow + recordBytes(500, 500, 1) + recordBytes(1000, 0, 2),
         {"500 500 1", "1000 0 2"},
         {"follow"}},
        {"a second press on another feature",
         follow + recordBytes(1000, 0, 1) + recordBytes(2000, 0, 2),
         {"1000 0 1", "2000 0 2"},
         {"follow"}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Tracing t(0.1, 0);
        t.port.deliver(base);
        QStringList refused;
        QObject::connect(&t.session, &TracingSession::commandPerformed,
                         [&](const TabletCommand &command, const QString &why) {
                             if (!why.isEmpty())
                                 refused << command.toText();
                         });
        const int first = t.model.store().PtCount;
        for (const QByteArray &press : row.presses.split('\r')) {
            if (press == "follow")
                t.session.perform(TabletCommand{CommandKind::Follow, {}});
            else if (!press.isEmpty())
                t.port.deliver(press + '\r');
        }
        EXPECT_EQ(t.slotsFrom(first), row.taken);
        EXPECT_EQ(refused, row.refused);
        EXPECT_EQ(t.replayedFrom(first), row.taken);
    }
}

} // namespace
} // namespace digitrace
