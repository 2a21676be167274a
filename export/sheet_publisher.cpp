#include "export/sheet_publisher.h"

#include "export/gis_fields.h"
#include "export/map_crs.h"
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
#include <mutex>

namespace digitrace {

namespace {

struct CloseDataset {
    void operator()(GDALDataset *d) const { GDALClose(d); }
};
using Dataset = std::unique_ptr<GDALDataset, CloseDataset>;

struct ReleaseResult {
    GDALDataset *ds;
    void operator()(OGRLayer *layer) const { ds->ReleaseResultSet(layer); }
};

QString gdalReason() {
    const QString message = QString::fromUtf8(CPLGetLastErrorMsg()).trimmed();
    return message.isEmpty() ? QCoreApplication::translate("digitrace::SheetPublisher",
                                                           "GDALが理由を返しませんでした")
                             : message;
}

PublishResult failed(PublishFailure failure, const QString &error) {
    PublishResult r;
    r.failure = failure;
    r.error = error;
    return r;
}

// libpq's reasons, which GDAL passes on, sorted into what the operator can do about them.
PublishResult connectionFailure(const QString &shownConnection, QString reason) {
    reason = reason.remove(QStringLiteral("PQconnectdb failed.")).simplified();
    static const QRegularExpression login(
        QStringLiteral("password authentication failed|no password supplied|authentication "
                       "failed|role \"[^\"]*\" does not exist|permission denied for database"));
    if (login.match(reason).hasMatch())
        return failed(PublishFailure::Authentication,
                      QCoreApplication::translate(
                          "digitrace::SheetPublisher",
                          "データベース %1 にログインできません: 利用者名かパスワード "
                          "(~/.pgpass かサービスファイル) を確かめてください。サーバーの応答: %2")
                          .arg(shownConnection, reason));
    return failed(
        PublishFailure::Connection,
        QCoreApplication::translate("digitrace::SheetPublisher",
                                    "データベース %1 に接続できません: サーバーが応答しません "
                                    "(ホスト名、ポート、ネットワークを確かめてください)。理由: %2")
            .arg(shownConnection, reason));
}

// One connection, its statements checked one by one.
class Connection {
public:
    explicit Connection(Dataset ds) : ds_(std::move(ds)) {}

    GDALDataset &dataset() { return *ds_; }

    // Runs a statement that returns no rows; "" or the server's reason.
    QString run(const QString &sql) {
        CPLErrorReset();
        OGRLayer *result = ds_->ExecuteSQL(sql.toUtf8().constData(), nullptr, nullptr);
        if (result)
            ds_->ReleaseResultSet(result);
        return CPLGetLastErrorType() >= CE_Failure ? gdalReason() : QString();
    }

