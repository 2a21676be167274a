#include "export/publish_connection.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QUrl>

#include <libpq-fe.h>

#include <algorithm>

namespace digitrace {

namespace {

// libpq's reasons sorted into what the operator can do about them.
PublishResult connectionFailure(const QString &shownConnection, QString reason) {
    reason = reason.simplified();
    static const QRegularExpression login(
        QStringLiteral("password authentication failed|no password supplied|authentication "
                       "failed|role \"[^\"]*\" does not exist|permission denied for database"));
    if (login.match(reason).hasMatch())
        return publishFailure(
            PublishFailure::Authentication,
            QCoreApplication::translate(
                "digitrace::SheetPublisher",
                "データベース %1 にログインできません: 利用者名かパスワード "
                "(~/.pgpass かサービスファイル) を確かめてください。サーバーの応答: %2")
                .arg(shownConnection, reason));
    return publishFailure(
        PublishFailure::Connection,
        QCoreApplication::translate("digitrace::SheetPublisher",
                                    "データベース %1 に接続できません: サーバーが応答しません "
                                    "(ホスト名、ポート、ネットワークを確かめてください)。理由: %2")
            .arg(shownConnection, reason));
}

bool isUri(const QString &conninfo) {
    return conninfo.startsWith(u"postgresql://") || conninfo.startsWith(u"postgres://");
}

// Takes active_schema, which is ours and not libpq's, out of the string; none when it is not
// there.
std::optional<QString> takeActiveSchema(QString &conninfo) {
    if (isUri(conninfo)) {
        const qsizetype q = conninfo.indexOf(u'?');
        if (q < 0)
            return std::nullopt;
        QStringList kept;
        std::optional<QString> schema;
        for (const QString &item : conninfo.mid(q + 1).split(u'&')) {
            if (item.startsWith(u"active_schema="))
                schema = QUrl::fromPercentEncoding(item.mid(14).toUtf8());
            else
                kept << item;
        }
        conninfo = conninfo.left(q) + (kept.isEmpty() ? QString() : u'?' + kept.join(u'&'));
        return schema;
    }
    static const QRegularExpression keyword(
        QStringLiteral("(?:^|\\s)active_schema\\s*=\\s*('(?:[^'\\\\]|\\\\.)*'|[^\\s']\\S*)"));
    const QRegularExpressionMatch m = keyword.match(conninfo);
    if (!m.hasMatch())
        return std::nullopt;
    QString value = m.captured(1);
    if (value.startsWith(u'\''))
        value = value.mid(1, value.size() - 2)
                    .replace(QRegularExpression(QStringLiteral("\\\\(.)")), QStringLiteral("\\1"));
    conninfo.remove(m.capturedStart(), m.capturedLength());
    return value;
}

void quietNotice(void *, const char *) {}

} // namespace

QString connectionWithoutPassword(const QString &connection) {
    static const QRegularExpression keyword(
        QStringLiteral("((?:^|[\\s:])password\\s*=\\s*)('(?:[^'\\\\]|\\\\.)*'|\\S*)"));
    static const QRegularExpression query(QStringLiteral("([?&]password=)[^&#\\s]*"));
    static const QRegularExpression userInfo(QStringLiteral("(://[^:/@\\s]*:)[^@\\s]*@"));
    QString shown = connection;
    shown.replace(userInfo, QStringLiteral("\\1***@"));
    shown.replace(query, QStringLiteral("\\1***"));
    return shown.replace(keyword, QStringLiteral("\\1***"));
}

QString nulRefused() {
    return QCoreApplication::translate(
        "digitrace::SheetPublisher", "値に NUL 文字 (U+0000) があり、データベースに保存できません");
}

PublishResult publishFailure(PublishFailure failure, const QString &error) {
    PublishResult r;
    r.failure = failure;
    r.error = error;
    return r;
}

QString withoutPassword(QString text, const QString &password) {
    if (password.isEmpty())
        return text;
    const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(password));
    text.replace(password, QStringLiteral("***"));
    return text.replace(encoded, QStringLiteral("***"));
}

void PublishConnection::Finish::operator()(pg_conn *c) const {
    PQfinish(c);
}

PublishConnection::~PublishConnection() = default;

