#pragma once

#include "tests/support/postgres_server.h"

#include <QCryptographicHash>

#include <gtest/gtest.h>

#include <atomic>

namespace digitrace::test {

// A database of its own for each test, so that none sees another's sheets.
inline QString freshDatabase(PostgresServer &server = sharedPostgres()) {
    static std::atomic<int> next{0};
    QString connection;
    const QString error =
        server.createDatabase(QStringLiteral("publish_%1").arg(next++), &connection);
    EXPECT_EQ(error, QString());
    return connection;
}

inline QString databaseOf(const QString &connection) {
    return connection.section(QStringLiteral("dbname="), 1).section(u' ', 0, 0);
}

// A digest of every row of every digitrace table in the public schema but the rows of one sheet,
// which is named by the md5 of its name so that no test text has to be quoted.
inline QString digestOfOthers(const QString &connection, const QString &sheet,
                              PostgresServer &server = sharedPostgres()) {
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(sheet.toUtf8(), QCryptographicHash::Md5).toHex());
    return server.sql(
        databaseOf(connection),
        QStringLiteral("SELECT relname || ': ' || md5(query_to_xml(format('SELECT * FROM %I WHERE "
                       "md5(sheet::text) <> %L ORDER BY id', relname, '%1'), true, false, "
                       "'')::text) FROM pg_class WHERE relkind = 'r' AND relnamespace = "
                       "'public'::regnamespace AND relname LIKE 'digitrace%' ORDER BY relname")
            .arg(hash));
}

} // namespace digitrace::test
