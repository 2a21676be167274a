#include "export/publish_connection.h"
#include "tests/export/publish_database.h"
#include "tests/export/publish_samples.h"
#include "tests/export/sample_traces.h"
#include "tests/support/record_text.h"

#include <QThread>

#include <gtest/gtest.h>

#include <thread>

namespace digitrace {
namespace {

using test::databaseOf;
using test::freshDatabase;
using test::PostgresServer;
using test::sharedPostgres;

const QString kSheet = QStringLiteral("L-1");

SheetPublication publicationOf(const test::ClassedSample &sample) {
    SheetPublication p =
        test::publicationOf(sample.trace.model.store(), kSheet, QStringLiteral("ann"));
    p.setClasses(sample.classes());
    return p;
}

const char *const kFeatureRows =
    "(SELECT 'p' AS t, * FROM digitrace_points UNION ALL SELECT 'l', * FROM digitrace_lines "
    "UNION ALL SELECT 'a', * FROM digitrace_polygons) f WHERE sheet = 'L-1'";

// What the sheet holds, but for what differs between two publishes of the same state: the row
// ids, the times, the revision.
QString contentOf(const QString &db, PostgresServer &server = sharedPostgres()) {
    return server.sql(
        databaseOf(db),
        QStringLiteral("SELECT (SELECT md5(string_agg((to_jsonb(f) - 'id' - 'published_at')::text, "
                       "',' ORDER BY fid)) FROM %1) || ' ' || (SELECT concat_ws(' ', points, "
                       "lines, polygons, md5(ST_AsText(geom))) FROM digitrace_sheets WHERE sheet "
                       "= 'L-1')")
            .arg(QLatin1String(kFeatureRows)));
}

int rowCount(const QString &db) {
    return sharedPostgres()
        .sql(databaseOf(db),
             QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(kFeatureRows)))
        .toInt();
}

// Rows the last publish of the sheet inserted: those of the transaction that wrote its row.
int rowsOfLastPublish(const QString &db) {
    return sharedPostgres()
        .sql(databaseOf(db),
             QStringLiteral("SELECT count(*) FROM (SELECT xmin FROM digitrace_points WHERE sheet "
                            "= 'L-1' UNION ALL SELECT xmin FROM digitrace_lines WHERE sheet = "
                            "'L-1' UNION ALL SELECT xmin FROM digitrace_polygons WHERE sheet = "
                            "'L-1') f WHERE xmin = (SELECT xmin FROM digitrace_sheets WHERE sheet "
                            "= 'L-1')"))
        .toInt();
}

// The sheet as a whole publish of the same state leaves it, in a database of its own.
QString wholeContentOf(const SheetPublication &p) {
    const QString db = freshDatabase();
    EXPECT_EQ(publishSheet(db, p).error, QString());
    return contentOf(db);
}

void setValue(test::ClassedSample &s, int slot, const char *field, const QVariant &value) {
    s.features[slot].values[QString::fromUtf8(field)] = value;
}

struct ChangeCase {
    const char *name;
    void (*before)(test::ClassedSample &); // to the state first published
    void (*change)(test::ClassedSample &);
    int deleted;
    int inserted;
};

// The classed sample: points at slots 0 and 18, polygons at 1 and 6, lines at 10, 13 and 16.
class LivePublish : public testing::TestWithParam<ChangeCase> {};

TEST_P(LivePublish, WritesOnlyTheFeaturesAChangeTouches) {
    const ChangeCase &c = GetParam();
    const QString db = freshDatabase();
    ASSERT_TRUE(publishSheet(db, test::publicationOf(test::workedExample().model.store(),
                                                     QStringLiteral("OTHER"), QStringLiteral("bob"),
                                                     QStringLiteral("job-o")))
                    .ok());
    test::ClassedSample sample = test::classedSample();
    c.before(sample);
    SheetPublisher publisher(db);
    const PublishResult first = publisher.publish(publicationOf(sample));
    ASSERT_EQ(first.error, QString());
    const QString others = test::digestOfOthers(db, kSheet);
    const int rowsBefore = rowCount(db);
    c.change(sample);
    SheetPublication p = publicationOf(sample);
    p.knownRevision = first.revision;
    const PublishResult r = publisher.publish(p);
    ASSERT_EQ(r.error, QString());
    EXPECT_TRUE(r.incremental);
    EXPECT_EQ(r.revision, 2);
    const int inserted = rowsOfLastPublish(db);
    EXPECT_EQ(std::pair(rowsBefore - (rowCount(db) - inserted), inserted),
              std::pair(c.deleted, c.inserted));
    EXPECT_EQ(std::pair(r.rowsDeleted, r.rowsInserted), std::pair(c.deleted, c.inserted));
    EXPECT_EQ(contentOf(db), wholeContentOf(p));
    EXPECT_EQ(test::digestOfOthers(db, kSheet), others);
}

void nothing(test::ClassedSample &) {}

INSTANTIATE_TEST_SUITE_P(
    Cases, LivePublish,
    testing::Values(
        ChangeCase{"Unchanged", nothing, nothing, 0, 0},
        ChangeCase{"NewPoint", nothing,
                   [](test::ClassedSample &s) {
                       (void)s.trace.model.takeRecord(test::recordText(500, 600, 4));
                   },
                   0, 1},
        ChangeCase{"SequenceStarted", nothing,
                   [](test::ClassedSample &s) {
                       (void)s.trace.model.takeRecord(test::recordText(500, 600, 1));
                   },
                   0, 0},
        ChangeCase{"VertexOfTheOpenLine",
                   [](test::ClassedSample &s) {
                       (void)s.trace.model.takeRecord(test::recordText(500, 600, 1));
                       (void)s.trace.model.takeRecord(test::recordText(550, 600, 2));
                   },
                   [](test::ClassedSample &s) {
                       (void)s.trace.model.takeRecord(test::recordText(600, 650, 2));
                   },
                   1, 1},
        // The point goes, and the line it ended is open again.
        ChangeCase{"Back", nothing, [](test::ClassedSample &s) { s.trace.model.dropLast(); }, 2, 1},
        ChangeCase{"Clear", nothing, [](test::ClassedSample &s) { s.trace.model.ResetTrace(); }, 7,
                   0},
        ChangeCase{"ClearUndone", [](test::ClassedSample &s) { s.trace.model.ResetTrace(); },
                   [](test::ClassedSample &s) {
                       s.trace.model.restoreTrace(test::classedSample().trace.model);
                   },
                   0, 7},
        ChangeCase{"ClassChanged", nothing,
                   [](test::ClassedSample &s) {
                       s.features[0].className = QStringLiteral("危険/区域:\"A\"");
                   },
                   1, 1},
        ChangeCase{"AttributeChanged", nothing,
                   [](test::ClassedSample &s) { setValue(s, 1, "階数", qlonglong(4)); }, 1, 1}),
    [](const auto &info) { return info.param.name; });

// The sheet's polygon rows locked by another session stop the publish at its delete, where its
// connection is killed; the next publish through the same publisher reconnects and catches up.
TEST(LivePublish, KilledMidwayLeavesTheOldStateAndTheNextCatchesUp) {
    const QString db = freshDatabase();
    test::ClassedSample sample = test::classedSample();
    SheetPublisher publisher(db);
    ASSERT_TRUE(publisher.publish(publicationOf(sample)).ok());
    const QString old = contentOf(db);
    PublishResult failure;
    std::optional<PublishConnection> holder = PublishConnection::open(db, &failure);
    ASSERT_TRUE(holder);
    ASSERT_TRUE(holder->run("BEGIN").ok());
    ASSERT_TRUE(holder->run("SELECT 1 FROM digitrace_polygons FOR UPDATE").ok());
    setValue(sample, 1, "階数", qlonglong(4));
    SheetPublication p = publicationOf(sample);
    p.knownRevision = 1;
    PublishResult killed;
    std::thread publish([&] { killed = publisher.publish(p); });
    const QString kill = QStringLiteral(
        "SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity WHERE wait_event_type = "
        "'Lock' AND query LIKE 'DELETE FROM digitrace_polygons%'");
    const QString db0 = databaseOf(db);
    for (int i = 0; i < 600 && sharedPostgres().sql(db0, kill) != u"1"; ++i)
        QThread::msleep(50);
    publish.join();
    holder->run("ROLLBACK");
    EXPECT_EQ(killed.failure, PublishFailure::Database) << killed.error.toStdString();
    EXPECT_EQ(contentOf(db), old);
    (void)sample.trace.model.takeRecord(test::recordText(500, 600, 4));
    p = publicationOf(sample);
    p.knownRevision = 1;
    const PublishResult caughtUp = publisher.publish(p);
    ASSERT_EQ(caughtUp.error, QString());
    EXPECT_EQ(std::tuple(caughtUp.incremental, caughtUp.rowsDeleted, caughtUp.rowsInserted),
              std::tuple(true, 1, 2));
    EXPECT_EQ(contentOf(db), wholeContentOf(p));
}

// Changes made while the server is down go in one transaction once it is back.
TEST(LivePublish, AfterAnOutageOnePublishCatchesUp) {
    PostgresServer server;
    ASSERT_EQ(server.start(), QString());
    const QString db = freshDatabase(server);
    test::ClassedSample sample = test::classedSample();
    SheetPublisher publisher(db);
    ASSERT_TRUE(publisher.publish(publicationOf(sample)).ok());
    ASSERT_EQ(server.stop(), QString());
    (void)sample.trace.model.takeRecord(test::recordText(500, 600, 4));
    SheetPublication p = publicationOf(sample);
    p.knownRevision = 1;
    EXPECT_FALSE(publisher.publish(p).ok());
    ASSERT_EQ(server.startAgain(), QString());
    setValue(sample, 1, "階数", qlonglong(4));
    p = publicationOf(sample);
    p.knownRevision = 1;
    const PublishResult r = publisher.publish(p);
    ASSERT_EQ(r.error, QString());
    EXPECT_EQ(std::tuple(r.incremental, r.revision, r.rowsDeleted, r.rowsInserted),
              std::tuple(true, 2, 1, 2));
    EXPECT_EQ(contentOf(db, server), wholeContentOf(p));
}

struct InBetweenCase {
    const char *name;
    const char *jobId; // of the publish between this publisher's two; none: `sql` instead
    const char *sql;
    std::optional<int> knownRevision;
    bool force;
    PublishFailure expected;
};

// Another publish of the sheet, or another hand, between two of this publisher's: the conflict
// check as ever, and what this publisher remembers is not trusted any more: the sheet goes whole.
class LivePublishAfterAnother : public testing::TestWithParam<InBetweenCase> {};

TEST_P(LivePublishAfterAnother, IsRefusedOrWritesTheSheetWhole) {
    const InBetweenCase &c = GetParam();
    const QString db = freshDatabase();
    test::ClassedSample sample = test::classedSample();
    SheetPublisher publisher(db);
    ASSERT_TRUE(publisher.publish(publicationOf(sample)).ok());
    if (c.jobId) {
        setValue(sample, 6, "階数", qlonglong(9));
        SheetPublication between = publicationOf(sample);
        between.jobId = QString::fromUtf8(c.jobId);
        between.force = true;
        ASSERT_TRUE(publishSheet(db, between).ok());
    } else {
        ASSERT_FALSE(
            sharedPostgres().sql(databaseOf(db), QString::fromUtf8(c.sql)).startsWith(u"ERROR"));
    }
    const QString theirs = contentOf(db);
    setValue(sample, 1, "階数", qlonglong(4));
    SheetPublication p = publicationOf(sample);
    p.knownRevision = c.knownRevision;
    p.force = c.force;
    const PublishResult r = publisher.publish(p);
    EXPECT_EQ(r.failure, c.expected) << r.error.toStdString();
    EXPECT_FALSE(r.incremental);
    EXPECT_EQ(contentOf(db), r.ok() ? wholeContentOf(p) : theirs);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LivePublishAfterAnother,
    testing::Values(
        InBetweenCase{"OtherJob", "job-2", nullptr, 1, false, PublishFailure::Conflict},
        InBetweenCase{"OtherJobOverwritten", "job-2", nullptr, 1, true, PublishFailure::None},
        InBetweenCase{"SameJobElsewhere", "job-1", nullptr, 2, false, PublishFailure::None},
        // The revision is this publisher's, the rows are not what it wrote.
        InBetweenCase{"RowsDeletedByHand", nullptr, "DELETE FROM digitrace_polygons", 1, false,
                      PublishFailure::None}),
    [](const auto &info) { return info.param.name; });

} // namespace
} // namespace digitrace
