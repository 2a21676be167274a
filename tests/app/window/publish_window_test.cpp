#include "acquisition/memory_port.h"
#include "app/window/frm_trace1.h"
#include "app/window/job_files.h"
#include "app/window/publish_feature.h"
#include "app/window/sheet_registration.h"
#include "fakes.h"
#include "job/journal_reader.h"
#include "tests/export/publish_samples.h"
#include "tests/support/postgres_server.h"
#include "tests/support/record_text.h"

#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>

namespace digitrace {
namespace {

using test::sharedPostgres;

QByteArray bytes(double x, double y, int code) {
    return test::recordText(x, y, code).toLatin1();
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
    // The revisions journalled by publishes, in order.
    QList<int> journalledRevisions() {
        QList<int> revisions;
        for (const JournalEntry &e : parseJournal(window.features().job.content()).entries)
            if (e.kind == EntryKind::Published)
                revisions << e.text.toInt();
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
    const QByteArray trace = bytes(10, 10, 5) + bytes(20, 10, 5) + bytes(30, 10, 5) +
                             bytes(0, 0, 1) + bytes(100, 0, 2) + bytes(100, 50, 2) +
                             bytes(0, 50, 5);
    const struct {
        const char *name;
        bool registered;
        QString sheet;
        bool bobFirst; // another job of bob's published the sheet before
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
        {"conflict cancelled", true, "A-1", true, {1}, false, "送信者: bob", "1 bob 3", {}},
        {"conflict overwritten", true, "A-1", true, {0}, true, "送信者: bob", "2 ann 3", {2}},
        {"unregistered", false, "A-1", false, {}, false, "登録されていないので", "", {}},
        {"no sheet name", true, "", false, {}, false, "シート名がありません", "", {}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        PublishWindow w;
        if (row.registered)
            w.window.features().sheet.registerSheet(test::sampleRegistration());
        w.port.deliver(trace);
        if (row.bobFirst) {
            const SheetPublication bobs = test::publicationOf(
                w.model.store(), row.sheet, QStringLiteral("bob"), QStringLiteral("bob's job"));
            ASSERT_TRUE(publishSheet(w.db, bobs).ok());
        }
        w.dialogs.answer(row.answers);
        EXPECT_EQ(w.publish(row.sheet), row.ok);
        const QString told =
            (w.dialogs.notices + w.dialogs.warnings + w.dialogs.questions).join(u'\n');
        EXPECT_TRUE(told.contains(row.told)) << told.toStdString();
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
    EXPECT_LT(revisions.size(), kPoints / 4) << "publishes coalesce";
    EXPECT_TRUE(w.dialogs.warnings.isEmpty()) << w.dialogs.warnings.join(u'\n').toStdString();
}

// Someone else publishes the sheet meanwhile: live sending stops and says why instead of failing
// on every record; nothing of theirs is overwritten.
TEST(PublishWindow, LivePublishingStopsOnAConflict) {
    PublishWindow w;
    w.window.features().sheet.registerSheet(test::sampleRegistration());
    ASSERT_TRUE(w.publish(QStringLiteral("A-1"), true));
    const SheetPublication bobs = test::publicationOf(w.model.store(), QStringLiteral("A-1"),
                                                      QStringLiteral("bob"), QStringLiteral("bob"));
    SheetPublication forced = bobs;
    forced.force = true;
    ASSERT_TRUE(publishSheet(w.db, forced).ok());
    const QString bobsRow = w.sheetRow();
    w.port.deliver(bytes(90, 90, 5));
    QDeadlineTimer deadline(60000);
    while (w.window.features().publish.isLive() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_FALSE(w.window.features().publish.isLive());
    EXPECT_TRUE(w.dialogs.notices.join(u'\n').contains(QStringLiteral("送信者: bob")))
        << w.dialogs.notices.join(u'\n').toStdString();
    EXPECT_EQ(w.sheetRow(), bobsRow);
}

} // namespace
} // namespace digitrace
