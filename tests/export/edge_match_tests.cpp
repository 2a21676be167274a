#include "export/edge_match.h"
#include "model/trace_model.h"
#include "tests/export/publish_database.h"
#include "tests/support/record_text.h"

#include <QPointF>

#include <gtest/gtest.h>

namespace digitrace {
namespace {

using test::digestOfOthers;
using test::freshDatabase;

// Tiles of a series, each 8000 x 6000 tablet units at half a metre per unit, registered by its
// four corners: the outline each publishes is its tile, and neighbours share its edges.
Registration tileRegistration(int col, int row, const QString &crs = QStringLiteral("EPSG:6677")) {
    const double x0 = -20000 + 4000.0 * col, y0 = -40000 + 3000.0 * row;
    Registration r;
    r.crs = crs;
    r.points = {{QStringLiteral("A"), 0, 0, x0, y0, true},
                {QStringLiteral("B"), 8000, 0, x0 + 4000, y0, true},
                {QStringLiteral("C"), 8000, 6000, x0 + 4000, y0 + 3000, true},
                {QStringLiteral("D"), 0, 6000, x0, y0 + 3000, true}};
    return r;
}

const char *const kCatalogue = "[道路]\nkind = line\n[河川]\nkind = line\n";

struct Traced {
    bool polygon;
    std::vector<QPointF> at; // tablet units
    const char *className = "";
};

struct Tile {
    int col, row;
    std::vector<Traced> features;
};

SheetPublication tilePublication(const Tile &tile, const QString &sheet) {
    TraceModel model;
    model.ResetTrace();
    ClassedFeatures classes;
    for (const Traced &f : tile.features) {
        if (*f.className)
            classes.insert(model.store().PtCount, {QString::fromUtf8(f.className), {}});
        for (std::size_t i = 0; i < f.at.size(); ++i)
            model.takeRecord(test::recordText(f.at[i].x(), f.at[i].y(), i == 0 ? 1 : 2));
        // A polygon is closed, a line ended, by a record of another code.
        model.takeRecord(test::recordText(0, 0, f.polygon ? 3 : 1));
    }
    SheetPublication p;
    p.sheet = sheet;
    p.jobId = sheet;
    p.registration = tileRegistration(tile.col, tile.row);
    p.store = model.store();
    static const ClassCatalogue catalogue =
        *ClassCatalogue::read(QString::fromUtf8(kCatalogue), nullptr);
    p.setClasses({&catalogue, &classes});
    return p;
}

QString endText(const SheetEnd &e) {
    return QStringLiteral("%1 %2 %3,%4")
        .arg(e.sheet, e.className.isNull() ? QStringLiteral("-") : e.className,
             QString::number(e.at.x, 'f', 2), QString::number(e.at.y, 'f', 2));
}

// One line an end: "= own | neighbour's", "< own" unmatched, "> neighbour's" unmatched.
QString reportText(const EdgeMatchReport &r) {
    QStringList lines;
    for (const auto &[own, theirs] : r.matched)
        lines << QStringLiteral("= ") + endText(own) + QStringLiteral(" | ") + endText(theirs);
    for (const SheetEnd &e : r.unmatched)
        lines << QStringLiteral("< ") + endText(e);
    for (const SheetEnd &e : r.neighboursUnmatched)
        lines << QStringLiteral("> ") + endText(e);
    return r.error.isEmpty() ? lines.join(u'\n') : r.error;
}

QString sheetName(const char *prefix, const Tile &tile) {
    return QString::fromUtf8(prefix) + QStringLiteral("T%1%2").arg(tile.col).arg(tile.row);
}

// 0.4 mm on a sheet at 1:500: 0.2 m, 0.4 tablet units.
constexpr double kToleranceMm = 0.4;

struct EdgeCase {
    const char *name;
    std::vector<Tile> tiles; // all published; the first is checked
    const char *expected;
    const char *prefix = ""; // of every sheet name
};

void PrintTo(const EdgeCase &c, std::ostream *os) {
    *os << c.name;
}

class EdgeMatch : public testing::TestWithParam<EdgeCase> {};

TEST_P(EdgeMatch, EndsOnTheEdgeAreMatchedWithTheNeighboursOnes) {
    const EdgeCase &c = GetParam();
    const QString db = freshDatabase();
    std::vector<SheetPublication> sheets;
    for (const Tile &tile : c.tiles) {
        sheets.push_back(tilePublication(tile, sheetName(c.prefix, tile)));
        ASSERT_EQ(publishSheet(db, sheets.back()).error, QString());
    }
    const QString before = digestOfOthers(db, sheets[0].sheet);
    const double tolerance = edgeTolerance(kToleranceMm, 1, *sheets[0].registration);
    EXPECT_EQ(reportText(matchSheetEdges(db, sheets[0], tolerance)), QString::fromUtf8(c.expected));
    EXPECT_EQ(digestOfOthers(db, sheets[0].sheet), before);
}

const std::vector<QPointF> kRightSquare{{7000, 1000}, {8000, 1000}, {8000, 2000}, {7000, 2000}};
const std::vector<QPointF> kLeftSquare{{0, 1000}, {1000, 1000}, {1000, 2000}, {0, 2000}};

INSTANTIATE_TEST_SUITE_P(
    Cases, EdgeMatch,
    testing::Values(
        // Ends 0.1 m apart across the shared edge; the polygon's corners on the edge, not the
        // vertex between them that lies along it.
        EdgeCase{
            "LineAndPolygonAcrossTheEdge",
            {{0,
              0,
              {{false, {{6000, 3000}, {8000, 3000}}},
               {true, {{7000, 1000}, {8000, 1000}, {8000, 1500}, {8000, 2000}, {7000, 2000}}}}},
             {1, 0, {{false, {{0, 3000.2}, {2000, 3000}}}, {true, kLeftSquare}}}},
            "= T00 - -16000.00,-38500.00 | T10 - -16000.00,-38499.90\n"
            "= T00 - -16000.00,-39500.00 | T10 - -16000.00,-39500.00\n"
            "= T00 - -16000.00,-39000.00 | T10 - -16000.00,-39000.00"},
        EdgeCase{"EndOffByMoreThanTheTolerance",
                 {{0, 0, {{false, {{6000, 3000}, {8000, 3000}}}}},
                  {1, 0, {{false, {{0, 3001}, {2000, 3000}}}}}},
                 "< T00 - -16000.00,-38500.00\n"
                 "> T10 - -16000.00,-38499.50"},
        EdgeCase{"SameClassMatches",
                 {{0, 0, {{false, {{6000, 3000}, {8000, 3000}}, "道路"}}},
                  {1, 0, {{false, {{0, 3000}, {2000, 3000}}, "道路"}}}},
                 "= T00 道路 -16000.00,-38500.00 | T10 道路 -16000.00,-38500.00"},
        EdgeCase{"AnotherClassDoesNot",
                 {{0, 0, {{false, {{6000, 3000}, {8000, 3000}}, "道路"}}},
                  {1, 0, {{false, {{0, 3000}, {2000, 3000}}, "河川"}}}},
                 "< T00 道路 -16000.00,-38500.00\n"
                 "> T10 河川 -16000.00,-38500.00"},
        EdgeCase{"NoClassDoesNotMatchAClass",
                 {{0, 0, {{false, {{6000, 3000}, {8000, 3000}}}}},
                  {1, 0, {{false, {{0, 3000}, {2000, 3000}}, "道路"}}}},
                 "< T00 - -16000.00,-38500.00\n"
                 "> T10 道路 -16000.00,-38500.00"},
        EdgeCase{"ALineDoesNotMatchAPolygon",
                 {{0, 0, {{false, {{7000, 1000}, {8000, 1000}}}}}, {1, 0, {{true, kLeftSquare}}}},
                 "< T00 - -16000.00,-39500.00\n"
                 "> T10 - -16000.00,-39500.00\n"
                 "> T10 - -16000.00,-39000.00"},
        // The first end's nearest is taken by the second, which is nearer to it; the first then
        // takes the other one, still within the tolerance.
        EdgeCase{
            "NearestPairsFirst",
            {{0,
              0,
              {{false, {{6000, 4000}, {8000, 4000}}}, {false, {{6000, 4000.3}, {8000, 4000.3}}}}},
             {1, 0, {{false, {{0, 4000.2}, {2000, 4000}}}, {false, {{0, 3999.7}, {2000, 3999}}}}}},
            "= T00 - -16000.00,-38000.00 | T10 - -16000.00,-38000.15\n"
            "= T00 - -16000.00,-37999.85 | T10 - -16000.00,-37999.90"},
        // Across the right edge, the top edge and the corner; a neighbour's end on the shared
        // edge without a partner; ends on edges the checked sheet does not share are not its.
        EdgeCase{"FourSheetsOfASeries",
                 {{0,
                   0,
                   {{false, {{6000, 3000}, {8000, 3000}}},
                    {false, {{4000, 5000}, {4000, 6000}}},
                    {false, {{7000, 5000}, {8000, 6000}}}}},
                  {1, 0, {{false, {{0, 3000}, {8000, 3000}}}, {false, {{0, 500}, {500, 500}}}}},
                  {0, 1, {{false, {{4000, 0}, {4000, 1000}}}}},
                  {1, 1, {{false, {{0, 0}, {1000, 1000}}}, {false, {{7000, 0}, {7000, 1000}}}}}},
                 "= T00 - -16000.00,-38500.00 | T10 - -16000.00,-38500.00\n"
                 "= T00 - -18000.00,-37000.00 | T01 - -18000.00,-37000.00\n"
                 "= T00 - -16000.00,-37000.00 | T11 - -16000.00,-37000.00\n"
                 "> T10 - -16000.00,-39750.00"},
        // Sheet names go to the server as values only.
        EdgeCase{"HostileSheetNames",
                 {{0, 0, {{false, {{6000, 3000}, {8000, 3000}}}}},
                  {1, 0, {{false, {{0, 3000}, {2000, 3000}}}}}},
                 "= x'); DROP TABLE digitrace_lines; --$1%1T00 - -16000.00,-38500.00 | "
                 "x'); DROP TABLE digitrace_lines; --$1%1T10 - -16000.00,-38500.00",
                 "x'); DROP TABLE digitrace_lines; --$1%1"}),
    [](const auto &info) { return info.param.name; });

struct RefusedCase {
    const char *name;
    bool publishFirst;
    void (*change)(SheetPublication &, QString &connection);
    const char *expected; // part of the message
};

void PrintTo(const RefusedCase &c, std::ostream *os) {
    *os << c.name;
}

class EdgeMatchRefused : public testing::TestWithParam<RefusedCase> {};

TEST_P(EdgeMatchRefused, SaysWhy) {
    const RefusedCase &c = GetParam();
    const QString db = freshDatabase();
    const Tile tile{0, 0, {{false, {{6000, 3000}, {8000, 3000}}}}};
    SheetPublication p = tilePublication(tile, QStringLiteral("mine"));
    if (c.publishFirst) {
        ASSERT_TRUE(publishSheet(db, tilePublication({1, 0, {}}, QStringLiteral("other"))).ok());
        ASSERT_TRUE(publishSheet(db, p).ok());
    }
    QString connection = db;
    c.change(p, connection);
    const EdgeMatchReport r = matchSheetEdges(connection, p, 0.2);
    EXPECT_TRUE(r.error.contains(QString::fromUtf8(c.expected))) << r.error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EdgeMatchRefused,
    testing::Values(RefusedCase{"NothingPublishedYet", false, [](SheetPublication &, QString &) {},
                                "まだ送信されていません"},
                    RefusedCase{
                        "SheetNotPublished", true,
                        [](SheetPublication &p, QString &) { p.sheet = QStringLiteral("never"); },
                        "まだ送信されていません"},
                    RefusedCase{"PublishedInAnotherCrs", true,
                                [](SheetPublication &p, QString &) {
                                    p.registration = tileRegistration(0, 0, "EPSG:6678");
                                },
                                "EPSG:6677"},
                    RefusedCase{"Unregistered", true,
                                [](SheetPublication &p, QString &) { p.registration.reset(); },
                                "登録されていない"},
                    RefusedCase{"NotAConnection", true,
                                [](SheetPublication &, QString &db) { db.remove(0, 3); }, "PG:"}),
    [](const auto &info) { return info.param.name; });

TEST(NeighbourFeatures, AreTheOtherSheetsFeaturesNearTheEdge) {
    const QString db = freshDatabase();
    const std::vector<Tile> tiles{
        {0, 0, {{false, {{6000, 3000}, {8000, 3000}}}}},
        {1, 0, {{false, {{10, 3000}, {2000, 3000}}}, {true, {{7000, 0}, {7500, 0}, {7500, 500}}}}},
        {0, 1, {{false, {{100, 10}, {900, 10}}, "道路"}}},
        {3, 0, {{false, {{0, 3000}, {2000, 3000}}}}}};
    std::vector<SheetPublication> sheets;
    for (const Tile &tile : tiles) {
        sheets.push_back(tilePublication(tile, sheetName("", tile)));
        ASSERT_TRUE(publishSheet(db, sheets.back()).ok());
    }
    // 10 m: the neighbours' lines near the edge, not the polygon far along it nor the sheet
    // that is no neighbour.
    const NeighbourFeatures near = neighbourFeatures(db, sheets[0], 10);
    QStringList found;
    for (const NeighbourFeature &f : near.features)
        found << QStringLiteral("%1 %2 %3").arg(f.sheet).arg(int(f.kind)).arg(f.className);
    EXPECT_EQ(near.error + found.join(u','), QStringLiteral("T01 1 道路,T10 1 "));
}

TEST(EdgeTolerance, IsMillimetresOnTheSheetThroughTheRegistrationsScale) {
    // 1:500 with a tablet counting in millimetres, then in tenths.
    EXPECT_NEAR(edgeTolerance(0.3, 1, tileRegistration(0, 0)), 0.15, 1e-9);
    EXPECT_NEAR(edgeTolerance(0.3, 0.1, tileRegistration(0, 0)), 1.5, 1e-9);
}

} // namespace
} // namespace digitrace
