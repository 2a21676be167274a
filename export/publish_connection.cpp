#include "export/publish_connection.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <ogrsf_frmts.h>

#include <mutex>

namespace digitrace {

namespace {

struct ReleaseResult {
    GDALDataset *ds;
    void operator()(OGRLayer *layer) const { ds->ReleaseResultSet(layer); }
};

// libpq's reasons, which GDAL passes on, sorted into what the operator can do about them.
PublishResult connectionFailure(const QString &shownConnection, QString reason) {
    reason = reason.remove(QStringLiteral("PQconnectdb failed.")).simplified();
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

} // namespace

QString lastGdalReason() {
    const QString message = QString::fromUtf8(CPLGetLastErrorMsg()).trimmed();
    return message.isEmpty() ? QCoreApplication::translate("digitrace::SheetPublisher",
                                                           "GDALが理由を返しませんでした")
                             : message;
}

PublishResult publishFailure(PublishFailure failure, const QString &error) {
    PublishResult r;
    r.failure = failure;
    r.error = error;
    return r;
}

std::optional<PublishConnection> PublishConnection::open(const QString &connection,
                                                         PublishResult *failure) {
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
    const char *drivers[] = {"PostgreSQL", nullptr};
    CPLErrorReset();
    std::unique_ptr<GDALDataset, Close> ds(GDALDataset::Open(connection.toUtf8().constData(),
                                                             GDAL_OF_VECTOR | GDAL_OF_UPDATE,
                                                             drivers, nullptr, nullptr));
    if (!ds) {
        *failure = connectionFailure(connectionWithoutPassword(connection), lastGdalReason());
        return std::nullopt;
    }
    PublishConnection db(std::move(ds));
    // Quotes in names are doubled, which only means a quote with standard strings.
    const QString setup = db.run(QStringLiteral("SET standard_conforming_strings = on"));
    if (!setup.isEmpty()) {
        *failure = publishFailure(PublishFailure::Database, setup);
        return std::nullopt;
    }
    return db;
}

QString PublishConnection::run(const QString &sql) {
    CPLErrorReset();
    OGRLayer *result = ds_->ExecuteSQL(sql.toUtf8().constData(), nullptr, nullptr);
    if (result)
        ds_->ReleaseResultSet(result);
    return CPLGetLastErrorType() >= CE_Failure ? lastGdalReason() : QString();
}

QStringList PublishConnection::firstRow(const QString &sql, QString *error) {
    CPLErrorReset();
    std::unique_ptr<OGRLayer, ReleaseResult> result(
        ds_->ExecuteSQL(sql.toUtf8().constData(), nullptr, nullptr), ReleaseResult{ds_.get()});
    QStringList row;
    if (result) {
        std::unique_ptr<OGRFeature> f(result->GetNextFeature());
        for (int i = 0; f && i < f->GetFieldCount(); ++i)
            row << QString::fromUtf8(f->IsFieldSetAndNotNull(i) ? f->GetFieldAsString(i) : "");
    }
    if (CPLGetLastErrorType() >= CE_Failure || !result)
        *error = lastGdalReason();
    return row;
}

} // namespace digitrace
