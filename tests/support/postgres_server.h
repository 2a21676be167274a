#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace digitrace::test {

// A throwaway PostgreSQL cluster with PostGIS from the system's packages, in a temporary folder
// and reachable only through a Unix socket there. The server refuses to run as root, so under
// root (as on CI) every server command runs as the `postgres` user. Stopped and removed with the
// object.
class PostgresServer {
public:
    // A login that must give its password, for tests of a refused login.
    static inline const QString kPasswordRole = QStringLiteral("digitrace_login");
    static inline const QString kPassword = QStringLiteral("right-password");

    PostgresServer();
    ~PostgresServer();
    PostgresServer(const PostgresServer &) = delete;
    PostgresServer &operator=(const PostgresServer &) = delete;

    // Makes and starts the cluster; "" or what went wrong.
    QString start();
    // Stops the server, ending its sessions; its data stay for startAgain().
    QString stop();
    QString startAgain();

    // A new database with PostGIS; its GDAL connection string in *connection.
    QString createDatabase(const QString &name, QString *connection);
    // GDAL's connection string for a database, as the superuser unless `user` is given.
    QString connection(const QString &database, const QString &user = QString()) const;
    // Runs SQL with psql; its unaligned output without the last line end, or "ERROR: ..." text.
    QString sql(const QString &database, const QString &statement) const;

private:
    QString run(const QString &program, const QStringList &arguments,
                QString *output = nullptr) const;
    QString bin(const QString &name) const;
    void watchOver() const;

    std::unique_ptr<QTemporaryDir> dir_;
    QString binDir_;
    bool running_ = false;
};

// One server for a whole test program, started on first use.
PostgresServer &sharedPostgres();

} // namespace digitrace::test
