#include "acquisition/memory_port.h"
#include "app/window/edge_feature.h"
#include "app/window/frm_trace1.h"
#include "app/window/job_files.h"
#include "app/window/notice_bar.h"
#include "app/window/publish_feature.h"
#include "app/window/sheet_registration.h"
#include "app/window/window_notices.h"
#include "display/widget/drawing_area.h"
#include "fakes.h"
#include "job/journal_reader.h"
#include "tests/export/publish_samples.h"
#include "tests/support/postgres_server.h"
#include "tests/support/record_text.h"
#include "tracing/tracing_session.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <ctime>
#include <tuple>

namespace digitrace {
namespace {

using test::sharedPostgres;

QByteArray bytes(double x, double y, int code) {
    return test::recordText(x, y, code).toLatin1();
}

// The operator's clock in Japan for the object's life, the test server's in UTC.
struct JapanTime {
    JapanTime() : before(qgetenv("TZ")) {
        qputenv("TZ", "Asia/Tokyo");
        tzset();
    }
    ~JapanTime() {
        if (before.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", before);
        tzset();
    }
    QByteArray before;
};

// Shows `question` as the operator sees it, keeps its picture as `picture`, and presses Enter;
// the index of the answer.
int enterOn(QWidget &window, const QString &question, const QString &preferred,
            const QString &picture) {
    const QStringList answers = question.section(u'|', 1).split(u'/');
    QTimer::singleShot(0, &window, [picture] {
        QWidget *box = QApplication::activeModalWidget();
        if (!box)
            return;
        QDir().mkpath(QStringLiteral(DIGITRACE_SCREENSHOTS));
        EXPECT_TRUE(box->grab().save(QStringLiteral(DIGITRACE_SCREENSHOTS "/") + picture));
        QTest::keyClick(box, Qt::Key_Return);
    });
    QtWindowDialogs dialogs(&window);
    return dialogs.askPreferring(question.section(u'|', 0, 0), answers,
                                 int(answers.indexOf(preferred)));
}

// A connected window on a sheet of its own database, its journal in a folder of its own.
struct PublishWindow {
    PublishWindow() {
        static std::atomic<int> next{0};
        EXPECT_EQ(sharedPostgres().createDatabase(QStringLiteral("window_%1").arg(next++), &db),
                  QString());
        database = db.section(QStringLiteral("dbname="), 1).section(u' ', 0, 0);
        port.setPortName(QStringLiteral("/dev/ttyS0"));
        window.show();
        window.features().jobFiles.attachJournal(JournalSlot::Choice::AvoidUnsaved, dir.path());
        window.Command1_Click();
    }
    // Asks for a publish through the dialog and waits for its end; whether it succeeded.
    bool publish(const QString &sheet, bool live = false) {
        // The test server trusts its socket: the password is only there to be left out of the
        // settings.
        dialogs.publishAnswer = PublishChoice{db + QStringLiteral(" password=typed"),
                                              QStringLiteral("ann"), sheet, live};
        QSignalSpy ended(&window.features().publish, &PublishFeature::publishEnded);
        window.features().publish.openPublish();
        if (ended.isEmpty() && !ended.wait(60000))
            return false;
        return ended.constLast().constFirst().toBool();
    }
    // "<revision> <operator> <points>" of the sheet in the database, or the server's error.
    QString sheetRow(const QString &sheet = QStringLiteral("A-1")) const {
        return sharedPostgres().sql(
            database, QStringLiteral("SELECT revision || ' ' || operator || ' ' || points FROM "
                                     "digitrace_sheets WHERE sheet = '%1'")
                          .arg(sheet));
    }
    // What the bar says of publishing.
    QStringList publishNotices() {
        return window.features().notices.bar().notices().filter(QStringLiteral("データベース"));
    }
    // Waits until the sheet in the database is `row`; whether it came in time.
    bool waitForRow(const QString &row) {
        QSignalSpy published(&window.features().publish, &PublishFeature::livePublished);
        QDeadlineTimer deadline(60000);
        while (sheetRow() != row && !deadline.hasExpired())
            published.wait(200);
        return sheetRow() == row;
    }
    // The revisions journalled by publishes, in order.
    QList<int> journalledRevisions() {
        QList<int> revisions;
        for (const JournalEntry &e : parseJournal(window.features().job.content()).entries)
            if (const auto *published = std::get_if<entry::Published>(&e))
                revisions << published->revision;
        return revisions;
    }

