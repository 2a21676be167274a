#include "export/class_store.h"

#include "classes/class_catalogue.h"
#include "export/publish_connection.h"
#include "export/publish_sql.h"

#include <QCoreApplication>

#include <functional>
#include <optional>

namespace digitrace {

namespace {

constexpr const char *kCreateSql =
    "CREATE TABLE IF NOT EXISTS digitrace_classes (name text PRIMARY KEY, catalogue text NOT "
    "NULL, sent_by text NOT NULL, sent_at timestamptz NOT NULL DEFAULT now())";

constexpr const char *kPresentSql =
    "SELECT count(*) FROM pg_catalog.pg_class WHERE relnamespace = (SELECT oid FROM "
    "pg_catalog.pg_namespace WHERE nspname = current_schema()) AND relname = 'digitrace_classes'";

// $1 name, $2 catalogue, $3 who sent it ("" for the login).
constexpr const char *kSendSql =
    "INSERT INTO digitrace_classes (name, catalogue, sent_by, sent_at) VALUES ($1::text, "
    "$2::text, coalesce(nullif($3::text, ''), current_user::text), now()) ON CONFLICT (name) DO "
    "UPDATE SET catalogue = EXCLUDED.catalogue, sent_by = EXCLUDED.sent_by, sent_at = "
    "EXCLUDED.sent_at RETURNING name, '', sent_by, to_char(sent_at, 'YYYY-MM-DD HH24:MI:SS "
    "TZH:TZM')";

// $1 name.
constexpr const char *kLoadSql =
    "SELECT name, catalogue, sent_by, to_char(sent_at, 'YYYY-MM-DD HH24:MI:SS TZH:TZM') FROM "
    "digitrace_classes WHERE name = $1::text";

constexpr const char *kListSql =
    "SELECT name, '', sent_by, to_char(sent_at, 'YYYY-MM-DD HH24:MI:SS TZH:TZM') FROM "
    "digitrace_classes ORDER BY name";

CatalogueResult failed(PublishFailure failure, const QString &error) {
    CatalogueResult r;
    r.failure = failure;
    r.error = error;
    return r;
}

CatalogueResult rowsOf(const SqlResult &r) {
    CatalogueResult out;
    for (const QStringList &row : r.rows)
        out.catalogues.push_back({row.value(0), row.value(1), row.value(2), row.value(3)});
    return out;
}

// Opens the connection and runs `work` on it; a connection that fails is told as publishing
// tells it.
CatalogueResult withConnection(const QString &connection,
                               const std::function<CatalogueResult(PublishConnection &)> &work) {
    if (!connection.startsWith(u"PG:"))
        return failed(PublishFailure::Request,
                      QCoreApplication::translate(
                          "digitrace::ClassStore",
                          "データベースの指定 %1 は PG: で始まるGDALの接続文字列ではありません")
                          .arg(connectionWithoutPassword(connection)));
    PublishResult failure;
    std::optional<PublishConnection> db = PublishConnection::open(connection, &failure);
    if (!db)
        return failed(failure.failure, failure.error);
    return work(*db);
}

bool tablePresent(PublishConnection &db, QString *error) {
    const SqlResult r = db.run(kPresentSql);
    *error = r.error;
    return r.ok() && r.rows.at(0).value(0) == u"1";
}

} // namespace

CatalogueResult sendCatalogue(const QString &connection, const QString &name,
                              const QString &catalogueText, const QString &operatorName) {
    if (name.trimmed().isEmpty() || name != name.trimmed() || name.size() > 200 ||
        std::any_of(name.begin(), name.end(),
                    [](QChar c) { return c.category() == QChar::Other_Control; }))
        return failed(PublishFailure::Request,
                      QCoreApplication::translate(
                          "digitrace::ClassStore",
                          "クラス一覧の名前 \"%1\" は使えません: 前後の空白と制御文字のない "
                          "200 文字までの名前にしてください")
                          .arg(name));
    ClassCatalogue::Error readError;
    if (!ClassCatalogue::read(catalogueText, &readError))
        return failed(PublishFailure::Request,
                      QCoreApplication::translate("digitrace::ClassStore",
                                                  "クラス一覧 %1 は読めないので送りません: %2")
                          .arg(name, readError.text()));
    return withConnection(connection, [&](PublishConnection &db) {
        QString error;
        SqlResult r = db.run("BEGIN");
        if (r.ok() && !tablePresent(db, &error) && error.isEmpty()) {
            // Operators making it at the same moment take turns.
            r = db.run("SELECT pg_advisory_xact_lock($1::bigint)",
                       {SqlValue::number(kSetupLockKey)});
            if (r.ok())
                r = db.run(kCreateSql);
        }
        if (r.ok() && error.isEmpty())
            r = db.run(kSendSql, {SqlValue::text(name), SqlValue::text(catalogueText),
                                  SqlValue::text(operatorName)});
        CatalogueResult out = rowsOf(r);
        if (r.ok() && error.isEmpty())
            r = db.run("COMMIT");
        if (r.ok() && error.isEmpty())
            return out;
        db.run("ROLLBACK");
        return failed(PublishFailure::Database,
                      QCoreApplication::translate(
                          "digitrace::ClassStore",
                          "クラス一覧 %1 をデータベースへ送れませんでした。データベースは前のまま"
                          "です: %2")
                          .arg(name, error.isEmpty() ? r.error : error));
    });
}

CatalogueResult loadCatalogue(const QString &connection, const QString &name) {
    return withConnection(connection, [&](PublishConnection &db) {
        QString error;
        SqlResult r;
        if (tablePresent(db, &error))
            r = db.run(kLoadSql, {SqlValue::text(name)});
        if (!error.isEmpty() || !r.ok())
            return failed(
                PublishFailure::Database,
                QCoreApplication::translate("digitrace::ClassStore",
                                            "データベースからクラス一覧 %1 を読めません: %2")
                    .arg(name, error.isEmpty() ? r.error : error));
        if (r.rows.size() != 1)
            return failed(PublishFailure::Request,
                          QCoreApplication::translate("digitrace::ClassStore",
                                                      "データベースにクラス一覧 %1 がありません")
                              .arg(name));
        return rowsOf(r);
    });
}

CatalogueResult listCatalogues(const QString &connection) {
    return withConnection(connection, [&](PublishConnection &db) {
        QString error;
        if (!tablePresent(db, &error))
            return error.isEmpty() ? CatalogueResult{}
                                   : failed(PublishFailure::Database,
                                            QCoreApplication::translate(
                                                "digitrace::ClassStore",
                                                "データベースのクラス一覧を読めません: %1")
                                                .arg(error));
        const SqlResult r = db.run(kListSql);
        if (!r.ok())
            return failed(PublishFailure::Database,
                          QCoreApplication::translate("digitrace::ClassStore",
                                                      "データベースのクラス一覧を読めません: %1")
                              .arg(r.error));
        return rowsOf(r);
    });
}

} // namespace digitrace
