#include "export/class_store.h"
#include "export/sheet_publisher.h"
#include "tests/export/publish_database.h"
#include "tests/export/publish_samples.h"
#include "tests/export/sample_traces.h"
#include "tests/support/postgres_server.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace digitrace {
namespace {

using test::databaseOf;
using test::digestOfOthers;
using test::freshDatabase;
using test::PostgresServer;
using test::publicationOf;
using test::sharedPostgres;

const TraceStore &fullStore() {
    static const test::SampleTrace trace = test::fullTable();
    return trace.model.store();
}

const TraceStore &smallStore() {
    static const test::SampleTrace trace = test::workedExample();
    return trace.model.store();
}

// The socket folder, the database and the login of a connection the test server gave, in libpq's
// URI form.
QString uriOf(const QString &connection, const QString &userInfo = QStringLiteral("postgres")) {
    const QString host = connection.section(QStringLiteral("host="), 1).section(u' ', 0, 0);
    return QStringLiteral("PG:postgresql://%1@/%2?host=%3&port=5432")
        .arg(userInfo, databaseOf(connection), host);
}

QString md5Of(const QString &text) {
    return QString::fromLatin1(
        QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Md5).toHex());
}

// "<revision> <operator> | <points> <lines> <polygons> | <distinct operators of the features>"
QString sheetState(const QString &connection, const QString &sheet,
                   PostgresServer &server = sharedPostgres()) {
    const QString where = QStringLiteral(" WHERE sheet = '%1'").arg(sheet);
    QString counts;
    for (const char *table : {"digitrace_points", "digitrace_lines", "digitrace_polygons"})
        counts += QStringLiteral(" || ' ' || (SELECT count(*) FROM %1%2)")
                      .arg(QLatin1String(table), where);
    return server.sql(
        databaseOf(connection),
        QStringLiteral("SELECT (SELECT revision || ' ' || operator FROM digitrace_sheets%1) || ' |'"
                       "%2 || ' | ' || (SELECT string_agg(DISTINCT operator, ',') FROM (SELECT "
                       "operator FROM digitrace_points%1 UNION ALL SELECT operator FROM "
                       "digitrace_lines%1 UNION ALL SELECT operator FROM digitrace_polygons%1) "
                       "o)")
            .arg(where, counts));
}

QString fullState(int revision, const QString &who) {
    static const FeatureSet set = collectFeatures(fullStore(), {});
    return QStringLiteral("%1 %2 | %3 %4 %5 | %2")
        .arg(revision)
        .arg(who)
        .arg(set.points)
        .arg(set.lines)
        .arg(set.polygons);
}

TEST(PublishSheet, FourSheetsAtOnceIntoAnEmptyDatabaseArriveComplete) {
    const QString db = freshDatabase();
    std::vector<PublishResult> results(4);
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([&, i] {
            results[std::size_t(i)] = publishSheet(
                db, publicationOf(fullStore(), QStringLiteral("sheet-%1").arg(i),
                                  QStringLiteral("op%1").arg(i), QStringLiteral("job-%1").arg(i)));
        });
    for (std::thread &t : threads)
        t.join();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(results[std::size_t(i)].error, QString());
        EXPECT_EQ(sheetState(db, QStringLiteral("sheet-%1").arg(i)),
                  fullState(1, QStringLiteral("op%1").arg(i)));
    }
}

TEST(PublishSheet, OneSheetFromTwoJobsAtOnceIsTakenOnceAndRefusedOnce) {
    const QString db = freshDatabase();
    std::vector<PublishResult> results(2);
    std::vector<std::thread> threads;
    for (int i = 0; i < 2; ++i)
        threads.emplace_back([&, i] {
            results[std::size_t(i)] = publishSheet(
                db, publicationOf(fullStore(), QStringLiteral("same"),
                                  QStringLiteral("op%1").arg(i), QStringLiteral("job-%1").arg(i)));
        });
    for (std::thread &t : threads)
        t.join();
    EXPECT_NE(results[0].ok(), results[1].ok());
    const PublishResult &refused = results[0].ok() ? results[1] : results[0];
    EXPECT_EQ(refused.failure, PublishFailure::Conflict);
}

