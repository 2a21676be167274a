#include "postgres_server.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <pwd.h>
#include <unistd.h>

namespace digitrace::test {

namespace {

bool isRoot() {
    return ::geteuid() == 0;
}

// The newest installed server version's programs.
QString findBinDir() {
    QStringList versions =
        QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCollator numeric;
    numeric.setNumericMode(true);
    std::sort(versions.begin(), versions.end(), numeric);
    for (auto v = versions.crbegin(); v != versions.crend(); ++v) {
        const QString dir = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(*v);
        if (QFile::exists(dir + QStringLiteral("/pg_ctl")))
            return dir;
    }
    return {};
}

} // namespace

PostgresServer::PostgresServer() = default;

PostgresServer::~PostgresServer() {
    if (running_)
        stop();
}

QString PostgresServer::bin(const QString &name) const {
    return binDir_ + u'/' + name;
}

QString PostgresServer::run(const QString &program, const QStringList &arguments,
                            QString *output) const {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    env.remove(QStringLiteral("PGPASSWORD"));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir_->path());
    if (isRoot())
        process.start(QStringLiteral("runuser"),
                      QStringList{QStringLiteral("-u"), QStringLiteral("postgres"),
                                  QStringLiteral("--"), program} +
                          arguments);
    else
        process.start(program, arguments);
    if (!process.waitForFinished(120000))
        return QStringLiteral("%1 did not finish: %2").arg(program, process.errorString());
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    const QString err = QString::fromUtf8(process.readAllStandardError());
    if (output)
        *output = out.endsWith(u'\n') ? out.chopped(1) : out;
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QStringLiteral("%1 %2 failed: %3%4").arg(program, arguments.join(u' '), out, err);
    return {};
}

QString PostgresServer::start() {
    binDir_ = findBinDir();
    if (binDir_.isEmpty())
        return QStringLiteral("no PostgreSQL server under /usr/lib/postgresql: install postgresql "
                              "and postgresql-15-postgis-3 (scripts/setup.sh)");
    // Not $TMPDIR: the postgres user must reach the folder, and the socket's path must stay
    // within the 107 bytes a socket address holds.
    dir_ = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/digitrace-pg-XXXXXX"));
    if (!dir_->isValid())
        return QStringLiteral("no temporary folder: ") + dir_->errorString();
    if (isRoot()) {
        const passwd *user = ::getpwnam("postgres");
        if (!user ||
            ::chown(QFile::encodeName(dir_->path()).constData(), user->pw_uid, user->pw_gid) != 0)
            return QStringLiteral("cannot hand %1 to the postgres user").arg(dir_->path());
    }
    const QString data = dir_->filePath(QStringLiteral("data"));
    QString error =
        run(bin(QStringLiteral("initdb")),
            {QStringLiteral("-D"), data, QStringLiteral("-U"), QStringLiteral("postgres"),
             QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-E"),
             QStringLiteral("UTF8"), QStringLiteral("--locale=C"), QStringLiteral("--no-sync")});
    if (!error.isEmpty())
        return error;
    // Every login through the socket is trusted but one, which must give its password.
    QString hba;
    error = run(QStringLiteral("sh"),
                {QStringLiteral("-c"),
                 QStringLiteral("printf 'local all %1 scram-sha-256\\nlocal all all trust\\n' > "
                                "%2/pg_hba.conf")
                     .arg(kPasswordRole, data)});
    if (!error.isEmpty())
        return error;
    error = startAgain();
    if (!error.isEmpty())
        return error;
    watchOver();
    return sql(QStringLiteral("postgres"),
               QStringLiteral("CREATE ROLE %1 LOGIN SUPERUSER PASSWORD '%2'")
                   .arg(kPasswordRole, kPassword))
                   .startsWith(QStringLiteral("ERROR"))
               ? QStringLiteral("cannot create the login role")
               : QString();
}

// A test program that crashes runs no destructor: a watcher stops the server and removes its
// folder once the program is gone, so that no server outlives its test.
void PostgresServer::watchOver() const {
    const QString stop = QStringLiteral("%1 %2 -D %3/data -m immediate stop; rm -rf %3")
                             .arg(isRoot() ? QStringLiteral("runuser -u postgres --") : QString(),
                                  bin(QStringLiteral("pg_ctl")), dir_->path());
    QProcess watcher;
    watcher.setProgram(QStringLiteral("sh"));
    watcher.setArguments(
        {QStringLiteral("-c"),
         QStringLiteral("while [ -d /proc/%1 ]; do sleep 1; done; %2").arg(::getpid()).arg(stop)});
    watcher.setWorkingDirectory(QStringLiteral("/"));
    watcher.setStandardInputFile(QProcess::nullDevice());
    watcher.setStandardOutputFile(QProcess::nullDevice());
    watcher.setStandardErrorFile(QProcess::nullDevice());
    watcher.startDetached();
}

QString PostgresServer::startAgain() {
    const QString options =
        QStringLiteral("-k %1 -c listen_addresses='' -p 5432 -c fsync=off -c max_connections=60")
            .arg(dir_->path());
    const QString error =
        run(bin(QStringLiteral("pg_ctl")),
            {QStringLiteral("-D"), dir_->filePath(QStringLiteral("data")), QStringLiteral("-l"),
             dir_->filePath(QStringLiteral("server.log")), QStringLiteral("-o"), options,
             QStringLiteral("-w"), QStringLiteral("start")});
    running_ = error.isEmpty();
    return error;
}

QString PostgresServer::stop() {
    const QString error =
        run(bin(QStringLiteral("pg_ctl")),
            {QStringLiteral("-D"), dir_->filePath(QStringLiteral("data")), QStringLiteral("-m"),
             QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")});
    running_ = !error.isEmpty();
    return error;
}

QString PostgresServer::createDatabase(const QString &name, QString *connection) {
    QString out = sql(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE %1").arg(name));
    if (out.startsWith(QStringLiteral("ERROR")))
        return out;
    out = sql(name, QStringLiteral("CREATE EXTENSION postgis"));
    if (out.startsWith(QStringLiteral("ERROR")))
        return out;
    *connection = this->connection(name);
    return {};
}

QString PostgresServer::connection(const QString &database, const QString &user) const {
    return QStringLiteral("PG:host=%1 port=5432 dbname=%2 user=%3")
        .arg(dir_->path(), database, user.isEmpty() ? QStringLiteral("postgres") : user);
}

QString PostgresServer::sql(const QString &database, const QString &statement) const {
    QString output;
    const QString error =
        run(bin(QStringLiteral("psql")),
            {QStringLiteral("-h"), dir_->path(), QStringLiteral("-p"), QStringLiteral("5432"),
             QStringLiteral("-U"), QStringLiteral("postgres"), QStringLiteral("-d"), database,
             QStringLiteral("-X"), QStringLiteral("-At"), QStringLiteral("-v"),
             QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-c"), statement},
            &output);
    return error.isEmpty() ? output : QStringLiteral("ERROR: ") + error;
}

PostgresServer &sharedPostgres() {
    static PostgresServer server;
    static const QString started = server.start();
    if (!started.isEmpty())
        qFatal("cannot start the test database server: %s", qPrintable(started));
    return server;
}

} // namespace digitrace::test
