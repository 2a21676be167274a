#include "export/sheet_publisher.h"

#include "export/class_views.h"
#include "export/gis_fields.h"
#include "export/map_crs.h"
#include "export/publish_connection.h"
#include "export/publish_rows.h"
#include "export/publish_schema.h"
#include "export/publish_sql.h"
#include "export/quiet_gdal.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QHash>
#include <QUuid>

#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

namespace digitrace {

namespace {

// The EPSG code of the registration's CRS, which the geometry columns are declared with.
std::optional<int> sridOf(const QString &crsText, QString *error) {
    const MapCrs crs = readMapCrs(crsText);
    if (!crs.ok()) {
        *error = crs.error;
        return std::nullopt;
    }
    OGRSpatialReference srs;
    if (crs.wkt.isEmpty() || srs.importFromWkt(crs.wkt.toUtf8().constData()) != OGRERR_NONE) {
        *error = QCoreApplication::translate(
            "digitrace::SheetPublisher",
            "登録に地図座標系がありません。共有データベースの図葉は同じ座標系で重なるので、"
            "EPSGコードのある座標系で登録してください");
        return std::nullopt;
    }
    srs.AutoIdentifyEPSG();
    const char *authority = srs.GetAuthorityName(nullptr);
    const char *code = srs.GetAuthorityCode(nullptr);
    if (!authority || !code || QString::fromUtf8(authority) != u"EPSG") {
        *error = QCoreApplication::translate("digitrace::SheetPublisher",
                                             "座標系 %1 にEPSGコードが見つかりません")
                     .arg(crs.name);
        return std::nullopt;
    }
    return QString::fromUtf8(code).toInt();
}

// The sheet's outline on the map: the transformed extent of the records and control points on
// the tablet, which is the part of the sheet the operator worked on.
QString outlineWkt(const TraceStore &store, const Registration &registration,
                   const Transform &transform) {
    double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL;
    auto take = [&](double x, double y) {
        minX = std::min(minX, x);
        minY = std::min(minY, y);
        maxX = std::max(maxX, x);
        maxY = std::max(maxY, y);
    };
    for (int i = 0; i < store.PtCount; ++i)
        take(store.Pt.X[std::size_t(i)], store.Pt.Y[std::size_t(i)]);
    for (const ControlPoint &p : registration.points)
        take(p.tabletX, p.tabletY);
    if (!(minX <= maxX) || !(minY <= maxY))
        return {};
    QStringList corners;
    for (const auto &[x, y] :
         {std::pair{minX, minY}, {maxX, minY}, {maxX, maxY}, {minX, maxY}, {minX, minY}}) {
        const MapPoint p = transform.map(x, y);
        corners << QString::number(p.x, 'g', 17) + u' ' + QString::number(p.y, 'g', 17);
    }
    return QStringLiteral("POLYGON((%1))").arg(corners.join(u','));
}

struct Plan {
    FeatureSet features;
    int srid = 0;
    Fit fit;
    QString outline;
    std::vector<EncodedFeature> rows;
    QStringList repairs;
};

std::optional<Plan> planOf(const SheetPublication &p, PublishResult *failure) {
    const QString sheetError = checkSheetName(p.sheet);
    if (!sheetError.isEmpty()) {
        *failure = publishFailure(PublishFailure::Request, sheetError);
        return std::nullopt;
    }
    if (!p.registration) {
        *failure = publishFailure(
            PublishFailure::Request,
            QCoreApplication::translate("digitrace::SheetPublisher",
                                        "シート %1 は登録されていないので送信できません: 地図座標が"
                                        "ありません。基準点で登録してから送信してください")
                .arg(p.sheet));
        return std::nullopt;
    }
    Plan plan;
    plan.fit = p.registration->fit();
    if (!plan.fit.ok()) {
        *failure = publishFailure(PublishFailure::Request, plan.fit.error);
        return std::nullopt;
    }
    QString crsError;
    const std::optional<int> srid = sridOf(p.registration->crs, &crsError);
    if (!srid) {
        *failure = publishFailure(PublishFailure::Request, crsError);
        return std::nullopt;
    }
    plan.srid = *srid;
    plan.features = collectFeatures(
        p.store, Placement{plan.fit.transform, p.store.ScaleDenom, p.store.tabletUnitMm});
    if (p.repair)
        plan.repairs = p.repair(plan.features);
    plan.outline = outlineWkt(p.store, *p.registration, plan.fit.transform);
    return plan;
}

// Features whose class is of another kind, or not in the catalogue, are kept with their class in
// their kind's table, but no view shows them.
QStringList outOfViews(const TraceClasses &classes, const FeatureSet &set) {
    std::map<std::pair<QString, FeatureKind>, int> counts;
    for (const Feature &f : set.features) {
        const ClassedFeature *classed = classes.featureAt(f.firstSlot);
        if (!classed)
            continue;
        const FeatureClass *c = classes.catalogue->find(classed->className);
        if (!c || featureKindOf(c->kind) != f.kind)
            ++counts[{classed->className, f.kind}];
    }
    QStringList notes;
    for (const auto &[key, count] : counts)
        notes << QCoreApplication::translate("digitrace::SheetPublisher",
                                             "クラス %1 の図形 %2 個は %3 なので、クラスのビューに"
                                             "は出ません (表 %4 にクラスとともにあります)")
                     .arg(key.first)
                     .arg(count)
                     .arg(QLatin1String(namesOf(key.second).name),
                          QLatin1String(namesOf(key.second).table));
    return notes;
}

// What a publisher's last commit of a sheet left there: each feature's row, by its fid.
struct Committed {
    QString jobId;
    QString sheet;
    int srid = 0;
    int revision = 0;
    struct Row {
        FeatureKind kind;
        QByteArray digest; // of the row as written but its time
    };
    QHash<QUuid, Row> rows;
};

// Writes the rows that differ from `before` (all of them without it): the sheet's rows of fids
// gone or changed are deleted, those new or changed inserted. *after gets every row's digest.
QString writeFeatures(PublishConnection &db, const SheetPublication &p, const Plan &plan,
                      const QString &operatorName, const QByteArray &publishedAt,
                      const Committed *before, Committed *after, PublishResult &done) {
    done.incremental = before != nullptr;
    const SqlValue sheet = SqlValue::text(p.sheet);
    QByteArray front;
    if (!appendCopyValue(front, sheet) || !appendCopyValue(front, SqlValue::text(operatorName)))
        return nulRefused();
    std::map<FeatureKind, QByteArray> copies;
    std::map<FeatureKind, QStringList> deletes;
    for (const EncodedFeature &row : plan.rows) {
        const QByteArray fid = row.fid.toByteArray(QUuid::WithoutBraces);
        const QByteArray line = fid + '\t' + front + row.values;
        const QByteArray digest = QCryptographicHash::hash(line, QCryptographicHash::Md5);
        after->rows.insert(row.fid, {row.kind, digest});
        if (before) {
            const auto known = before->rows.constFind(row.fid);
            if (known != before->rows.cend() && known->digest == digest)
                continue;
            if (known != before->rows.cend())
                deletes[known->kind] << QString::fromLatin1(fid);
        }
        copies[row.kind] += line + publishedAt + '\n';
        ++done.rowsInserted;
    }
    if (before) {
        for (auto known = before->rows.cbegin(); known != before->rows.cend(); ++known)
            if (!after->rows.contains(known.key()))
                deletes[known->kind] << known.key().toString(QUuid::WithoutBraces);
    }
    SqlResult r;
    for (const FeatureKindNames &kind : kFeatureKinds) {
        if (!before) {
            r = db.run(deleteSheetSql(kind.kind).constData(), {sheet});
            done.rowsDeleted += int(r.affected);
        } else if (const auto gone = deletes.find(kind.kind); gone != deletes.end()) {
            r = db.run(deleteFeaturesSql(kind.kind).constData(),
                       {sheet, SqlValue::text(u'{' + gone->second.join(u',') + u'}')});
            done.rowsDeleted += int(r.affected);
            // Rows taken away by other means than a publish: what this publisher remembers is
            // not what the sheet holds, so the sheet goes whole.
            if (r.ok() && r.affected != gone->second.size()) {
                *after = {after->jobId, after->sheet, after->srid, after->revision, {}};
                done.rowsInserted = 0;
                return writeFeatures(db, p, plan, operatorName, publishedAt, nullptr, after, done);
            }
        }
        if (!r.ok())
            return r.error;
    }
    for (const auto &[kind, rows] : copies)
        if (r = db.copyIn(copyFeaturesSql(kind).constData(), rows); !r.ok())
            return r.error;
    return {};
}

// The publish proper, inside the open transaction; on failure the caller rolls back. `known` is
// what this publisher last committed of the sheet, if anything: with the revision it made still
// the sheet's, only what changed since is written.
PublishResult publishInTransaction(PublishConnection &db, const SheetPublication &p,
                                   const Plan &plan, const Committed *known, Committed *after) {
    auto refused = [](const QString &reason) {
        return publishFailure(PublishFailure::Database, reason);
    };
    QString error = ensureTables(db, plan.srid);
    if (!error.isEmpty())
        return refused(QCoreApplication::translate("digitrace::SheetPublisher",
                                                   "データベースに digitrace の表を作れません: %1")
                           .arg(error));
    PublishResult shape = checkTables(db, plan.srid);
    if (!shape.ok())
        return shape;
    QStringList notes = plan.repairs;
    if (p.catalogue) {
        error = ensureClassViews(db, *p.catalogue, &notes);
        if (!error.isEmpty())
            return refused(error);
        notes << outOfViews(p.classes(), plan.features);
    }
    const SqlValue sheet = SqlValue::text(p.sheet);
    SqlResult r = db.run(kLockSheetSql, {sheet});
    if (r.ok())
        r = db.run(kSheetRowSql, {sheet});
    if (!r.ok())
        return refused(r.error);
    if (r.rows.size() != 1 || r.rows[0].size() < 9)
        return refused(
            QCoreApplication::translate("digitrace::SheetPublisher", "シートの行が読めません"));
    const QStringList row = r.rows[0];
    const int revision = row[0].toInt();
    SheetHolder holder;
    holder.operatorName = row[1];
    holder.publishedAt = row[2];
    holder.revision = revision;
    holder.publishedUtc = QDateTime::fromString(row[4], Qt::ISODateWithMs);
    holder.points = row[5].toInt();
    holder.lines = row[6].toInt();
    holder.polygons = row[7].toInt();
    if (revision > 0 && p.knownRevision != revision && !p.force) {
        PublishResult conflict = publishFailure(
            PublishFailure::Conflict,
            QCoreApplication::translate(
                "digitrace::SheetPublisher",
                "シート %1 は別の送信で更新されています (送信者: %2、日時: %3、版 %4)。"
                "このジョブの内容で置き換えるには上書きしてください")
                .arg(p.sheet, holder.operatorName, holder.publishedAt)
                .arg(revision));
        conflict.holder = holder;
        conflict.points = plan.features.points;
        conflict.lines = plan.features.lines;
        conflict.polygons = plan.features.polygons;
        return conflict;
    }
    const QString operatorName = p.operatorName.isEmpty() ? row[3] : p.operatorName;
    // Anything but this publisher's own last commit in the database: the sheet goes whole.
    const bool incremental = known && !p.force && revision > 0 && known->revision == revision &&
                             known->jobId == p.jobId && known->sheet == p.sheet &&
                             known->srid == plan.srid;
    PublishResult done;
    *after = {p.jobId, p.sheet, plan.srid, revision + 1, {}};
    error = writeFeatures(db, p, plan, operatorName, row[8].toLatin1(),
                          incremental ? known : nullptr, after, done);
    if (!error.isEmpty())
        return refused(error);
    const FeatureSet &set = plan.features;
    r = db.run(kUpdateSheetSql,
               {SqlValue::text(operatorName),
                SqlValue::text(transformKeyword(p.registration->kind)),
                SqlValue::number(plan.fit.rmsMap), SqlValue::number(plan.fit.rmsTablet),
                SqlValue::text(p.registration->crs), SqlValue::number(qint64(set.points)),
                SqlValue::number(qint64(set.lines)), SqlValue::number(qint64(set.polygons)),
                plan.outline.isEmpty() ? SqlValue::none() : SqlValue::text(plan.outline),
                SqlValue::number(qint64(plan.srid)), sheet});
    if (!r.ok())
        return refused(r.error);
    done.revision = revision + 1;
    done.points = set.points;
    done.lines = set.lines;
    done.polygons = set.polygons;
    done.notes = notes;
    return done;
}

} // namespace

void SheetPublication::setClasses(const TraceClasses &classes) {
    catalogue.reset();
    classedFeatures.clear();
    if (!classes.inUse())
        return;
    catalogue = *classes.catalogue;
    classedFeatures = *classes.features;
}

TraceClasses SheetPublication::classes() const {
    return catalogue ? TraceClasses{&*catalogue, &classedFeatures} : TraceClasses{};
}

struct SheetPublisher::State {
    QString connection;
    std::optional<PublishConnection> db;
    std::optional<Committed> committed;
};

SheetPublisher::SheetPublisher(QString connection) : state_(std::make_unique<State>()) {
    state_->connection = std::move(connection);
}

SheetPublisher::~SheetPublisher() = default;

PublishResult SheetPublisher::publish(const SheetPublication &publication) {
    const QString &connection = state_->connection;
    if (!connection.startsWith(u"PG:"))
        return publishFailure(
            PublishFailure::Request,
            QCoreApplication::translate(
                "digitrace::SheetPublisher",
                "データベースの指定 %1 は PG: で始まるGDALの接続文字列ではありません "
                "(例: PG:host=server dbname=maps)")
                .arg(connectionWithoutPassword(connection)));
    PublishResult out;
    const QuietGdal quiet;
    std::optional<Plan> plan = planOf(publication, &out);
    if (!plan)
        return out;
    if (const QString error = encodeFeatures(publication, plan->features, plan->srid, &plan->rows);
        !error.isEmpty())
        return publishFailure(
            PublishFailure::Database,
            QCoreApplication::translate(
                "digitrace::SheetPublisher",
                "シート %1 を送信できませんでした。データベースは送信前のままです: %2")
                .arg(publication.sheet, error));
    std::optional<PublishConnection> &db = state_->db;
    // A connection kept from an earlier publish may have lost its server meanwhile (a restart,
    // an outage): it is opened afresh once.
    const bool reused = db && db->connected();
    if (!reused)
        db = PublishConnection::open(connection, &out);
    if (!db)
        return out;
    SqlResult r = db->run("BEGIN");
    if (!r.ok() && reused) {
        db = PublishConnection::open(connection, &out);
        if (!db)
            return out;
        r = db->run("BEGIN");
    }
    Committed after;
    if (r.ok()) {
        out = publishInTransaction(*db, publication, *plan,
                                   state_->committed ? &*state_->committed : nullptr, &after);
        if (!out.ok()) {
            db->run("ROLLBACK");
        } else if (r = db->run("COMMIT"); !r.ok()) {
            // A connection lost during the commit leaves unknown whether it was taken, and with
            // it what the sheet holds: the next publish goes whole.
            state_->committed.reset();
            if (!db->connected())
                return publishFailure(PublishFailure::Database,
                                      QCoreApplication::translate(
                                          "digitrace::SheetPublisher",
                                          "シート %1 の送信がデータベースで確定したか分かりま"
                                          "せん。接続を確かめて、もう一度送信してください: %2")
                                          .arg(publication.sheet, r.error));
            out = publishFailure(PublishFailure::Database, r.error);
        } else {
            state_->committed = std::move(after);
        }
    } else {
        out = publishFailure(PublishFailure::Database, r.error);
    }
    if (!db->connected())
        db.reset();
    if (out.failure == PublishFailure::Database)
        out.error = QCoreApplication::translate(
                        "digitrace::SheetPublisher",
                        "シート %1 を送信できませんでした。データベースは送信前のままです: %2")
                        .arg(publication.sheet, out.error);
    return out;
}

PublishResult publishSheet(const QString &connection, const SheetPublication &publication) {
    return SheetPublisher(connection).publish(publication);
}

} // namespace digitrace
