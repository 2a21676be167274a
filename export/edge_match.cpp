#include "export/edge_match.h"

#include "export/gis_fields.h"
#include "export/publish_connection.h"
#include "export/publish_sql.h"
#include "export/quiet_gdal.h"

#include <QCoreApplication>

#include <ogr_geometry.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <tuple>

namespace digitrace {

namespace {

// The vertices of a published point, line or polygon (its outer ring, without the closing
// repeat); none for a geometry the tables do not hold.
std::optional<std::vector<MapPoint>> verticesOfWkb(const QString &hex) {
    const QByteArray wkb = QByteArray::fromHex(hex.toLatin1());
    OGRGeometry *made = nullptr;
    if (OGRGeometryFactory::createFromWkb(wkb.constData(), nullptr, &made, wkb.size()) !=
        OGRERR_NONE)
        return std::nullopt;
    const std::unique_ptr<OGRGeometry> geometry(made);
    std::vector<MapPoint> out;
    const OGRSimpleCurve *curve = nullptr;
    switch (wkbFlatten(geometry->getGeometryType())) {
    case wkbPoint:
        out.push_back({geometry->toPoint()->getX(), geometry->toPoint()->getY()});
        return out;
    case wkbLineString:
        curve = geometry->toLineString();
        break;
    case wkbPolygon:
        curve = geometry->toPolygon()->getExteriorRing();
        break;
    default:
        return std::nullopt;
    }
    if (!curve)
        return out;
    for (int i = 0; i < curve->getNumPoints(); ++i)
        out.push_back({curve->getX(i), curve->getY(i)});
    if (wkbFlatten(geometry->getGeometryType()) == wkbPolygon && out.size() > 1 &&
        out.front().x == out.back().x && out.front().y == out.back().y)
        out.pop_back();
    return out;
}

double distance(MapPoint a, MapPoint b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

// From p to the closed ring's nearest point.
double distanceToRing(const std::vector<MapPoint> &ring, MapPoint p) {
    double nearest = HUGE_VAL;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const MapPoint a = ring[i], b = ring[(i + 1) % ring.size()];
        const double dx = b.x - a.x, dy = b.y - a.y, length2 = dx * dx + dy * dy;
        const double t = length2 > 0
                             ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0)
                             : 0.0;
        nearest = std::min(nearest, distance(p, {a.x + t * dx, a.y + t * dy}));
    }
    return nearest;
}

// The vertices of a feature that are its ends on the edge. A polygon's are where a run of
// vertices on the edge begins or ends: the vertices between them lie along the edge, not across
// it.
std::vector<std::size_t> endsOnEdge(FeatureKind kind, const std::vector<MapPoint> &vertices,
                                    const std::vector<MapPoint> &edge, double tolerance) {
    std::vector<std::size_t> ends;
    const std::size_t n = vertices.size();
    auto on = [&](std::size_t i) { return distanceToRing(edge, vertices[i]) <= tolerance; };
    if (kind == FeatureKind::Line && n >= 2) {
        for (const std::size_t i : {std::size_t(0), n - 1})
            if (on(i))
                ends.push_back(i);
    } else if (kind == FeatureKind::Polygon && n >= 3) {
        std::vector<bool> flags(n);
        for (std::size_t i = 0; i < n; ++i)
            flags[i] = on(i);
        for (std::size_t i = 0; i < n; ++i)
            if (flags[i] && (!flags[(i + n - 1) % n] || !flags[(i + 1) % n]))
                ends.push_back(i);
    }
    return ends;
}

bool sameClass(const QString &a, const QString &b) {
    return a.isNull() == b.isNull() && a == b;
}

QString notPublished(const QString &sheet) {
    return QCoreApplication::translate(
               "digitrace::EdgeMatch",
               "シート %1 はまだ送信されていません。隣接図葉との接合は、送信した図郭で調べます。"
               "先に送信してください")
        .arg(sheet);
}

// The request read, the connection open and its read-only transaction begun, the sheet's
// published outline read.
struct EdgeQuery {
    std::optional<PublishConnection> db;
    std::vector<MapPoint> outline;
    QString error;
};

EdgeQuery openEdgeQuery(const QString &connection, const SheetPublication &publication,
                        double distance) {
    EdgeQuery q;
    if (!connection.startsWith(u"PG:"))
        q.error = QCoreApplication::translate(
                      "digitrace::EdgeMatch",
                      "データベースの指定 %1 は PG: で始まるGDALの接続文字列ではありません")
                      .arg(connectionWithoutPassword(connection));
    else if (!(distance >= 0) || !std::isfinite(distance))
        q.error = QCoreApplication::translate(
                      "digitrace::EdgeMatch",
                      "接合の許容距離 %1 が使えません: 0 以上の有限の値にしてください")
                      .arg(distance);
    else
        q.error = checkSheetName(publication.sheet);
    if (!q.error.isEmpty())
        return q;
    PublishResult failure;
    q.db = PublishConnection::open(connection, &failure);
    if (!q.db) {
        q.error = failure.error;
        return q;
    }
    // One snapshot for every statement; the server refuses any write inside it.
    SqlResult r = q.db->run("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
    if (r.ok())
        r = q.db->run("SELECT coalesce(crs, ''), coalesce(encode(ST_AsBinary(geom), 'hex'), '') "
                      "FROM digitrace_sheets WHERE sheet = $1",
                      {SqlValue::text(publication.sheet)});
    if (!r.ok()) {
        // 42P01: no table of that name; nobody has published into this database yet.
        q.error = r.sqlState == u"42P01"
                      ? notPublished(publication.sheet)
                      : QCoreApplication::translate("digitrace::EdgeMatch",
                                                    "送信済みの図葉を読めません: %1")
                            .arg(r.error);
        return q;
    }
    // A sheet's row is only ever committed with its publish.
    if (r.rows.empty() || r.rows[0].value(1).isEmpty()) {
        q.error = notPublished(publication.sheet);
        return q;
    }
    if (publication.registration && r.rows[0].value(0) != publication.registration->crs) {
        q.error = QCoreApplication::translate(
                      "digitrace::EdgeMatch",
                      "シート %1 は座標系 %2 で送信されていて、いまの登録 (%3) と違います。"
                      "送信し直してから調べてください")
                      .arg(publication.sheet, r.rows[0].value(0), publication.registration->crs);
        return q;
    }
    const std::optional<std::vector<MapPoint>> outline = verticesOfWkb(r.rows[0].value(1));
    if (!outline || outline->size() < 3) {
        q.error =
            QCoreApplication::translate("digitrace::EdgeMatch", "シート %1 の図郭が読めません")
                .arg(publication.sheet);
        return q;
    }
    q.outline = *outline;
    return q;
}

// The features of one kind that neighbours of the sheet published within `distance` of its
// edge. Only the code's own table names are part of the statement.
QString readNeighbours(PublishConnection &db, FeatureKind kind, const QString &sheet,
                       double distance, std::vector<NeighbourFeature> &out) {
    const QByteArray sql =
        QByteArray("SELECT f.fid::text, f.sheet, coalesce(f.class, ''), f.class IS NULL, "
                   "encode(ST_AsBinary(f.geom), 'hex') FROM ") +
        namesOf(kind).table +
        " f JOIN digitrace_sheets n ON n.sheet = f.sheet JOIN digitrace_sheets o ON o.sheet = $1 "
        "WHERE f.sheet <> $1 AND f.geom IS NOT NULL AND ST_DWithin(n.geom, o.geom, "
        "$2::double precision) AND ST_DWithin(f.geom, ST_Boundary(o.geom), $2::double "
        "precision) ORDER BY f.sheet, f.id";
    const SqlResult r =
        db.run(sql.constData(), {SqlValue::text(sheet), SqlValue::number(distance)});
    if (!r.ok())
        return QCoreApplication::translate("digitrace::EdgeMatch", "隣接図葉の図形を読めません: %1")
            .arg(r.error);
    for (const QStringList &row : r.rows) {
        std::optional<std::vector<MapPoint>> vertices = verticesOfWkb(row.value(4));
        if (!vertices || vertices->empty())
            return QCoreApplication::translate("digitrace::EdgeMatch",
                                               "隣接図葉 %1 の図形 %2 が読めません")
                .arg(row.value(1), row.value(0));
        out.push_back({row.value(1), row.value(0), row.value(3) == u"t" ? QString() : row.value(2),
                       kind, std::move(*vertices)});
    }
    return {};
}

NeighbourFeatures neighboursOf(EdgeQuery &q, const QString &sheet, double distance,
                               std::initializer_list<FeatureKind> kinds) {
    NeighbourFeatures out;
    for (const FeatureKind kind : kinds)
        if (out.error = readNeighbours(*q.db, kind, sheet, distance, out.features);
            !out.error.isEmpty())
            break;
    q.db->run("ROLLBACK");
    // By sheet across the kinds, each kind's in the order they were published.
    std::stable_sort(
        out.features.begin(), out.features.end(),
        [](const NeighbourFeature &a, const NeighbourFeature &b) { return a.sheet < b.sheet; });
    return out;
}

} // namespace

NeighbourFeatures neighbourFeatures(const QString &connection, const SheetPublication &publication,
                                    double distanceMetres) {
    const QuietGdal quiet;
    EdgeQuery q = openEdgeQuery(connection, publication, distanceMetres);
    if (!q.error.isEmpty())
        return {q.error, {}};
    return neighboursOf(q, publication.sheet, distanceMetres,
                        {FeatureKind::Point, FeatureKind::Line, FeatureKind::Polygon});
}

EdgeMatchReport matchSheetEdges(const QString &connection, const SheetPublication &publication,
                                double toleranceMetres) {
    EdgeMatchReport report;
    const QuietGdal quiet;
    if (!publication.registration) {
        report.error = QCoreApplication::translate(
                           "digitrace::EdgeMatch",
                           "シート %1 は登録されていないので、図郭の接合を調べられません")
                           .arg(publication.sheet);
        return report;
    }
    const Fit fit = publication.registration->fit();
    if (!fit.ok()) {
        report.error = fit.error;
        return report;
    }
    EdgeQuery q = openEdgeQuery(connection, publication, toleranceMetres);
    if (!q.error.isEmpty()) {
        report.error = q.error;
        return report;
    }
    const NeighbourFeatures neighbours = neighboursOf(q, publication.sheet, toleranceMetres,
                                                      {FeatureKind::Line, FeatureKind::Polygon});
    if (!neighbours.ok()) {
        report.error = neighbours.error;
        return report;
    }

    std::vector<SheetEnd> own, theirs;
    const FeatureSet set =
        collectFeatures(publication.store, Placement{fit.transform, publication.store.ScaleDenom,
                                                     publication.store.tabletUnitMm});
    const TraceClasses classes = publication.classes();
    for (const Feature &f : set.features) {
        const ClassedFeature *classed = classes.featureAt(f.firstSlot);
        for (const std::size_t i : endsOnEdge(f.kind, f.vertices, q.outline, toleranceMetres))
            own.push_back({publication.sheet, classed ? classed->className : QString(), f.kind,
                           f.firstSlot, QString(), f.vertices[i]});
    }
    for (const NeighbourFeature &f : neighbours.features)
        for (const std::size_t i : endsOnEdge(f.kind, f.vertices, q.outline, toleranceMetres))
            theirs.push_back({f.sheet, f.className, f.kind, -1, f.fid, f.vertices[i]});

    // Every pair that may match, nearest first; the order found breaks ties, so that a run
    // gives the same pairs every time.
    std::vector<std::tuple<double, std::size_t, std::size_t>> pairs;
    for (std::size_t a = 0; a < own.size(); ++a)
        for (std::size_t b = 0; b < theirs.size(); ++b) {
            const double d = distance(own[a].at, theirs[b].at);
            if (d <= toleranceMetres && own[a].kind == theirs[b].kind &&
                sameClass(own[a].className, theirs[b].className))
                pairs.emplace_back(d, a, b);
        }
    std::sort(pairs.begin(), pairs.end());
    std::vector<std::optional<std::size_t>> partner(own.size());
    std::vector<bool> taken(theirs.size());
    for (const auto &[d, a, b] : pairs)
        if (!partner[a] && !taken[b]) {
            partner[a] = b;
            taken[b] = true;
        }
    for (std::size_t a = 0; a < own.size(); ++a) {
        if (partner[a])
            report.matched.emplace_back(own[a], theirs[*partner[a]]);
        else
            report.unmatched.push_back(own[a]);
    }
    for (std::size_t b = 0; b < theirs.size(); ++b)
        if (!taken[b])
            report.neighboursUnmatched.push_back(theirs[b]);
    return report;
}

double edgeTolerance(double sheetMm, double tabletUnitMm, const Registration &registration) {
    const Fit fit = registration.fit();
    if (!fit.ok() || !(tabletUnitMm > 0))
        return 0;
    const double mapUnitsPerTabletUnit =
        std::sqrt(std::abs(areaScaleAtCentre(fit.transform, registration.points)));
    return sheetMm / tabletUnitMm * mapUnitsPerTabletUnit;
}

} // namespace digitrace
