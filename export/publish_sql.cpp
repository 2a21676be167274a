#include "export/publish_sql.h"

#include "export/gis_fields.h"

#include <QCoreApplication>

#include <algorithm>

namespace digitrace {

namespace {

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

const char *const kTablesPresentSql =
    "SELECT relname FROM pg_catalog.pg_class WHERE relnamespace = (SELECT oid FROM "
    "pg_catalog.pg_namespace WHERE nspname = current_schema()) AND relname IN ($1, $2, $3, $4)";

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
    for (const FeatureKindNames &kind : kFeatureKinds) {
        const QLatin1String table(kind.table);
        sql << QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (id bigserial PRIMARY KEY, fid uuid "
                              "NOT NULL UNIQUE, sheet text NOT NULL, \"operator\" text, "
                              "published_at timestamptz%2, class text, attributes jsonb, geom "
                              "geometry(%3, %4))")
                   .arg(table, attributes, QLatin1String(kind.sqlGeometry))
                   .arg(srid)
            << QStringLiteral("CREATE INDEX IF NOT EXISTS %1_geom_idx ON %1 USING gist (geom)")
                   .arg(table)
            << QStringLiteral("CREATE INDEX IF NOT EXISTS %1_sheet_idx ON %1 (sheet)").arg(table);
    }
    return sql;
}

std::vector<ExpectedColumn> expectedColumns() {
    const QString text = QStringLiteral("text"), integer = QStringLiteral("integer"),
                  real = QStringLiteral("double precision"),
                  time = QStringLiteral("timestamp with time zone");
    std::vector<ExpectedColumn> columns{{kSheetsTable, "sheet", text},
                                        {kSheetsTable, "operator", text},
                                        {kSheetsTable, "revision", integer},
                                        {kSheetsTable, "published_at", time},
                                        {kSheetsTable, "transform", text},
                                        {kSheetsTable, "rms_map", real},
                                        {kSheetsTable, "rms_tablet", real},
                                        {kSheetsTable, "crs", text},
                                        {kSheetsTable, "points", integer},
                                        {kSheetsTable, "lines", integer},
                                        {kSheetsTable, "polygons", integer},
                                        {kSheetsTable, "geom", QStringLiteral("geometry(Polygon")}};
    for (const FeatureKindNames &kind : kFeatureKinds) {
        const char *table = kind.table;
        columns.push_back({table, "fid", QStringLiteral("uuid")});
        columns.push_back({table, "sheet", text});
        columns.push_back({table, "operator", text});
        columns.push_back({table, "published_at", time});
        for (const GisField &field : gisFields())
            columns.push_back({table, field.name, QLatin1String(sqlType(field.type))});
        columns.push_back(
            {table, "geom", QStringLiteral("geometry(%1").arg(QLatin1String(kind.sqlGeometry))});
    }
    return columns;
}

const char *const kColumnsSql =
    "SELECT c.relname, a.attname, format_type(a.atttypid, a.atttypmod) FROM "
    "pg_catalog.pg_attribute a JOIN pg_catalog.pg_class c ON c.oid = a.attrelid WHERE "
    "c.relnamespace = (SELECT oid FROM pg_catalog.pg_namespace WHERE nspname = current_schema()) "
    "AND c.relname IN ($1, $2, $3, $4) AND a.attnum > 0 AND NOT a.attisdropped";

const char *const kLockSheetSql = "INSERT INTO digitrace_sheets (sheet) VALUES ($1) ON CONFLICT "
                                  "(sheet) DO UPDATE SET sheet = EXCLUDED.sheet";

const char *const kSheetRowSql =
    "SELECT revision, coalesce(\"operator\", ''), coalesce(to_char(published_at, 'YYYY-MM-DD "
    "HH24:MI:SS TZH:TZM'), ''), current_user::text, coalesce(to_char(published_at AT TIME ZONE "
    "'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS.MS\"Z\"'), ''), coalesce(points, 0), coalesce(lines, 0), "
    "coalesce(polygons, 0), to_char(now() AT TIME ZONE 'UTC', 'YYYY-MM-DD HH24:MI:SS.US') || "
    "'+00' FROM digitrace_sheets WHERE sheet = $1";

QByteArray deleteSheetSql(FeatureKind kind) {
    return QByteArray("DELETE FROM ") + namesOf(kind).table + " WHERE sheet = $1";
}

QByteArray deleteFeaturesSql(FeatureKind kind) {
    return QByteArray("DELETE FROM ") + namesOf(kind).table +
           " WHERE sheet = $1 AND fid = ANY ($2::uuid[])";
}

QByteArray copyFeaturesSql(FeatureKind kind) {
    QByteArray sql = QByteArray("COPY ") + namesOf(kind).table + " (fid, sheet, \"operator\"";
    for (const GisField &field : gisFields())
        sql += QByteArray(", ") + field.name;
    return sql + ", class, attributes, geom, published_at) FROM STDIN";
}

bool appendCopyValue(QByteArray &row, const SqlValue &value) {
    if (value.null) {
        row += "\\N\t";
        return true;
    }
    if (value.bytes.contains('\0'))
        return false;
    for (const char c : value.bytes) {
        switch (c) {
        case '\\':
            row += "\\\\";
            break;
        case '\n':
            row += "\\n";
            break;
        case '\r':
            row += "\\r";
            break;
        case '\t':
            row += "\\t";
            break;
        default:
            row += c;
        }
    }
    row += '\t';
    return true;
}

const char *const kUpdateSheetSql =
    "UPDATE digitrace_sheets SET \"operator\" = $1::text, revision = revision + 1, published_at "
    "= now(), transform = $2::text, rms_map = $3::double precision, rms_tablet = $4::double "
    "precision, crs = $5::text, points = $6::integer, lines = $7::integer, polygons = "
    "$8::integer, geom = CASE WHEN $9::text IS NULL THEN NULL ELSE ST_GeomFromText($9::text, "
    "$10::integer) END WHERE sheet = $11::text";

} // namespace digitrace
