#pragma once

#include "export/sheet_publisher.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

struct pg_conn;
struct pg_result;

namespace digitrace {

PublishResult publishFailure(PublishFailure failure, const QString &error);
// Why a value cannot go: a statement's parameter, like COPY's text, ends at its first NUL and the
// rest would be lost without a word.
QString nulRefused();

// One value of a statement. It goes to the server apart from the statement's text, so nothing in
// it is ever read as SQL.
struct SqlValue {
    QByteArray bytes;
    bool null = false;

    static SqlValue text(const QString &text) { return {text.toUtf8()}; }
    static SqlValue number(qint64 v) { return {QByteArray::number(v)}; }
    static SqlValue number(double v) { return {QByteArray::number(v, 'g', 17)}; }
    static SqlValue none() { return {{}, true}; }
};

// What a statement gave: the reason it failed ("" when it did not) and its rows as texts ("" for
// NULL).
struct SqlResult {
    QString error;
    QString sqlState;
    std::vector<QStringList> rows;
    qint64 affected = 0; // rows a DELETE, UPDATE or COPY changed
    bool ok() const { return error.isEmpty(); }
};

// One connection to the database through libpq, its statements checked one by one. Every message
// it gives has the connection's password taken out.
class PublishConnection {
public:
    // `connection` is "PG:" with libpq's keyword/value or URI form, and optionally
    // active_schema=NAME, the schema the tables are in (else the login's search path decides).
    // None when the string is not one, no server answers, the server refuses the login, or the
    // schema is not there, with *failure telling which and why.
    static std::optional<PublishConnection> open(const QString &connection, PublishResult *failure);

    PublishConnection(PublishConnection &&) noexcept = default;
    PublishConnection &operator=(PublishConnection &&) noexcept = default;
    ~PublishConnection();

    SqlResult run(const char *sql, const std::vector<SqlValue> &values = {});
    // A COPY ... FROM STDIN statement with its rows in COPY's text form (copyRowText()).
    SqlResult copyIn(const char *sql, const QByteArray &rows);
    // A name from outside (a class, a field) as an identifier, and a text as a literal, quoted
    // by libpq for where the server takes no parameter: a view's definition. Empty when libpq
    // refuses it (no memory, or not valid in the connection's encoding).
    QByteArray identifier(const QString &name) const;
    QByteArray literal(const QString &text) const;
    // False once the server is gone: whether a commit took is then unknown.
    bool connected() const;
    QString redacted(QString text) const;

private:
    struct Finish {
        void operator()(pg_conn *c) const;
    };
    void failWith(const pg_result *result, SqlResult &out) const;
    PublishConnection(std::unique_ptr<pg_conn, Finish> conn, QString password)
        : conn_(std::move(conn)), password_(std::move(password)) {}

    std::unique_ptr<pg_conn, Finish> conn_;
    QString password_;
};

// Every spelling of `password` in `text` (as typed and percent-encoded) replaced by "***".
QString withoutPassword(QString text, const QString &password);

} // namespace digitrace