TEST(PublishSheet, RepublishReplacesWithoutDuplicatesAndKeepsFids) {
    const QString db = freshDatabase();
    SheetPublication p = publicationOf(fullStore(), QStringLiteral("M-1"), QStringLiteral("ann"));
    const PublishResult first = publishSheet(db, p);
    ASSERT_EQ(first.error, QString());
    const QString fidsQuery =
        QStringLiteral("SELECT md5(string_agg(fid::text, ',' ORDER BY fid)) FROM (SELECT fid FROM "
                       "digitrace_points UNION ALL SELECT fid FROM digitrace_lines UNION ALL "
                       "SELECT fid FROM digitrace_polygons) f");
    const QString fids = sharedPostgres().sql(databaseOf(db), fidsQuery);
    p.knownRevision = first.revision;
    const PublishResult second = publishSheet(db, p);
    ASSERT_EQ(second.error, QString());
    EXPECT_EQ(sheetState(db, QStringLiteral("M-1")), fullState(2, QStringLiteral("ann")));
    EXPECT_EQ(sharedPostgres().sql(databaseOf(db), fidsQuery), fids);
}

struct ConflictCase {
    const char *name;
    std::optional<int> knownRevision; // after the first publish, revision 1, by another job
    bool force;
    PublishFailure expected;
};

class PublishConflict : public testing::TestWithParam<ConflictCase> {};