    QTemporaryDir dir;
    QString db, database;
    test::FirstStart firstStart;
    TraceModel model{QLocale::c()};
    MemoryPort port;
    test::FakeDialogs dialogs;
    frmTrace1 window{model, port, &dialogs};
};

// Three points and a polygon: what is told, what the database holds and what the job remembers,
// for a first publish, a sheet someone else published first (キャンセル, then 上書き), and a
// sheet that cannot be published, which is refused before any connection.
TEST(PublishWindow, PublishesAsksBeforeOverwritingAndRefusesWhatCannotGo) {
    const JapanTime japan;
    const QByteArray points = bytes(10, 10, 5) + bytes(20, 10, 5) + bytes(30, 10, 5);
    const QByteArray polygon =
        bytes(0, 0, 1) + bytes(100, 0, 2) + bytes(100, 50, 2) + bytes(0, 50, 5);
    // What the overwrite question says: bob's sheet as it is, at his time in Japan, and this
    // job's, which would replace it.
    const QString overwrite =
        QStringLiteral("いまの内容: 版 1（bob が %1 JST に送信）: 点 3、線 0、多角形 0\n"
                       "上書きすると、このジョブの内容（点 3、線 0、多角形 1）に置き換わります。");
    const struct {
        const char *name;
        bool registered;
        QString sheet;
        bool bobFirst; // another job of bob's published the sheet before, with the points only
        QList<int> answers;
        bool ok;
        QString told;
        QString row; // the sheet in the database; "" for no table at all
        QList<int> journalled;
    } rows[] = {
        {"first publish",
         true,
         "A-1",
         false,
         {},
         true,
         "（版 1）。\n点 3、線 0、多角形 1",
         "1 ann 3",
         {1}},
        {"conflict cancelled", true, "A-1", true, {1}, false, overwrite, "1 bob 3", {}},
        {"conflict, Enter", true, "A-1", true, {}, false, overwrite, "1 bob 3", {}},
        {"conflict overwritten", true, "A-1", true, {0}, true, overwrite, "2 ann 3", {2}},
        {"unregistered", false, "A-1", false, {}, false, "登録されていないので", "", {}},
        {"no sheet name", true, "", false, {}, false, "シート名がありません", "", {}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        PublishWindow w;
        if (row.registered)
            w.window.features().sheet.registerSheet(test::sampleRegistration());
        w.port.deliver(points);
        QString bobsTime;
        if (row.bobFirst) {
            const SheetPublication bobs = test::publicationOf(
                w.model.store(), row.sheet, QStringLiteral("bob"), QStringLiteral("bob's job"));
            ASSERT_TRUE(publishSheet(w.db, bobs).ok());
            bobsTime = sharedPostgres().sql(
                w.database, QStringLiteral("SELECT to_char(published_at AT TIME ZONE "
                                           "'Asia/Tokyo', 'YYYY-MM-DD HH24:MI:SS') FROM "
                                           "digitrace_sheets"));
        }
        w.port.deliver(polygon);
        w.dialogs.answer(row.answers);
        EXPECT_EQ(w.publish(row.sheet), row.ok);
        const QStringList bar = w.window.features().notices.bar().notices();
        const QString told =
            (bar + w.dialogs.notices + w.dialogs.warnings + w.dialogs.questions).join(u'\n');
        EXPECT_TRUE(told.contains(row.bobFirst ? row.told.arg(bobsTime) : row.told))
            << told.toStdString();
        EXPECT_EQ(w.dialogs.preferredAnswers,
                  row.bobFirst ? QStringList{QStringLiteral("キャンセル")} : QStringList{});
        // Ended either way: nothing says it is still on its way.
        EXPECT_TRUE(bar.filter(QStringLiteral("送信しています")).isEmpty()) << told.toStdString();
        // Refused before connecting: not even the tables are there.
        EXPECT_EQ(row.row.isEmpty() ? w.sheetRow().startsWith(QStringLiteral("ERROR"))
                                    : w.sheetRow() == row.row,
                  true)
            << w.sheetRow().toStdString();
        EXPECT_EQ(w.journalledRevisions(), row.journalled);
        EXPECT_EQ(OperatorSettings().publishConnection(), w.db);
    }
}

// 送信を続ける under a flood of records: publishes coalesce, each is journalled, and the
// database ends with the job's last state, a Back included.
TEST(PublishWindow, LivePublishingFollowsAFloodOfRecords) {
    PublishWindow w;
    w.window.features().sheet.registerSheet(test::sampleRegistration());
    ASSERT_TRUE(w.publish(QStringLiteral("A-1"), true));
    ASSERT_TRUE(w.window.features().publish.isLive());
    constexpr int kPoints = 400;
    QSignalSpy published(&w.window.features().publish, &PublishFeature::livePublished);
    QByteArray flood;
    for (int i = 0; i < kPoints; ++i)
        flood += bytes(10 + i, 20 + i % 50, 5);
    w.port.deliver(flood);
    w.window.cmdBack_Click();
    // Two points more than the flood brought: a state that no earlier publish can have shown.
    w.port.deliver(bytes(5, 5, 5) + bytes(6, 6, 5));
    const QString last = QStringLiteral("ann %1").arg(kPoints + 1);
    // Settled once the database holds that state under the revision journalled last.
    const auto settled = [&] {
        const QList<int> journalled = w.journalledRevisions();
        return !journalled.isEmpty() &&
               w.sheetRow() == QStringLiteral("%1 %2").arg(journalled.constLast()).arg(last);
    };
    QDeadlineTimer deadline(120000);
    while (!settled() && !deadline.hasExpired())
        published.wait(200);
    ASSERT_TRUE(settled()) << w.sheetRow().toStdString();
    const QList<int> revisions = w.journalledRevisions();
    EXPECT_EQ(revisions.size(), published.count() + 1);
    // A publish writes only the changed rows and keeps up with much of the flood; what it
    // cannot take at once is coalesced.
    EXPECT_LT(revisions.size(), kPoints) << "publishes coalesce";
    EXPECT_EQ(w.publishNotices(),
              QStringList{QStringLiteral(
                              "送信を続けています: シート A-1 はデータベースの版 %1 と同じです。")
                              .arg(revisions.constLast())});
    EXPECT_TRUE(w.dialogs.warnings.isEmpty()) << w.dialogs.warnings.join(u'\n').toStdString();
    // Renamed, the job is another sheet's: sending stops, saying why.
    w.window.features().sheet.nameSheet(QStringLiteral("A-2"));
    EXPECT_FALSE(w.window.features().publish.isLive());
    EXPECT_TRUE(w.publishNotices().join(u'\n').contains(QStringLiteral("シート名が替わった")));
}

// A feature's class changed while sending: the sheet follows, the feature in its new class.
TEST(PublishWindow, LivePublishingFollowsAChangedClass) {
    PublishWindow w;
    TracingSession &session = w.window.features().session;
    ASSERT_TRUE(session.useCatalogue(QStringLiteral("[a]\nkind = point\n[b]\nkind = point\n")));
    ASSERT_TRUE(session.chooseClass(QStringLiteral("a")));
    w.window.features().sheet.registerSheet(test::sampleRegistration());
    w.port.deliver(bytes(50, 50, 5));
    ASSERT_TRUE(w.publish(QStringLiteral("A-1"), true));
    ASSERT_TRUE(session.changeClass(0, QStringLiteral("b")));
    ASSERT_TRUE(w.waitForRow(QStringLiteral("2 ann 1")));
    const QString classes = QStringLiteral("SELECT class FROM digitrace_points");
    EXPECT_EQ(sharedPostgres().sql(w.database, classes), QStringLiteral("b"));
}

// Someone else publishes the sheet meanwhile: live sending stops and says why instead of failing
// on every record; nothing of theirs is overwritten.
TEST(PublishWindow, LivePublishingStopsOnAConflict) {
    PublishWindow w;
    w.window.features().sheet.registerSheet(test::sampleRegistration());
    ASSERT_TRUE(w.publish(QStringLiteral("A-1"), true));
    // A name long enough that the notice takes more than a line.
    const SheetPublication bobs = test::publicationOf(
        w.model.store(), QStringLiteral("A-1"),
        QStringLiteral("bob Tanaka-Williams, survey section 2"), QStringLiteral("bob"));
    SheetPublication forced = bobs;
    forced.force = true;
    ASSERT_TRUE(publishSheet(w.db, forced).ok());
    const QString bobsRow = w.sheetRow();
    w.port.deliver(bytes(90, 90, 5));
    QDeadlineTimer deadline(60000);
    while (w.window.features().publish.isLive() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_FALSE(w.window.features().publish.isLive());
    const QString told = w.publishNotices().join(u'\n');
    EXPECT_TRUE(told.contains(QStringLiteral(
        "シート A-1 はほかの送信で替わりました。版 2（bob Tanaka-Williams, survey section 2 が")))
        << told.toStdString();
    EXPECT_EQ(w.sheetRow(), bobsRow);
    // The notice shows whole, however long, and stays clear of the drawing area.
    NoticeBar &bar = w.window.features().notices.bar();
    QCoreApplication::processEvents();
    const QLabel *shown = bar.findChild<QLabel *>();
    EXPECT_TRUE(shown->text() == bar.line() &&
                shown->heightForWidth(shown->width()) <= shown->height())
        << shown->text().toStdString();
    QDir().mkpath(QStringLiteral(DIGITRACE_SCREENSHOTS));
    EXPECT_TRUE(w.window.grab().save(QStringLiteral(DIGITRACE_SCREENSHOTS "/live_conflict.png")));
}

// The server stops while the sheet follows the job and comes back: the bar says that sending
// failed while it does, and afterwards only that the sheet is up to date.
TEST(PublishWindow, LiveStateFollowsTheServer) {
    PublishWindow w;
    w.window.features().sheet.registerSheet(test::sampleRegistration());
    ASSERT_TRUE(w.publish(QStringLiteral("A-1"), true));
    ASSERT_EQ(sharedPostgres().stop(), QString());
    QSignalSpy shown(&w.window, &frmTrace1::noticeShown);
    w.port.deliver(bytes(50, 50, 5));
    const auto failing = [&] {
        return w.publishNotices().size() == 1 &&
               w.publishNotices().constFirst().startsWith(
                   QStringLiteral("データベースへ送信できませんでした。"));
    };
    QDeadlineTimer deadline(30000);
    while (!failing() && !deadline.hasExpired())
        shown.wait(200);
    ASSERT_TRUE(failing()) << w.publishNotices().join(u'\n').toStdString();
    ASSERT_EQ(sharedPostgres().startAgain(), QString());
    ASSERT_TRUE(w.waitForRow(QStringLiteral("2 ann 1")));
    // The row is committed a moment before the window hears of it.
    const QStringList upToDate{
        QStringLiteral("送信を続けています: シート A-1 はデータベースの版 2 と同じです。")};
    QDeadlineTimer told(30000);
    while (w.publishNotices() != upToDate && !told.hasExpired())
        shown.wait(200);
    EXPECT_EQ(w.publishNotices(), upToDate);
}

// ｸﾘｱ while the sheet follows the job asks what becomes of the shared sheet, naming it and its
// revision. Enter stops sending and leaves the sheet as published; taking the clear back sends
// again. Emptying the sheet is an answer of its own; キャンセル clears nothing.
TEST(PublishWindow, ClearWhileSendingAsksWhatBecomesOfTheSheet) {
    const struct {
        const char *name;
        QList<int> answers; // to the save question, then to this one; none: Enter to both
        bool cleared;
        bool live;                     // after the clear
        QString afterClear, afterUndo; // the sheet in the database
    } rows[] = {
        {"Enter: stop sending, keep the sheet", {}, true, false, "1 ann 3", "2 ann 3"},
        {"empty the sheet", {1, 1}, true, true, "2 ann 0", "3 ann 3"},
        {"cancel", {1, 2}, false, true, "1 ann 3", "1 ann 3"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        PublishWindow w;
        w.window.features().sheet.registerSheet(test::sampleRegistration());
        w.port.deliver(bytes(10, 10, 5) + bytes(20, 10, 5) + bytes(30, 10, 5));
        ASSERT_TRUE(w.publish(QStringLiteral("A-1"), true));
        w.dialogs.answer(row.answers);
        w.window.cmdClear_Click();
        EXPECT_TRUE(w.dialogs.questions.join(u'\n').contains(
            QStringLiteral("シート A-1 をデータベースへ送信し続けています（データベースは版 1）")))
            << w.dialogs.questions.join(u'\n').toStdString();
        EXPECT_EQ(w.model.store().PtCount == 0, row.cleared);
        EXPECT_EQ(w.window.features().publish.isLive(), row.live);
        EXPECT_TRUE(w.waitForRow(row.afterClear)) << w.sheetRow().toStdString();
        w.window.features().jobFiles.undoClear();
        EXPECT_TRUE(w.waitForRow(row.afterUndo)) << w.sheetRow().toStdString();
    }
}

// Pictures of the two questions as the operator sees them; Enter gives each one's safe answer.
// Cleared while the first publish is on its way: that publish still ends, sending does not go on,
// and the notice of the publish says so.
TEST(PublishWindow, AClearDuringTheFirstPublishStopsSending) {
    PublishWindow w;
    w.window.features().sheet.registerSheet(test::sampleRegistration());
    w.port.deliver(bytes(10, 10, 5) + bytes(20, 10, 5));
    w.dialogs.publishAnswer =
        PublishChoice{w.db, QStringLiteral("ann"), QStringLiteral("A-1"), true};
    QSignalSpy ended(&w.window.features().publish, &PublishFeature::publishEnded);
    w.window.features().publish.openPublish();
    ASSERT_TRUE(ended.isEmpty()) << "the result comes through the event loop";
    w.window.cmdClear_Click();
    ASSERT_TRUE(ended.wait(60000));
    EXPECT_FALSE(w.window.features().publish.sendingLive());
    EXPECT_TRUE(w.publishNotices().join(u'\n').contains(QStringLiteral("続けるのをやめました")))
        << w.publishNotices().join(u'\n').toStdString();
}

TEST(PublishWindow, QuestionsOnScreenTakeTheSafeAnswerOnEnter) {
    const JapanTime japan;
    PublishWindow w;
    w.window.features().sheet.registerSheet(test::sampleRegistration());
    w.port.deliver(bytes(10, 10, 5) + bytes(20, 10, 5) + bytes(30, 10, 5));
    ASSERT_TRUE(
        publishSheet(w.db, test::publicationOf(w.model.store(), QStringLiteral("A-1"),
                                               QStringLiteral("bob"), QStringLiteral("bob's job")))
            .ok());
    w.port.deliver(bytes(0, 0, 1) + bytes(100, 0, 2) + bytes(100, 50, 2) + bytes(0, 50, 5));
    EXPECT_FALSE(w.publish(QStringLiteral("A-1"), true));
    EXPECT_EQ(enterOn(w.window, w.dialogs.questions.constLast(),
                      w.dialogs.preferredAnswers.constLast(),
                      QStringLiteral("publish_overwrite_question.png")),
              1);
    w.dialogs.answer({0});
    ASSERT_TRUE(w.publish(QStringLiteral("A-1"), true));
    w.window.cmdClear_Click();
    EXPECT_EQ(enterOn(w.window, w.dialogs.questions.constLast(),
                      w.dialogs.preferredAnswers.constLast(),
                      QStringLiteral("publish_clear_question.png")),
              0);
}

// The sheet to the east published a line that continues one of this sheet's across the edge and
// one that meets nothing here: both are shown faded over the area, and the ends without a partner
// marked, while the designed picture stays as it was.
TEST(PublishWindow, ShowsTheNeighbouringSheetNearTheEdge) {
    PublishWindow w;
    w.window.features().sheet.registerSheet(test::sampleRegistration());
    w.port.deliver(bytes(6000, 3000, 1) + bytes(8000, 3000, 2) + bytes(6000, 4000, 1) +
                   bytes(8000, 4000, 2));
    ASSERT_TRUE(w.publish(QStringLiteral("A-1")));
    TraceModel east;
    east.ResetTrace();
    for (const auto &[x, y, code] : {std::tuple{0, 3000, 1},
                                     {2000, 3000, 2},
                                     {0, 5000, 1},
                                     {1000, 5000, 2},
                                     {3000, 3000, 1},
                                     {3500, 3500, 2}})
        east.takeRecord(test::recordText(x, y, code));
    SheetPublication eastSheet =
        test::publicationOf(east.store(), QStringLiteral("A-2"), QStringLiteral("bob"));
    for (ControlPoint &p : eastSheet.registration->points)
        p.mapX += 4000;
    ASSERT_TRUE(publishSheet(w.db, eastSheet).ok());

    DrawingArea &area = *w.window.controls().picDigit;
    const QImage picture = area.surface().image();
    EdgeFeature &edges = *w.window.findChild<EdgeFeature *>();
    QSignalSpy refreshed(&edges, &EdgeFeature::refreshed);
    edges.action()->trigger();
    ASSERT_TRUE(refreshed.wait(60000));
    const EdgeGuide &guide = edges.overlay().guide();
    auto rounded = [](const std::vector<QPointF> &points) {
        QStringList texts;
        for (const QPointF &p : points)
            texts << QStringLiteral("%1,%2").arg(qRound(p.x())).arg(qRound(p.y()));
        return texts.join(u' ');
    };
    EXPECT_EQ(guide.neighbours.size(), 2u);
    EXPECT_EQ(guide.matched, 1);
    EXPECT_EQ(rounded(guide.ownUnmatched), QStringLiteral("8000,4000"));
    EXPECT_EQ(rounded(guide.neighboursUnmatched), QStringLiteral("8000,5000"));
    EXPECT_TRUE(edges.overlay().isVisible());
    EXPECT_EQ(area.surface().image(), picture);
    // Further out, to see both sides of the edge.
    emit area.zoomRequested(QPointF(area.width() / 2.0, area.height() / 2.0), 0.5);
    QDir().mkpath(QStringLiteral(DIGITRACE_SCREENSHOTS));
    EXPECT_TRUE(area.grab().save(QStringLiteral(DIGITRACE_SCREENSHOTS "/edge_guide.png")));

    // Registered anew in another system: the published edge is no longer this sheet's, and
    // nothing stays shown as if it were.
    Registration moved = test::sampleRegistration();
    moved.crs = QStringLiteral("EPSG:6678");
    w.window.features().sheet.registerSheet(moved);
    ASSERT_TRUE(refreshed.wait(60000));
    EXPECT_TRUE(edges.overlay().guide().neighbours.empty());
}

} // namespace
} // namespace digitrace
