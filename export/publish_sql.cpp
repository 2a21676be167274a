#include "export/publish_sql.h"

#include "export/gis_fields.h"

#include <QCoreApplication>

#include <algorithm>

namespace digitrace {

namespace {

QString literal(const QString &text) {
    QString quoted = text;
    return u'\'' + quoted.replace(u'\'', QStringLiteral("''")) + u'\'';
}

QString number(double v) {
    return QString::number(v, 'g', 17);
}

const char *sqlType(OGRFieldType type) {
    switch (type) {
    case OFTInteger:
        return "integer";
    case OFTReal:
        return "double precision";
    default:
        return "text";
    }
}

const char *geometryType(FeatureKind kind) {
    switch (kind) {
    case FeatureKind::Point:
        return "Point";
    case FeatureKind::Line:
        return "LineString";
    case FeatureKind::Polygon:
        break;
    }
    return "Polygon";
}

constexpr FeatureKind kKinds[] = {FeatureKind::Point, FeatureKind::Line, FeatureKind::Polygon};

} // namespace

QString checkSheetName(const QString &sheet) {
    if (sheet.trimmed().isEmpty())
        return QCoreApplication::translate(
            "digitrace::SheetPublisher",
            "シート名がありません。図葉の名前 (例: 図郭番号) を入れてください");
    if (sheet != sheet.trimmed() || sheet.size() > 200 ||
        std::any_of(sheet.begin(), sheet.end(),
                    [](QChar c) { return c.category() == QChar::Other_Control; }))
        return QCoreApplication::translate(
                   "digitrace::SheetPublisher",
                   "シート名 \"%1\" は使えません: 前後の空白と制御文字のない 200 文字までの名前に"
                   "してください")
            .arg(sheet);
    return {};
}

const char *featureTable(FeatureKind kind) {
    switch (kind) {
    case FeatureKind::Point:
        return "digitrace_points";
    case FeatureKind::Line:
        return "digitrace_lines";
    case FeatureKind::Polygon:
        break;
    }
    return "digitrace_polygons";
}

QString tablesPresentSql() {
    QStringList checks{QStringLiteral("to_regclass('digitrace_sheets') IS NOT NULL")};
    for (const FeatureKind kind : kKinds)
        checks << QStringLiteral("to_regclass('%1') IS NOT NULL")
                      .arg(QLatin1String(featureTable(kind)));
    return QStringLiteral("SELECT CASE WHEN %1 THEN 1 ELSE 0 END AS present")
        .arg(checks.join(QStringLiteral(" AND ")));
}

QStringList createTablesSql(int srid) {
    QStringList sql;
    sql << QStringLiteral("CREATE TABLE IF NOT EXISTS digitrace_sheets (id serial PRIMARY KEY, "
                          "sheet text NOT NULL UNIQUE, \"operator\" text, revision integer NOT "
                          "NULL DEFAULT 0, published_at timestamptz, transform text, rms_map "
                          "double precision, rms_tablet double precision, crs text, points "
                          "integer, lines integer, polygons integer, geom geometry(Polygon, %1))")
               .arg(srid)
        << QStringLiteral("CREATE INDEX IF NOT EXISTS digitrace_sheets_geom_idx ON "
                          "digitrace_sheets USING gist (geom)");
    QString attributes;
    for (const GisField &field : gisFields())
        attributes += QStringLiteral(", %1 %2").arg(QLatin1String(field.name),
                                                    QLatin1String(sqlType(field.type)));
    for (const FeatureKind kind : kKinds) {
        const QLatin1String table(featureTable(kind));
        sql << QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (id bigserial PRIMARY KEY, fid uuid "
                              "NOT NULL UNIQUE, sheet text NOT NULL, \"operator\" text, "
                              "published_at timestamptz%2, geom geometry(%3, %4))")
                   .arg(table, attributes, QLatin1String(geometryType(kind)))
                   .arg(srid)
            << QStringLiteral("CREATE INDEX IF NOT EXISTS %1_geom_idx ON %1 USING gist (geom)")
                   .arg(table)
            << QStringLiteral("CREATE INDEX IF NOT EXISTS %1_sheet_idx ON %1 (sheet)").arg(table);
    }
    return sql;
}

QString lockSheetSql(const QString &sheet) {
    return QStringLiteral("INSERT INTO digitrace_sheets (sheet) VALUES (%1) ON CONFLICT (sheet) "
                          "DO UPDATE SET sheet = EXCLUDED.sheet")
        .arg(literal(sheet));
}

QString sheetRowSql(const QString &sheet) {
    return QStringLiteral(
               "SELECT revision, coalesce(\"operator\", '') AS who, coalesce(to_char(published_at, "
               "'YYYY-MM-DD HH24:MI:SS TZH:TZM'), '') AS published, to_char(now() AT TIME ZONE "
               "'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS.MS\"Z\"') AS now, "
               "Find_SRID(current_schema()::text, 'digitrace_points', 'geom') AS srid, "
               "current_user::text AS login FROM digitrace_sheets WHERE sheet = %1")
        .arg(literal(sheet));
}

QString deleteSheetSql(const char *table, const QString &sheet) {
    return QStringLiteral("DELETE FROM %1 WHERE sheet = %2")
        .arg(QLatin1String(table), literal(sheet));
}

QString updateSheetSql(const SheetRow &row) {
    const QString outline =
        row.outlineWkt.isEmpty()
            ? QStringLiteral("NULL")
            : QStringLiteral("ST_GeomFromText(%1, %2)").arg(literal(row.outlineWkt)).arg(row.srid);
    return QStringLiteral("UPDATE digitrace_sheets SET \"operator\" = %1, revision = revision + 1, "
                          "published_at = now(), transform = %2, rms_map = %3, rms_tablet = %4, "
                          "crs = %5, points = %6, lines = %7, polygons = %8, geom = %9 WHERE "
                          "sheet = %10")
        .arg(literal(row.operatorName), literal(row.transform), number(row.rmsMap),
             number(row.rmsTablet), literal(row.crs))
        .arg(row.points)
        .arg(row.lines)
        .arg(row.polygons)
        .arg(outline, literal(row.sheet));
}

} // namespace digitrace