std::optional<PublishConnection> PublishConnection::open(const QString &connection,
                                                         PublishResult *failure) {
    const QString shown = connectionWithoutPassword(connection);
    QString conninfo = connection.mid(3).trimmed();
    const std::optional<QString> schema = takeActiveSchema(conninfo);
    char *parseError = nullptr;
    std::unique_ptr<PQconninfoOption, decltype(&PQconninfoFree)> parsed(
        PQconninfoParse(conninfo.toUtf8().constData(), &parseError), &PQconninfoFree);
    if (!parsed) {
        // Where the string cannot be read, neither can be told which of its words is the
        // password: libpq's reason quotes them, and so would the string itself.
        const bool secret =
            conninfo.contains(u"password", Qt::CaseInsensitive) || conninfo.contains(u'@');
        const QString reason = parseError && !secret
                                   ? QString::fromUtf8(parseError).simplified()
                                   : QCoreApplication::translate(
                                         "digitrace::SheetPublisher",
                                         "キーワード=値 か postgresql:// の形で書いてください");
        PQfreemem(parseError);
        *failure = publishFailure(
            PublishFailure::Request,
            QCoreApplication::translate("digitrace::SheetPublisher",
                                        "データベースの指定 %1 が読めません: %2")
                .arg(secret ? QCoreApplication::translate("digitrace::SheetPublisher",
                                                          "(パスワードを含むので表示しません)")
                            : shown,
                     reason));
        return std::nullopt;
    }
    // A host that drops packets, or a cable pulled in the middle of a publish, would otherwise
    // hold the publish (and a window closing behind it) for as long as the kernel retries:
    // minutes. Over TCP, libpq then gives up after 15 s to connect and 30 s without an
    // acknowledgement; a socket on this machine ignores these. What the string sets itself stays.
    std::vector<std::pair<QByteArray, QByteArray>> options{
        {"connect_timeout", "15"},
        {"keepalives", "1"},
        {"keepalives_idle", "10"},
        {"keepalives_interval", "5"},
        {"keepalives_count", "3"},
        {"tcp_user_timeout", "30000"},
        {"fallback_application_name", "digitrace"}};
    QString password;
    for (const PQconninfoOption *o = parsed.get(); o->keyword; ++o) {
        if (!o->val)
            continue;
        const QByteArray key(o->keyword);
        if (key == "password")
            password = QString::fromUtf8(o->val);
        std::erase_if(options, [&](const auto &kv) { return kv.first == key; });
        options.emplace_back(key, QByteArray(o->val));
    }
    // Every text goes as UTF-8 whatever the login's default.
    std::erase_if(options, [](const auto &kv) { return kv.first == "client_encoding"; });
    options.emplace_back("client_encoding", "UTF8");
    std::vector<const char *> keys, values;
    for (const auto &[k, v] : options) {
        keys.push_back(k.constData());
        values.push_back(v.constData());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    std::unique_ptr<pg_conn, Finish> conn(PQconnectdbParams(keys.data(), values.data(), 0));
    if (!conn || PQstatus(conn.get()) != CONNECTION_OK) {
        const QString reason =
            conn ? QString::fromUtf8(PQerrorMessage(conn.get()))
                 : QCoreApplication::translate("digitrace::SheetPublisher", "メモリが足りません");
        *failure = connectionFailure(shown, withoutPassword(reason, password));
        return std::nullopt;
    }
    PQsetNoticeProcessor(conn.get(), quietNotice, nullptr);
    PublishConnection db(std::move(conn), password);
    if (schema) {
        // The server would quietly create the tables in the next schema of the search path.
        SqlResult r = db.run("SELECT count(*) FROM pg_catalog.pg_namespace WHERE nspname = $1",
                             {SqlValue::text(*schema)});
        if (r.ok() && r.rows.at(0).value(0) != u"1") {
            *failure =
                publishFailure(PublishFailure::Request,
                               QCoreApplication::translate(
                                   "digitrace::SheetPublisher",
                                   "データベース %1 にスキーマ %2 がありません (active_schema)。"
                                   "名前を確かめるか、管理者にスキーマを作ってもらってください")
                                   .arg(shown, *schema));
            return std::nullopt;
        }
        if (r.ok())
            r = db.run("SELECT set_config('search_path', quote_ident($1) || ', ' || "
                       "current_setting('search_path'), false)",
                       {SqlValue::text(*schema)});
        if (!r.ok()) {
            *failure = publishFailure(PublishFailure::Database, r.error);
            return std::nullopt;
        }
    }
    return db;
}

SqlResult PublishConnection::run(const char *sql, const std::vector<SqlValue> &values) {
    SqlResult out;
    std::vector<const char *> data;
    std::vector<int> lengths;
    for (const SqlValue &v : values) {
        if (v.bytes.contains('\0')) {
            out.error = nulRefused();
            return out;
        }
        data.push_back(v.null ? nullptr : v.bytes.constData());
        lengths.push_back(int(v.bytes.size()));
    }
    std::unique_ptr<PGresult, decltype(&PQclear)> result(
        PQexecParams(conn_.get(), sql, int(values.size()), nullptr, data.data(), lengths.data(),
                     nullptr, 0),
        &PQclear);
    const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) {
        out.affected = QByteArray(PQcmdTuples(result.get())).toLongLong();
        for (int row = 0; row < PQntuples(result.get()); ++row) {
            QStringList texts;
            for (int col = 0; col < PQnfields(result.get()); ++col)
                texts << QString::fromUtf8(PQgetvalue(result.get(), row, col));
            out.rows.push_back(texts);
        }
        return out;
    }
    failWith(result.get(), out);
    return out;
}

