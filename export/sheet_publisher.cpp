#include "export/sheet_publisher.h"

#include "export/gis_fields.h"
#include "export/map_crs.h"
#include "export/publish_connection.h"
#include "export/publish_sql.h"
#include "export/quiet_gdal.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QRegularExpression>
#include <QUuid>

#include <cpl_conv.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <cmath>
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

QUuid featureId(const QString &jobId, const QString &sheet, const Feature &f) {
    // Any fixed namespace will do; this one is digitrace's own.
    static const QUuid ns(QStringLiteral("{6f1c2b7e-4d1a-5e0b-9a57-2d7c0e3b8f41}"));
    return QUuid::createUuidV5(ns, QStringLiteral("%1\n%2\n%3\n%4")
                                       .arg(jobId, sheet, QLatin1String(kindName(f.kind)))
                                       .arg(f.firstSlot));
}

struct Plan {
    FeatureSet features;
    int srid = 0;
    Fit fit;
    QString outline;
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
    plan.outline = outlineWkt(p.store, *p.registration, plan.fit.transform);
    return plan;
}

// Creates what is missing, once for all operators starting at the same moment.
QString ensureTables(PublishConnection &db, int srid) {
    QString error;
    const QStringList present = db.firstRow(tablesPresentSql(), &error);
    if (!error.isEmpty())
        return error;
    if (present.value(0) == u"1")
        return {};
    if (db.dataset().StartTransaction(FALSE) != OGRERR_NONE)
        return lastGdalReason();
    db.firstRow(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kSetupLockKey), &error);
    for (const QString &statement : createTablesSql(srid)) {
        if (!error.isEmpty())
            break;
        error = db.run(statement);
    }
    if (!error.isEmpty()) {
        db.dataset().RollbackTransaction();
        return error;
    }
    return db.dataset().CommitTransaction() == OGRERR_NONE ? QString() : lastGdalReason();
}

QString writeFeatures(PublishConnection &db, const SheetPublication &p, const Plan &plan,
                      const QDateTime &now) {
    const QByteArray sheet = p.sheet.toUtf8();
    const QByteArray who = p.operatorName.toUtf8();
    const QDate day = now.date();
    const QTime time = now.time();
    for (const FeatureKind kind : {FeatureKind::Point, FeatureKind::Line, FeatureKind::Polygon}) {
        OGRLayer *layer = db.dataset().GetLayerByName(featureTable(kind));
        if (!layer)
            return QCoreApplication::translate("digitrace::SheetPublisher",
                                               "表 %1 が読めません: %2")
                .arg(QLatin1String(featureTable(kind)), lastGdalReason());
        const int when = layer->GetLayerDefn()->GetFieldIndex("published_at");
        for (const Feature &f : plan.features.features) {
            if (f.kind != kind)
                continue;
            OGRFeature feature(layer->GetLayerDefn());
            setGisFields(feature, f);
            feature.SetField("fid", featureId(p.jobId, p.sheet, f)
                                        .toString(QUuid::WithoutBraces)
                                        .toLatin1()
                                        .constData());
            feature.SetField("sheet", sheet.constData());
            feature.SetField("operator", who.constData());
            feature.SetField(when, day.year(), day.month(), day.day(), time.hour(), time.minute(),
                             float(time.second() + time.msec() / 1000.0), 100);
            feature.SetGeometryDirectly(geometryOf(f).release());
            CPLErrorReset();
            if (layer->CreateFeature(&feature) != OGRERR_NONE ||
                CPLGetLastErrorType() >= CE_Failure)
                return lastGdalReason();
        }
    }
    return {};
}

// The publish proper, inside the open transaction; on failure the caller rolls back.
PublishResult publishInTransaction(PublishConnection &db, const SheetPublication &p,
                                   const Plan &plan) {
    auto refused = [](const QString &reason) {
        return publishFailure(PublishFailure::Database, reason);
    };
    QString error = db.run(lockSheetSql(p.sheet));
    if (!error.isEmpty())
        return refused(error);
    const QStringList row = db.firstRow(sheetRowSql(p.sheet), &error);
    if (!error.isEmpty() || row.size() < 6)
        return refused(error.isEmpty() ? QCoreApplication::translate("digitrace::SheetPublisher",
                                                                     "シートの行が読めません")
                                       : error);
    const int revision = row[0].toInt();
    const SheetHolder holder{row[1], row[2], revision};
    const int tableSrid = row[4].toInt();
    if (tableSrid != plan.srid)
        return publishFailure(
            PublishFailure::Request,
            QCoreApplication::translate(
                "digitrace::SheetPublisher",
                "データベースの表は EPSG:%1 で、このシートの座標系は EPSG:%2 です。"
                "同じ座標系で登録したシートだけを送信できます")
                .arg(tableSrid)
                .arg(plan.srid));
    if (revision > 0 && p.knownRevision != revision && !p.force) {
        PublishResult r = publishFailure(
            PublishFailure::Conflict,
            QCoreApplication::translate(
                "digitrace::SheetPublisher",
                "シート %1 は別の送信で更新されています (送信者: %2、日時: %3、版 %4)。"
                "このジョブの内容で置き換えるには上書きしてください")
                .arg(p.sheet, holder.operatorName, holder.publishedAt)
                .arg(revision));
        r.holder = holder;
        return r;
    }
    SheetPublication publication = p;
    if (publication.operatorName.isEmpty())
        publication.operatorName = row[5];
    const QDateTime now = QDateTime::fromString(row[3], Qt::ISODateWithMs);
    for (const FeatureKind kind : {FeatureKind::Point, FeatureKind::Line, FeatureKind::Polygon}) {
        error = db.run(deleteSheetSql(featureTable(kind), p.sheet));
        if (!error.isEmpty())
            return refused(error);
    }
    error =
        writeFeatures(db, publication, plan, now.isValid() ? now : QDateTime::currentDateTimeUtc());
    if (!error.isEmpty())
        return refused(error);
    const FeatureSet &set = plan.features;
    SheetRow sheetRow{p.sheet,
                      publication.operatorName,
                      transformKeyword(p.registration->kind),
                      plan.fit.rmsMap,
                      plan.fit.rmsTablet,
                      p.registration->crs,
                      set.points,
                      set.lines,
                      set.polygons,
                      plan.outline,
                      plan.srid};
    error = db.run(updateSheetSql(sheetRow));
    if (!error.isEmpty())
        return refused(error);
    PublishResult r;
    r.revision = revision + 1;
    r.points = set.points;
    r.lines = set.lines;
    r.polygons = set.polygons;
    return r;
}