TEST_P(PublishConflict, AnotherRevisionIsRefusedUnlessForced) {
    const ConflictCase &c = GetParam();
    const QString db = freshDatabase();
    ASSERT_TRUE(publishSheet(db, publicationOf(fullStore(), QStringLiteral("M-2"),
                                               QStringLiteral("ann"), QStringLiteral("job-a")))
                    .ok());
    SheetPublication mine = publicationOf(smallStore(), QStringLiteral("M-2"),
                                          QStringLiteral("bob"), QStringLiteral("job-b"));
    mine.knownRevision = c.knownRevision;
    mine.force = c.force;
    const PublishResult r = publishSheet(db, mine);
    EXPECT_EQ(r.failure, c.expected) << r.error.toStdString();
    if (c.expected == PublishFailure::Conflict) {
        EXPECT_EQ(sheetState(db, QStringLiteral("M-2")), fullState(1, QStringLiteral("ann")));
        EXPECT_TRUE(r.holder && r.holder->operatorName == u"ann" && r.holder->revision == 1 &&
                    r.error.contains(r.holder->publishedAt));
    } else {
        EXPECT_EQ(sheetState(db, QStringLiteral("M-2")), QStringLiteral("2 bob | 1 0 1 | bob"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PublishConflict,
    testing::Values(ConflictCase{"NeverPublished", std::nullopt, false, PublishFailure::Conflict},
                    ConflictCase{"StaleRevision", 0, false, PublishFailure::Conflict},
                    ConflictCase{"Forced", std::nullopt, true, PublishFailure::None},
                    ConflictCase{"SameRevision", 1, false, PublishFailure::None}),
    [](const auto &info) { return info.param.name; });

struct RequestCase {
    const char *name;
    void (*change)(SheetPublication &);
    PublishFailure expected;
};

class PublishRequest : public testing::TestWithParam<RequestCase> {};

TEST_P(PublishRequest, IsRefusedWithItsReasonAndChangesNothing) {
    const QString db = freshDatabase();
    ASSERT_TRUE(
        publishSheet(db, publicationOf(fullStore(), QStringLiteral("M-3"), QStringLiteral("ann")))
            .ok());
    // Only a refused row: no sheet of polygons goes in.
    sharedPostgres().sql(databaseOf(db), QStringLiteral("ALTER TABLE digitrace_polygons ADD "
                                                        "CONSTRAINT no_rows CHECK (sheet = 'M-3' "
                                                        "AND false) NOT VALID"));
    SheetPublication p = publicationOf(smallStore(), QStringLiteral("M-3"), QStringLiteral("ann"));
    p.knownRevision = 1;
    GetParam().change(p);
    const PublishResult r = publishSheet(db, p);
    EXPECT_EQ(r.failure, GetParam().expected) << r.error.toStdString();
    EXPECT_EQ(sheetState(db, QStringLiteral("M-3")), fullState(1, QStringLiteral("ann")));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PublishRequest,
    testing::Values(
        RequestCase{"Unregistered", [](SheetPublication &p) { p.registration.reset(); },
                    PublishFailure::Request},
        RequestCase{"NoCrs", [](SheetPublication &p) { p.registration->crs.clear(); },
                    PublishFailure::Request},
        RequestCase{"OtherCrs",
                    [](SheetPublication &p) { p.registration->crs = QStringLiteral("EPSG:6676"); },
                    PublishFailure::Request},
        RequestCase{"BlankSheet", [](SheetPublication &p) { p.sheet = QStringLiteral(" "); },
                    PublishFailure::Request},
        RequestCase{"InsertRefused", [](SheetPublication &) {}, PublishFailure::Database}),
    [](const auto &info) { return info.param.name; });

struct ConnectionCase {
    const char *name;
    QString (*connection)();
    PublishFailure expected;
};

class PublishConnection : public testing::TestWithParam<ConnectionCase> {};

TEST_P(PublishConnection, FailsWithAClearReasonAndNoPassword) {
    const PublishResult r = publishSheet(
        GetParam().connection(), publicationOf(smallStore(), QStringLiteral("M-4"), QString()));
    EXPECT_EQ(r.failure, GetParam().expected) << r.error.toStdString();
    EXPECT_FALSE(r.error.contains(QStringLiteral("wrong-password")));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PublishConnection,
    testing::Values(
        ConnectionCase{"WrongPassword",
                       [] {
                           return sharedPostgres().connection(QStringLiteral("postgres"),
                                                              PostgresServer::kPasswordRole) +
                                  QStringLiteral(" password=wrong-password");
                       },
                       PublishFailure::Authentication},
        ConnectionCase{"UnreachableHost",
                       [] {
                           return QStringLiteral("PG:host=127.0.0.1 port=1 dbname=maps "
                                                 "connect_timeout=5 password='wrong-password "
                                                 "with blanks'");
                       },
                       PublishFailure::Connection},
        ConnectionCase{"NotAConnectionString",
                       [] { return QStringLiteral("host=server dbname=maps"); },
                       PublishFailure::Request},
        ConnectionCase{
            "UnreadableWithPassword",
            [] { return QStringLiteral("PG:dbname=maps password=wrong-password wrong-password"); },
            PublishFailure::Request},
        ConnectionCase{"UriForm", [] { return uriOf(freshDatabase()); }, PublishFailure::None},
        ConnectionCase{"UriWithWrongPassword",
                       [] {
                           return uriOf(freshDatabase(), PostgresServer::kPasswordRole +
                                                             QStringLiteral(":wrong-password"));
                       },
                       PublishFailure::Authentication},
        ConnectionCase{"UriPasswordParameter",
                       [] {
                           return uriOf(freshDatabase(), PostgresServer::kPasswordRole) +
                                  QStringLiteral("&password=wrong-password");
                       },
                       PublishFailure::Authentication},
        ConnectionCase{"SchemaThatIsNotThere",
                       [] { return freshDatabase() + QStringLiteral(" active_schema=nosuch"); },
                       PublishFailure::Request},
        ConnectionCase{
            "UriSchemaThatIsNotThere",
            [] { return uriOf(freshDatabase()) + QStringLiteral("&active_schema=nosuch"); },
            PublishFailure::Request}),
    [](const auto &info) { return info.param.name; });

// A schema of the connection's own takes the tables; public stays as it was.
TEST(PublishSheet, ActiveSchemaTakesTheTables) {
    const QString db = freshDatabase();
    sharedPostgres().sql(databaseOf(db), QStringLiteral("CREATE SCHEMA team"));
    const PublishResult r =
        publishSheet(db + QStringLiteral(" active_schema=team"),
                     publicationOf(smallStore(), QStringLiteral("T-1"), QStringLiteral("ann")));
    ASSERT_EQ(r.error, QString());
    EXPECT_EQ(
        sharedPostgres().sql(
            databaseOf(db),
            QStringLiteral("SELECT string_agg(DISTINCT relnamespace::regnamespace::text, ',') "
                           "FROM pg_class WHERE relname LIKE 'digitrace%'")),
        QStringLiteral("team"));
}

struct HostileCase {
    const char *name;
    QString value;
    bool sheetTakes;      // a sheet name can be it; else the publish is refused before it starts
    bool crsTakes = true; // GDAL reads a WKT with it as the name
    bool operatorTakes = true; // else refused whole, never stored cut short
};

// Everything a value could do inside an SQL text or a format string, as an operator name, a sheet
// name and the name inside a CRS's WKT: each is stored byte for byte and no other row changes.
class PublishHostileText : public testing::TestWithParam<HostileCase> {};

TEST_P(PublishHostileText, IsStoredAsItIsAndTouchesNothingElse) {
    const HostileCase &c = GetParam();
    const QString db = freshDatabase();
    ASSERT_TRUE(publishSheet(db, publicationOf(fullStore(), QStringLiteral("OTHER-1"),
                                               QStringLiteral("ann"), QStringLiteral("job-a")))
                    .ok());
    ASSERT_TRUE(publishSheet(db, publicationOf(smallStore(), QStringLiteral("OTHER-2"),
                                               QStringLiteral("bob"), QStringLiteral("job-b")))
                    .ok());
    OGRSpatialReference srs;
    srs.importFromEPSG(6677);
    char *wkt = nullptr;
    const char *options[] = {"FORMAT=WKT2_2019", nullptr};
    srs.exportToWkt(&wkt, options);
    QString crs = QString::fromUtf8(wkt);
    CPLFree(wkt);
    crs.replace(QRegularExpression(QStringLiteral("^PROJCRS\\[\"[^\"]*\"")),
                QStringLiteral("PROJCRS[\"%1\"")
                    .arg(QString(c.value).replace(u'"', QStringLiteral("\"\""))));
    struct Field {
        QString sheet, who, crs;
        bool takes;
    };
    const Field fields[] = {
        {QStringLiteral("H-op"), c.value, QStringLiteral("EPSG:6677"), c.operatorTakes},
        {c.value, QStringLiteral("ann"), QStringLiteral("EPSG:6677"), c.sheetTakes},
        {QStringLiteral("H-crs"), QStringLiteral("ann"), crs, c.crsTakes}};
    for (const Field &f : fields) {
        const QString before = digestOfOthers(db, f.sheet);
        SheetPublication p = publicationOf(smallStore(), f.sheet, f.who, QStringLiteral("job-h"));
        p.registration->crs = f.crs;
        const PublishResult r = publishSheet(db, p);
        EXPECT_EQ(r.ok(), f.takes) << r.error.left(300).toStdString();
        EXPECT_EQ(digestOfOthers(db, f.sheet), before);
        if (!f.takes)
            continue;
        const QString who = f.who.isEmpty() ? QStringLiteral("postgres") : f.who;
        EXPECT_EQ(
            sharedPostgres().sql(
                databaseOf(db),
                QStringLiteral("SELECT revision || ' ' || points || ' ' || polygons || ' ' || "
                               "(SELECT count(*) FROM digitrace_points WHERE md5(sheet) = "
                               "'%1' AND md5(operator) = '%2') FROM digitrace_sheets WHERE "
                               "md5(sheet) = '%1' AND md5(operator) = '%2' AND md5(crs) = "
                               "'%3'")
                    .arg(md5Of(f.sheet), md5Of(who), md5Of(f.crs))),
            QStringLiteral("1 1 1 1"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PublishHostileText,
    testing::Values(
        HostileCase{"Placeholders", QStringLiteral("%1%2%3%4%5%6%7%8%9%10 100%1 bob%6"), true},
        HostileCase{"Injection",
                    QStringLiteral("'; DELETE FROM digitrace_polygons; UPDATE digitrace_sheets "
                                   "SET sheet ='%10"),
                    true},
        HostileCase{"Quotes", QStringLiteral("O'Brien \"Bob\" \\ \\' ''"), true},
        HostileCase{"DollarQuotes", QStringLiteral("$$; DROP TABLE digitrace_lines; $$ $1 $tag$"),
                    true},
        HostileCase{"Comment", QStringLiteral("a -- b /* c"), true},
        HostileCase{"ControlCharacters", QStringLiteral("a\tb\nc\rd\x01\x1b[31m\x7f"), false},
        HostileCase{"RightToLeftMark", QStringLiteral("\u200F\u05D0\u202E%1"), true},
        HostileCase{"OneMegabyte", QString(1 << 20, u'\'') + QStringLiteral("%1"), false, false},
        HostileCase{"Empty", QString(), false},
        HostileCase{"Nul", QStringLiteral("ann") + QChar(0) + QStringLiteral("bob"), false, false,
                    false}),
    [](const auto &info) { return info.param.name; });

struct TablesCase {
    const char *name;
    bool publishedBefore;
    const char *setup;
    PublishFailure expected;
    const char *says;
};

// Tables that cannot take a publish as it is, or a server that refuses it midway: refused with
// the real cause, and the database stays as it was, with no table left of a failed first publish.
class PublishIntoTables : public testing::TestWithParam<TablesCase> {};

TEST_P(PublishIntoTables, IsRefusedWithTheCauseAndChangesNothing) {
    const TablesCase &c = GetParam();
    const QString db = freshDatabase();
    if (c.publishedBefore) {
        ASSERT_TRUE(publishSheet(db, publicationOf(fullStore(), QStringLiteral("LIST-9"),
                                                   QStringLiteral("ann")))
                        .ok());
    }
    ASSERT_FALSE(sharedPostgres().sql(databaseOf(db), QLatin1String(c.setup)).startsWith(u"ERROR"));
    const QString before = digestOfOthers(db, QString());
    SheetPublication p =
        publicationOf(smallStore(), QStringLiteral("LIST-9"), QStringLiteral("bob"));
    p.force = true;
    const PublishResult r = publishSheet(db, p);
    EXPECT_EQ(r.failure, c.expected) << r.error.toStdString();
    EXPECT_TRUE(r.error.contains(QString::fromUtf8(c.says))) << r.error.toStdString();
    EXPECT_EQ(digestOfOthers(db, QString()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PublishIntoTables,
    testing::Values(
        TablesCase{"ShortSheetColumn", false,
                   "CREATE TABLE digitrace_sheets (id serial PRIMARY KEY, sheet varchar(2) NOT "
                   "NULL UNIQUE, operator text, revision integer NOT NULL DEFAULT 0, published_at "
                   "timestamptz, transform text, rms_map double precision, rms_tablet double "
                   "precision, crs text, points integer, lines integer, polygons integer, geom "
                   "geometry(Polygon, 6677))",
                   PublishFailure::Request, "digitrace_sheets.sheet は character varying(2)"},
        TablesCase{"MissingColumn", true, "ALTER TABLE digitrace_lines DROP COLUMN length",
                   PublishFailure::Request, "digitrace_lines.length"},
        TablesCase{"OtherGeometry", true,
                   "ALTER TABLE digitrace_points ALTER geom TYPE geometry(MultiPoint, 6677) USING "
                   "ST_Multi(geom)",
                   PublishFailure::Request, "digitrace_points.geom"},
        TablesCase{"RowRefused", true,
                   "ALTER TABLE digitrace_polygons ADD CONSTRAINT no_rows CHECK (false) NOT VALID",
                   PublishFailure::Database, "no_rows"},
        TablesCase{"DiskFull", true,
                   "CREATE FUNCTION full_disk() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN RAISE "
                   "EXCEPTION 'could not extend file' USING ERRCODE = 'disk_full'; END$$; CREATE "
                   "TRIGGER full_disk BEFORE INSERT ON digitrace_polygons FOR EACH ROW EXECUTE "
                   "FUNCTION full_disk()",
                   PublishFailure::Database, "ディスクがいっぱい"}),
    [](const auto &info) { return info.param.name; });

// A publish killed at any moment leaves the sheet as the last complete publish left it.
TEST(PublishSheet, KilledAtManyPointsLeavesOldOrNewContentNeverAMix) {
    const QString db = freshDatabase();
    auto child = [&](QProcess &process, const QString &who) {
        process.start(QStringLiteral(DIGITRACE_PUBLISH_CHILD), {db, QStringLiteral("K-1"), who});
        return process.waitForStarted();
    };
    QProcess whole;
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(child(whole, QStringLiteral("w0")));
    ASSERT_TRUE(whole.waitForFinished(120000));
    ASSERT_EQ(whole.exitCode(), 0) << whole.readAll().toStdString();
    const auto took = std::chrono::steady_clock::now() - started;
    QString last = fullState(1, QStringLiteral("w0"));
    constexpr int kKills = 12;
    for (int i = 1; i <= kKills; ++i) {
        QProcess process;
        const QString who = QStringLiteral("w%1").arg(i);
        ASSERT_TRUE(child(process, who));
        QThread::usleep(
            std::uint64_t(std::chrono::duration_cast<std::chrono::microseconds>(took).count() * i /
                          (kKills + 1)));
        process.kill();
        process.waitForFinished();
        const QString state = sheetState(db, QStringLiteral("K-1"));
        const QString next = fullState(last.section(u' ', 0, 0).toInt() + 1, who);
        EXPECT_TRUE(state == last || state == next) << "kill " << i << ": " << state.toStdString();
        last = state;
    }
}

// Another session holding one of the sheet's polygons stops the publish after it removed the
// sheet's points and lines; the server then stops under it.
TEST(PublishSheet, ServerStoppedMidPublishLeavesTheOldContent) {
    PostgresServer server;
    ASSERT_EQ(server.start(), QString());
    const QString db = freshDatabase(server);
    ASSERT_TRUE(
        publishSheet(db, publicationOf(fullStore(), QStringLiteral("S-1"), QStringLiteral("ann")))
            .ok());
    GDALAllRegister();
    GDALDataset *holder =
        GDALDataset::Open(db.toUtf8().constData(), GDAL_OF_VECTOR | GDAL_OF_UPDATE);
    ASSERT_NE(holder, nullptr);
    ASSERT_EQ(holder->StartTransaction(), OGRERR_NONE);
    OGRLayer *locked = holder->ExecuteSQL(
        "SELECT id FROM digitrace_polygons WHERE sheet = 'S-1' LIMIT 1 FOR UPDATE", nullptr,
        nullptr);
    ASSERT_NE(locked, nullptr);
    delete locked->GetNextFeature();
    SheetPublication p = publicationOf(smallStore(), QStringLiteral("S-1"), QStringLiteral("ann"));
    p.knownRevision = 1;
    PublishResult r;
    std::thread publish([&] { r = publishSheet(db, p); });
    const QString waiting = QStringLiteral(
        "SELECT count(*) FROM pg_stat_activity WHERE wait_event_type = 'Lock' AND query LIKE "
        "'DELETE FROM digitrace_polygons%'");
    for (int i = 0; i < 600 && server.sql(QStringLiteral("postgres"), waiting) != u"1"; ++i)
        QThread::msleep(50);
    EXPECT_EQ(server.stop(), QString());
    publish.join();
    holder->ReleaseResultSet(locked);
    CPLPushErrorHandler(CPLQuietErrorHandler);
    GDALClose(holder);
    CPLPopErrorHandler();
    EXPECT_EQ(r.failure, PublishFailure::Database) << r.error.toStdString();
    ASSERT_EQ(server.startAgain(), QString());
    EXPECT_EQ(sheetState(db, QStringLiteral("S-1"), server), fullState(1, QStringLiteral("ann")));
}

// Two classes with a field of each type; the sample's polygon and point are traced into them.
constexpr const char *kCatalogue = "[建物]\nkind = polygon\nfield = 階数 integer default 1\n"
                                   "field = 構造 choice 木造|鉄骨|RC\nfield = 竣工 date\n"
                                   "field = 面積 real\n[基準点]\nkind = point\nfield = 名称 text\n";

// A catalogue whose names a careless statement would run as SQL, and names the server would cut
// to the same bytes.
const QString kHostileCatalogue =
    QStringLiteral("[a\"b]\nkind = polygon\nfield = c\"d';--e integer\nfield = geom text\n"
                   "field = %1 real\n[x'; DROP TABLE digitrace_points; --]\nkind = point\n"
                   "[%2A]\nkind = line\n[%2B]\nkind = line\n[points]\nkind = point\n")
        .arg(QString(100, u'x'), QString(60, u'y'));

const QVariantMap kBuilding{{QStringLiteral("階数"), qlonglong(3)},
                            {QStringLiteral("構造"), QStringLiteral("RC")},
                            {QStringLiteral("竣工"), QDate(2024, 5, 1)},
                            {QStringLiteral("面積"), 12.5}};

struct ClassesCase {
    const char *name;
    QString catalogue;
    QVariantMap polygonValues; // the point goes as 基準点 where the catalogue has it
    const char *before;        // SQL after an unclassified publish of sheet C-0
    const char *query;
    const char *expected;
    qsizetype notes = 0;
};

// A classed sheet published: each feature's class and typed values, and a view per class with
// typed columns that no name or value from outside can break.
class PublishClasses : public testing::TestWithParam<ClassesCase> {};

SheetPublication classedPublication(const QString &catalogueText, const QVariantMap &values) {
    SheetPublication p = publicationOf(smallStore(), QStringLiteral("C-1"), QStringLiteral("ann"));
    const std::optional<ClassCatalogue> catalogue = ClassCatalogue::read(catalogueText);
    EXPECT_TRUE(catalogue);
    ClassedFeatures features;
    for (const Feature &f : collectFeatures(smallStore(), {}).features) {
        if (f.kind == FeatureKind::Polygon)
            features[f.firstSlot] = {catalogue->classes().at(0).name, values};
        else if (catalogue->find(QStringLiteral("基準点")))
            features[f.firstSlot] = {QStringLiteral("基準点"),
                                     {{QStringLiteral("名称"), QStringLiteral("O'Brien")}}};
    }
    p.setClasses({&*catalogue, &features});
    return p;
}

TEST_P(PublishClasses, KeepsClassesAndValuesTypedInTablesAndViews) {
    const ClassesCase &c = GetParam();
    const QString db = freshDatabase();
    ASSERT_TRUE(
        publishSheet(db, publicationOf(fullStore(), QStringLiteral("C-0"), QStringLiteral("bob")))
            .ok());
    ASSERT_FALSE(
        sharedPostgres().sql(databaseOf(db), QString::fromUtf8(c.before)).startsWith(u"ERROR"));
    const PublishResult r = publishSheet(db, classedPublication(c.catalogue, c.polygonValues));
    ASSERT_EQ(r.error, QString());
    EXPECT_EQ(sharedPostgres().sql(databaseOf(db), QString::fromUtf8(c.query)).toStdString(),
              c.expected);
    EXPECT_EQ(r.notes.size(), c.notes) << r.notes.join(u'\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PublishClasses,
    testing::Values(
        ClassesCase{"ClassAndTypedJson", QString::fromUtf8(kCatalogue), kBuilding, "SELECT 1",
                    "SELECT string_agg(class || ' ' || (attributes = '{\"階数\": 3, \"構造\": "
                    "\"RC\", \"竣工\": \"2024-05-01\", \"面積\": 12.5}' OR attributes = "
                    "'{\"名称\": \"O''Brien\"}'), ',' ORDER BY class) FROM (SELECT class, "
                    "attributes FROM digitrace_points WHERE sheet = 'C-1' UNION ALL SELECT "
                    "class, attributes FROM digitrace_polygons WHERE sheet = 'C-1') f",
                    "基準点 true,建物 true"},
        ClassesCase{
            "TypedViewColumns", QString::fromUtf8(kCatalogue), kBuilding, "SELECT 1",
            "SELECT concat_ws(' ', 階数, pg_typeof(階数), 構造, 竣工, pg_typeof(竣工), 面積, "
            "pg_typeof(面積), sheet, ST_GeometryType(geom)) FROM digitrace_建物",
            "3 bigint RC 2024-05-01 date 12.5 double precision C-1 ST_Polygon"},
        ClassesCase{"OldTablesGainTheColumns", QString::fromUtf8(kCatalogue), kBuilding,
                    "ALTER TABLE digitrace_points DROP COLUMN class, DROP COLUMN attributes; "
                    "ALTER TABLE digitrace_lines DROP COLUMN class, DROP COLUMN attributes; "
                    "ALTER TABLE digitrace_polygons DROP COLUMN class, DROP COLUMN attributes",
                    "SELECT count(*) FILTER (WHERE class IS NULL) || ' ' || string_agg(class, "
                    "',') FROM digitrace_polygons",
                    "833 建物"},
        ClassesCase{
            "ValueThatDoesNotCast",
            QString::fromUtf8(kCatalogue),
            {{QStringLiteral("階数"), QStringLiteral("三階")},
             {QStringLiteral("竣工"), QStringLiteral("2024-02-30")},
             {QStringLiteral("面積"), QStringLiteral("1e999")}},
            "SELECT 1",
            "SELECT concat_ws(' ', coalesce(階数::text, 'none'), coalesce(竣工::text, 'none'), "
            "coalesce(面積::text, 'none'), (SELECT attributes->>'階数' FROM "
            "digitrace_polygons WHERE class IS NOT NULL)) FROM digitrace_建物",
            "none none none 三階"},
        ClassesCase{"ViewOfAnotherCatalogueReplaced",
                    QStringLiteral("[建物]\nkind = polygon\nfield = 階数 real\n"), kBuilding,
                    "CREATE VIEW digitrace_建物 AS SELECT 'text'::text AS 階数, 1 AS 余分",
                    "SELECT 階数 || ' ' || pg_typeof(階数) FROM digitrace_建物",
                    "3 double precision"},
        ClassesCase{"HostileNames",
                    kHostileCatalogue,
                    {{QStringLiteral("c\"d';--e"), qlonglong(7)},
                     {QStringLiteral("geom"), QStringLiteral("g")}},
                    "SELECT 1",
                    "SELECT (SELECT count(*) FROM pg_views WHERE viewname LIKE 'digitrace%' AND "
                    "octet_length(viewname) <= 63) || ' ' || (SELECT count(DISTINCT column_name) "
                    "FROM information_schema.columns WHERE table_name = 'digitrace_a\"b') || ' "
                    "' || (SELECT \"c\"\"d';--e\" FROM \"digitrace_a\"\"b\") || ' ' || (SELECT "
                    "count(*) FROM digitrace_points)",
                    "5 17 7 1668",
                    5}),
    [](const auto &info) { return info.param.name; });

// What a GIS sees: each class a layer, each field a typed column.
TEST(PublishClasses, ViewsOpenAsLayersInOgrinfo) {
    const QString db = freshDatabase();
    ASSERT_EQ(publishSheet(db, classedPublication(QString::fromUtf8(kCatalogue), kBuilding)).error,
              QString());
    QProcess ogrinfo;
    ogrinfo.start(QStringLiteral("ogrinfo"),
                  {QStringLiteral("-ro"), QStringLiteral("-so"), db,
                   QStringLiteral("digitrace_建物"), QStringLiteral("digitrace_基準点")});
    ASSERT_TRUE(ogrinfo.waitForFinished(60000));
    const QString out = QString::fromUtf8(ogrinfo.readAllStandardOutput());
    for (const char *line : {"Layer name: digitrace_建物", "Geometry: Polygon", "Feature Count: 1",
                             "階数: Integer64", "構造: String", "竣工: Date", "面積: Real",
                             "Layer name: digitrace_基準点", "Geometry: Point", "名称: String"})
        EXPECT_TRUE(out.contains(QString::fromUtf8(line))) << line << "\n" << out.toStdString();
}

// Publishes that find the views missing at the same moment take turns making them.
TEST(PublishClasses, FourClassedSheetsAtOnceAllArrive) {
    const QString db = freshDatabase();
    ASSERT_TRUE(
        publishSheet(db, publicationOf(smallStore(), QStringLiteral("C-0"), QStringLiteral("ann")))
            .ok());
    std::vector<PublishResult> results(4);
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([&, i] {
            SheetPublication p = classedPublication(QString::fromUtf8(kCatalogue), kBuilding);
            p.sheet = QStringLiteral("C-%1").arg(i + 1);
            results[std::size_t(i)] = publishSheet(db, p);
        });
    for (std::thread &t : threads)
        t.join();
    for (const PublishResult &r : results)
        EXPECT_EQ(r.error.toStdString(), "");
    EXPECT_EQ(
        sharedPostgres().sql(databaseOf(db), QStringLiteral("SELECT count(*) FROM digitrace_建物")),
        QStringLiteral("4"));
}

TEST(PublishClasses, UnclassifiedSheetHasNoClassesAndMakesNoViews) {
    const QString db = freshDatabase();
    ASSERT_TRUE(
        publishSheet(db, publicationOf(smallStore(), QStringLiteral("U-1"), QStringLiteral("ann")))
            .ok());
    EXPECT_EQ(sharedPostgres().sql(
                  databaseOf(db),
                  QStringLiteral("SELECT (SELECT count(*) FROM pg_views WHERE viewname LIKE "
                                 "'digitrace%') || ' ' || (SELECT count(*) FROM (SELECT class, "
                                 "attributes FROM digitrace_points UNION ALL SELECT class, "
                                 "attributes FROM digitrace_polygons) f WHERE class IS NOT NULL "
                                 "OR attributes IS NOT NULL)")),
              QStringLiteral("0 0"));
}

struct StoreCase {
    const char *name;
    QString catalogueName;
    QString text;
    PublishFailure sent;
};

// A catalogue sent to the shared database comes back as it went, under its name, and replaces an
// earlier one of that name; one that cannot be kept is refused before anything changes.
class CatalogueStore : public testing::TestWithParam<StoreCase> {};

TEST_P(CatalogueStore, SentAndLoadedBackWhole) {
    const StoreCase &c = GetParam();
    const QString db = freshDatabase();
    ASSERT_TRUE(sendCatalogue(db, QStringLiteral("道路"), QStringLiteral("[道路]\nkind = line\n"),
                              QStringLiteral("bob"))
                    .ok());
    const CatalogueResult sent = sendCatalogue(db, c.catalogueName, c.text, QStringLiteral("ann"));
    EXPECT_EQ(sent.failure, c.sent) << sent.error.toStdString();
    const CatalogueResult listed = listCatalogues(db);
    QStringList names;
    for (const StoredCatalogue &stored : listed.catalogues)
        names << stored.name + u'/' + stored.sentBy;
    const QString other = QStringLiteral("道路/bob");
    const QString mine = c.catalogueName + QStringLiteral("/ann");
    const QStringList expected = c.sent != PublishFailure::None ? QStringList{other}
                                 : c.catalogueName == u"道路"   ? QStringList{mine}
                                                                : QStringList{mine, other};
    EXPECT_EQ(names, expected);
    if (c.sent != PublishFailure::None)
        return;
    const CatalogueResult loaded = loadCatalogue(db, c.catalogueName);
    ASSERT_EQ(loaded.error, QString());
    EXPECT_EQ(loaded.catalogues.at(0).text, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CatalogueStore,
    testing::Values(StoreCase{"New", QStringLiteral("1-建物"), QString::fromUtf8(kCatalogue),
                              PublishFailure::None},
                    StoreCase{"ReplacesItsName", QStringLiteral("道路"),
                              QString::fromUtf8(kCatalogue), PublishFailure::None},
                    StoreCase{"HostileName",
                              QStringLiteral("'; DROP TABLE digitrace_classes; -- $1 %1"),
                              kHostileCatalogue, PublishFailure::None},
                    StoreCase{"Unreadable", QStringLiteral("1-壊れ"),
                              QStringLiteral("[建物]\nkind = cube\n"), PublishFailure::Request},
                    StoreCase{"BlankName", QStringLiteral(" "), QString::fromUtf8(kCatalogue),
                              PublishFailure::Request},
                    StoreCase{"NulInText", QStringLiteral("1-nul"),
                              QString::fromUtf8(kCatalogue) + QStringLiteral("# a") + QChar(0),
                              PublishFailure::Database}),
    [](const auto &info) { return info.param.name; });

TEST(CatalogueStore, LoadingANameNotThereIsRefused) {
    const QString db = freshDatabase();
    EXPECT_EQ(loadCatalogue(db, QStringLiteral("道路")).failure, PublishFailure::Request);
}

} // namespace
} // namespace digitrace