void PublishConnection::failWith(const pg_result *result, SqlResult &out) const {
    const char *primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    const char *detail = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL) : nullptr;
    const char *state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    QString reason =
        QString::fromUtf8(primary ? primary : PQerrorMessage(conn_.get())).simplified();
    // A refused row's detail lists all its values, which can be megabytes.
    if (detail)
        reason += QStringLiteral(" (%1)").arg(QString::fromUtf8(detail).simplified().left(300));
    if (reason.isEmpty())
        reason = QCoreApplication::translate("digitrace::SheetPublisher",
                                             "サーバーが理由を返しませんでした");
    out.sqlState = QString::fromLatin1(state ? state : "");
    if (out.sqlState == u"53100")
        reason = QCoreApplication::translate(
                     "digitrace::SheetPublisher",
                     "データベースサーバーのディスクがいっぱいです。管理者に空きを作って"
                     "もらってください (%1)")
                     .arg(reason);
    out.error = redacted(reason);
}

SqlResult PublishConnection::copyIn(const char *sql, const QByteArray &rows) {
    SqlResult out;
    using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;
    Result started(PQexec(conn_.get(), sql), &PQclear);
    if (!started || PQresultStatus(started.get()) != PGRES_COPY_IN) {
        failWith(started.get(), out);
        return out;
    }
    // In pieces, so that libpq never holds a second copy of a large sheet.
    constexpr qsizetype kPiece = 1 << 20;
    bool sent = true;
    for (qsizetype at = 0; sent && at < rows.size(); at += kPiece)
        sent = PQputCopyData(conn_.get(), rows.constData() + at,
                             int(std::min(kPiece, rows.size() - at))) == 1;
    sent = PQputCopyEnd(conn_.get(), sent ? nullptr : "digitrace stopped sending") == 1 && sent;
    Result ended(PQgetResult(conn_.get()), &PQclear);
    if (sent && ended && PQresultStatus(ended.get()) == PGRES_COMMAND_OK) {
        while (PGresult *more = PQgetResult(conn_.get()))
            PQclear(more);
        return out;
    }
    failWith(ended.get(), out);
    while (PGresult *more = PQgetResult(conn_.get()))
        PQclear(more);
    return out;
}

namespace {

QByteArray quoted(char *escaped) {
    const QByteArray out(escaped ? escaped : "");
    PQfreemem(escaped);
    return out;
}

} // namespace

QByteArray PublishConnection::identifier(const QString &name) const {
    const QByteArray utf8 = name.toUtf8();
    return quoted(PQescapeIdentifier(conn_.get(), utf8.constData(), std::size_t(utf8.size())));
}

QByteArray PublishConnection::literal(const QString &text) const {
    const QByteArray utf8 = text.toUtf8();
    return quoted(PQescapeLiteral(conn_.get(), utf8.constData(), std::size_t(utf8.size())));
}

bool PublishConnection::connected() const {
    return PQstatus(conn_.get()) == CONNECTION_OK;
}

QString PublishConnection::redacted(QString text) const {
    return withoutPassword(std::move(text), password_);
}

} // namespace digitrace
