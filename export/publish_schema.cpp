#include "export/publish_schema.h"

#include "export/gis_fields.h"
#include "export/publish_connection.h"
#include "export/publish_sql.h"

#include <QCoreApplication>

#include <algorithm>

namespace digitrace {

namespace {

std::vector<SqlValue> tableNames() {
    std::vector<SqlValue> names{SqlValue::text(QLatin1String(kSheetsTable))};
    for (const FeatureKindNames &kind : kFeatureKinds)
        names.push_back(SqlValue::text(QLatin1String(kind.table)));
    return names;
}

using Rows = std::vector<QStringList>;

const QStringList *columnOf(const Rows &rows, const char *table, const char *column) {
    const auto found = std::find_if(rows.begin(), rows.end(), [&](const QStringList &row) {
        return row.value(0) == QLatin1String(table) && row.value(1) == QLatin1String(column);
    });
    return found == rows.end() ? nullptr : &*found;
}

QString where(const char *table, const char *column) {
    return QStringLiteral("%1.%2").arg(QLatin1String(table), QLatin1String(column));
}

QString otherType(const QString &where, const QString &type, const QString &wanted) {
    return QCoreApplication::translate("digitrace::SheetPublisher",
                                       "%1 は %2 で、%3 ではありません")
        .arg(where, type, wanted);
}

// The class and attribute columns, for the feature tables that lack them. Every table is locked
// at once, in the order publishes write them, so that a publish already writing is waited for
// rather than deadlocked with.
QString addColumns(PublishConnection &db, const QStringList &tables) {
    SqlResult r =
        db.run("SELECT pg_advisory_xact_lock($1::bigint)", {SqlValue::number(kSetupLockKey)});
    if (r.ok())
        r = db.run(("LOCK TABLE " + tables.join(QStringLiteral(", ")) + " IN ACCESS EXCLUSIVE MODE")
                       .toUtf8()
                       .constData());
    for (const QString &table : tables) {
        QStringList adds;
        for (const AddedColumn &column : kAddedColumns)
            adds << QStringLiteral("ADD COLUMN IF NOT EXISTS %1 %2")
                        .arg(QLatin1String(column.column), QLatin1String(column.type));
        if (r.ok())
            r = db.run(QStringLiteral("ALTER TABLE %1 %2")
                           .arg(table, adds.join(QStringLiteral(", ")))
                           .toUtf8()
                           .constData());
    }
    return r.error;
}

} // namespace

QString ensureTables(PublishConnection &db, int srid) {
    SqlResult r = db.run(kTablesPresentSql, tableNames());
    if (!r.ok() || r.rows.size() == std::size(kFeatureKinds) + 1)
        return r.error;
    // Operators starting at the same moment take turns.
    r = db.run("SELECT pg_advisory_xact_lock($1::bigint)", {SqlValue::number(kSetupLockKey)});
    for (const QString &statement : createTablesSql(srid)) {
        if (!r.ok())
            break;
        r = db.run(statement.toUtf8().constData());
    }
    return r.error;
}

PublishResult checkTables(PublishConnection &db, int srid) {
    const SqlResult r = db.run(kColumnsSql, tableNames());
    if (!r.ok())
        return publishFailure(PublishFailure::Database, r.error);
    QStringList differences;
    for (const ExpectedColumn &want : expectedColumns()) {
        const QStringList *found = columnOf(r.rows, want.table, want.column);
        const QString at = where(want.table, want.column);
        if (!found) {
            differences << QCoreApplication::translate("digitrace::SheetPublisher",
                                                       "%1 がありません")
                               .arg(at);
            continue;
        }
        const QString type = found->value(2);
        if (!want.type.startsWith(u"geometry(")) {
            if (type != want.type)
                differences << otherType(at, type, want.type);
            continue;
        }
        if (!type.startsWith(want.type + u',')) {
            differences << otherType(at, type, want.type + QStringLiteral(",%1)").arg(srid));
            continue;
        }
        const int tableSrid = type.section(u',', 1).chopped(1).toInt();
        if (tableSrid != srid)
            return publishFailure(
                PublishFailure::Request,
                QCoreApplication::translate("digitrace::SheetPublisher",
                                            "データベースの表は EPSG:%1 で、このシートの座標系は "
                                            "EPSG:%2 です。同じ座標系で登録したシートだけを送信"
                                            "できます")
                    .arg(tableSrid)
                    .arg(srid));
    }
    QStringList lacking;
    for (const FeatureKindNames &kind : kFeatureKinds) {
        bool lacks = false;
        for (const AddedColumn &column : kAddedColumns) {
            const QStringList *found = columnOf(r.rows, kind.table, column.column);
            lacks = lacks || !found;
            if (found && found->value(2) != QLatin1String(column.type))
                differences << otherType(where(kind.table, column.column), found->value(2),
                                         QLatin1String(column.type));
        }
        if (lacks)
            lacking << QLatin1String(kind.table);
    }
    if (!differences.isEmpty())
        return publishFailure(PublishFailure::Request,
                              QCoreApplication::translate(
                                  "digitrace::SheetPublisher",
                                  "データベースの digitrace の表が、このプログラムの作る形と違う"
                                  "ので送信しません (データベースは何も変えていません): %1")
                                  .arg(differences.join(QStringLiteral("; "))));
    if (lacking.isEmpty())
        return {};
    if (const QString error = addColumns(db, lacking); !error.isEmpty())
        return publishFailure(
            PublishFailure::Database,
            QCoreApplication::translate("digitrace::SheetPublisher",
                                        "データベースの表にクラスの列を足せません: %1")
                .arg(error));
    return {};
}

} // namespace digitrace
