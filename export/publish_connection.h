#pragma once

#include "export/sheet_publisher.h"

#include <QString>
#include <QStringList>

#include <gdal_priv.h>

#include <memory>
#include <optional>

namespace digitrace {

// GDAL's last error message, or a note that it gave none.
QString lastGdalReason();

PublishResult publishFailure(PublishFailure failure, const QString &error);

// One connection to the database through GDAL's PostgreSQL driver, its statements checked one by
// one.
class PublishConnection {
public:
    // None when no server answers or it refuses the login, with *failure telling which and why.
    static std::optional<PublishConnection> open(const QString &connection, PublishResult *failure);

    GDALDataset &dataset() { return *ds_; }
    // Runs a statement that returns no rows; "" or the server's reason.
    QString run(const QString &sql);
    // The first row of a query as texts ("" for NULL), or the reason in *error.
    QStringList firstRow(const QString &sql, QString *error);

private:
    struct Close {
        void operator()(GDALDataset *d) const { GDALClose(d); }
    };
    explicit PublishConnection(std::unique_ptr<GDALDataset, Close> ds) : ds_(std::move(ds)) {}

    std::unique_ptr<GDALDataset, Close> ds_;
};

} // namespace digitrace