// The driver's COPY mode, as bulk loaders use, for this thread while the object lives.
struct CopyMode {
    CopyMode() { CPLSetThreadLocalConfigOption("PG_USE_COPY", "YES"); }
    ~CopyMode() { CPLSetThreadLocalConfigOption("PG_USE_COPY", nullptr); }
    CopyMode(const CopyMode &) = delete;
    CopyMode &operator=(const CopyMode &) = delete;
};

} // namespace

QString connectionWithoutPassword(const QString &connection) {
    static const QRegularExpression password(
        QStringLiteral("(password\\s*=\\s*)('(?:[^'\\\\]|\\\\.)*'|\\S*)"));
    QString shown = connection;
    return shown.replace(password, QStringLiteral("\\1***"));
}

// A host that drops packets, or a cable pulled in the middle of a publish, would otherwise hold
// the publish (and a window closing behind it) for as long as the kernel retries: minutes. Over
// TCP, libpq then gives up after 15 s to connect and 30 s without an acknowledgement; a socket on
// this machine ignores these. What the connection string sets itself stays.
static QString bounded(const QString &connection) {
    static const std::pair<const char *, const char *> kLimits[] = {
        {"connect_timeout", "15"},    {"keepalives", "1"},       {"keepalives_idle", "10"},
        {"keepalives_interval", "5"}, {"keepalives_count", "3"}, {"tcp_user_timeout", "30000"},
    };
    QString out = connection;
    for (const auto &[key, value] : kLimits)
        if (!connection.contains(QLatin1String(key) + u'='))
            out += QStringLiteral(" %1=%2").arg(QLatin1String(key), QLatin1String(value));
    return out;
}

PublishResult publishSheet(const QString &connection, const SheetPublication &publication) {
    if (!connection.startsWith(u"PG:"))
        return publishFailure(
            PublishFailure::Request,
            QCoreApplication::translate(
                "digitrace::SheetPublisher",
                "データベースの指定 %1 は PG: で始まるGDALの接続文字列ではありません "
                "(例: PG:host=server dbname=maps)")
                .arg(connectionWithoutPassword(connection)));
    PublishResult out;
    const std::optional<Plan> plan = planOf(publication, &out);
    if (!plan)
        return out;
    const QuietGdal quiet;
    const CopyMode copy;
    std::optional<PublishConnection> db = PublishConnection::open(bounded(connection), &out);
    if (db) {
        const QString setup = ensureTables(*db, plan->srid);
        if (!setup.isEmpty()) {
            out = publishFailure(
                PublishFailure::Database,
                QCoreApplication::translate("digitrace::SheetPublisher",
                                            "データベースに digitrace の表を作れません: %1")
                    .arg(setup));
        } else if (db->dataset().StartTransaction(FALSE) != OGRERR_NONE) {
            out = publishFailure(PublishFailure::Database, lastGdalReason());
        } else {
            out = publishInTransaction(*db, publication, *plan);
            CPLErrorReset();
            if (!out.ok())
                db->dataset().RollbackTransaction();
            else if (db->dataset().CommitTransaction() != OGRERR_NONE ||
                     CPLGetLastErrorType() >= CE_Failure)
                // A connection lost during the commit leaves unknown whether it was taken.
                return publishFailure(PublishFailure::Database,
                                      QCoreApplication::translate(
                                          "digitrace::SheetPublisher",
                                          "シート %1 の送信がデータベースで確定したか分かりま"
                                          "せん。接続を確かめて、もう一度送信してください: %2")
                                          .arg(publication.sheet, lastGdalReason()));
        }
        if (out.failure == PublishFailure::Database)
            out.error = QCoreApplication::translate(
                            "digitrace::SheetPublisher",
                            "シート %1 を送信できませんでした。データベースは送信前のままです: %2")
                            .arg(publication.sheet, out.error);
    }
    return out;
}

} // namespace digitrace