    // The first row of a query as texts ("" for NULL), or the reason in *error.
    QStringList firstRow(const QString &sql, QString *error) {
        CPLErrorReset();
        std::unique_ptr<OGRLayer, ReleaseResult> result(
            ds_->ExecuteSQL(sql.toUtf8().constData(), nullptr, nullptr), ReleaseResult{ds_.get()});
        QStringList row;
        if (result) {
            std::unique_ptr<OGRFeature> f(result->GetNextFeature());
            for (int i = 0; f && i < f->GetFieldCount(); ++i)
                row << QString::fromUtf8(f->IsFieldSetAndNotNull(i) ? f->GetFieldAsString(i) : "");
        }
        if (CPLGetLastErrorType() >= CE_Failure || !result)
            *error = gdalReason();
        return row;
    }

private:
    Dataset ds_;
};

std::optional<Connection> connect(const QString &connection, PublishResult *failure) {
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
    const char *drivers[] = {"PostgreSQL", nullptr};
    CPLErrorReset();
    Dataset ds(GDALDataset::Open(connection.toUtf8().constData(), GDAL_OF_VECTOR | GDAL_OF_UPDATE,
                                 drivers, nullptr, nullptr));
    if (!ds) {
        *failure = connectionFailure(connectionWithoutPassword(connection), gdalReason());
        return std::nullopt;
    }
    Connection db(std::move(ds));
    // Quotes in names are doubled, which only means a quote with standard strings.
    const QString setup = db.run(QStringLiteral("SET standard_conforming_strings = on"));
    if (!setup.isEmpty()) {
        *failure = failed(PublishFailure::Database, setup);
        return std::nullopt;
    }
    return db;
}

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
        *failure = failed(PublishFailure::Request, sheetError);
        return std::nullopt;
    }
    if (!p.registration) {
        *failure = failed(
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
        *failure = failed(PublishFailure::Request, plan.fit.error);
        return std::nullopt;
    }
    QString crsError;
    const std::optional<int> srid = sridOf(p.registration->crs, &crsError);
    if (!srid) {
        *failure = failed(PublishFailure::Request, crsError);
        return std::nullopt;
    }
    plan.srid = *srid;
    plan.features = collectFeatures(
        p.store, Placement{plan.fit.transform, p.store.ScaleDenom, p.store.tabletUnitMm});
    plan.outline = outlineWkt(p.store, *p.registration, plan.fit.transform);
    return plan;
}

// Creates what is missing, once for all operators starting at the same moment.
QString ensureTables(Connection &db, int srid) {
    QString error;
    const QStringList present = db.firstRow(tablesPresentSql(), &error);
    if (!error.isEmpty())
        return error;
    if (present.value(0) == u"1")
        return {};
    if (db.dataset().StartTransaction(FALSE) != OGRERR_NONE)
        return gdalReason();
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
    return db.dataset().CommitTransaction() == OGRERR_NONE ? QString() : gdalReason();
}

QString writeFeatures(Connection &db, const SheetPublication &p, const Plan &plan,
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
                .arg(QLatin1String(featureTable(kind)), gdalReason());
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
                return gdalReason();
        }
    }
    return {};
}

// The publish proper, inside the open transaction; on failure the caller rolls back.
PublishResult publishInTransaction(Connection &db, const SheetPublication &p, const Plan &plan) {
    auto refused = [](const QString &reason) { return failed(PublishFailure::Database, reason); };
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
        return failed(PublishFailure::Request,
                      QCoreApplication::translate(
                          "digitrace::SheetPublisher",
                          "データベースの表は EPSG:%1 で、このシートの座標系は EPSG:%2 です。"
                          "同じ座標系で登録したシートだけを送信できます")
                          .arg(tableSrid)
                          .arg(plan.srid));
    if (revision > 0 && p.knownRevision != revision && !p.force) {
        PublishResult r =
            failed(PublishFailure::Conflict,
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

} // namespace

QString connectionWithoutPassword(const QString &connection) {
    static const QRegularExpression password(
        QStringLiteral("(password\\s*=\\s*)('(?:[^'\\\\]|\\\\.)*'|\\S*)"));
    QString shown = connection;
    return shown.replace(password, QStringLiteral("\\1***"));
}

PublishResult publishSheet(const QString &connection, const SheetPublication &publication) {
    if (!connection.startsWith(u"PG:"))
        return failed(PublishFailure::Request,
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
    // The driver's COPY mode, as bulk loaders use; set for this thread only.
    CPLSetThreadLocalConfigOption("PG_USE_COPY", "YES");
    std::optional<Connection> db = connect(connection, &out);
    if (db) {
        const QString setup = ensureTables(*db, plan->srid);
        if (!setup.isEmpty()) {
            out =
                failed(PublishFailure::Database,
                       QCoreApplication::translate("digitrace::SheetPublisher",
                                                   "データベースに digitrace の表を作れません: %1")
                           .arg(setup));
        } else if (db->dataset().StartTransaction(FALSE) != OGRERR_NONE) {
            out = failed(PublishFailure::Database, gdalReason());
        } else {
            out = publishInTransaction(*db, publication, *plan);
            CPLErrorReset();
            if (!out.ok())
                db->dataset().RollbackTransaction();
            else if (db->dataset().CommitTransaction() != OGRERR_NONE ||
                     CPLGetLastErrorType() >= CE_Failure)
                out = failed(PublishFailure::Database, gdalReason());
        }
        if (out.failure == PublishFailure::Database)
            out.error = QCoreApplication::translate(
                            "digitrace::SheetPublisher",
                            "シート %1 を送信できませんでした。データベースは送信前のままです: %2")
                            .arg(publication.sheet, out.error);
    }
    CPLSetThreadLocalConfigOption("PG_USE_COPY", nullptr);
    return out;
}

} // namespace digitrace
