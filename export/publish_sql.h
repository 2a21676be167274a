#pragma once

#include "export/gis_features.h"
#include "export/publish_connection.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace digitrace {

// The statements a publish sends. Only the code's own table and column names are part of their
// text; every value goes apart from it as a parameter ($1, $2, ...).

// Why a sheet name cannot be one; "" when it can.
QString checkSheetName(const QString &sheet);

// The feature tables are named in kFeatureKinds (gis_fields.h).
inline constexpr const char *kSheetsTable = "digitrace_sheets";

// Serializes creating the tables between publishers that find them missing at the same moment.
inline constexpr qint64 kSetupLockKey = 0x6469676974726163; // "digitrac"

// The names of the digitrace tables in the current schema, one a row. $1..$4: the table names.
extern const char *const kTablesPresentSql;
// The SRID is the code's own number, not a text: a declaration takes no parameters.
QStringList createTablesSql(int srid);

// One column the publish reads or writes, with the type format_type() names for it; a geometry
// column's type is "geometry(<kind>" followed by its SRID, which is checked on its own.
struct ExpectedColumn {
    const char *table;
    const char *column;
    QString type;
};
std::vector<ExpectedColumn> expectedColumns();
// Columns of every feature table that tables made before them lack: a publish adds them. Each
// feature's class (NULL for one traced without) and its values as JSON.
struct AddedColumn {
    const char *column;
    const char *type; // as format_type() names it, and as it is declared
};
inline constexpr AddedColumn kAddedColumns[] = {{"class", "text"}, {"attributes", "jsonb"}};
// Rows of table, column, type of the digitrace tables in the current schema.
extern const char *const kColumnsSql;

// Makes the sheet's row if it has none and locks it until the transaction ends, so that
// publishes of one sheet take turns and the second sees the first's revision. $1: sheet.
extern const char *const kLockSheetSql;
// revision (0: never published), operator, published_at with its time zone, the login's name,
// published_at in UTC (ISO 8601), points, lines, polygons, and the transaction's time as the
// rows' published_at in copyFeaturesSql(). $1: sheet.
extern const char *const kSheetRowSql;
// $1: sheet.
QByteArray deleteSheetSql(FeatureKind kind);
// The sheet's features of the given fids. $1: sheet, $2: the fids as a uuid[] literal.
QByteArray deleteFeaturesSql(FeatureKind kind);
// Rows of fid, sheet, operator, the gisFields(), class, attributes, the geometry as EWKB in hex
// and published_at, in COPY's text form (one line a row, tab between columns).
QByteArray copyFeaturesSql(FeatureKind kind);
// Appends one column's value in COPY's text form and the tab that ends it (the row's last
// column is followed by a line end instead); false for a text with a NUL, which COPY cannot
// carry.
bool appendCopyValue(QByteArray &row, const SqlValue &value);
// $1 operator, $2 transform, $3 rms_map, $4 rms_tablet, $5 crs, $6 points, $7 lines,
// $8 polygons, $9 outline WKT (NULL for none), $10 SRID, $11 sheet.
extern const char *const kUpdateSheetSql;

} // namespace digitrace
