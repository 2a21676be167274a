#pragma once

#include "export/gis_features.h"

#include <QString>
#include <QStringList>

namespace digitrace {

// The statements a publish sends, with every text the operator typed quoted as an SQL literal.

// Why a sheet name cannot be one; "" when it can.
QString checkSheetName(const QString &sheet);

const char *featureTable(FeatureKind kind);

// Serializes creating the tables between publishers that find them missing at the same moment.
inline constexpr qint64 kSetupLockKey = 0x6469676974726163; // "digitrac"

// One row holding 1 when every table is there.
QString tablesPresentSql();
QStringList createTablesSql(int srid);

// Makes the sheet's row if it has none and locks it until the transaction ends, so that
// publishes of one sheet take turns and the second sees the first's revision.
QString lockSheetSql(const QString &sheet);
// revision (0: never published), operator, published_at, the transaction's time (UTC, ISO 8601),
// the SRID of the feature tables, the login's name.
QString sheetRowSql(const QString &sheet);
QString deleteSheetSql(const char *table, const QString &sheet);

struct SheetRow {
    QString sheet;
    QString operatorName;
    QString transform;
    double rmsMap = 0;
    double rmsTablet = 0;
    QString crs;
    int points = 0;
    int lines = 0;
    int polygons = 0;
    QString outlineWkt; // "" for none
    int srid = 0;
};
QString updateSheetSql(const SheetRow &row);

} // namespace digitrace
