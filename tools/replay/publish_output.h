#pragma once

#include "model/trace_store.h"
#include "registration/registration.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace digitrace {

// What the command line asks of a publish to the shared database.
struct PublishRequest {
    QString connection; // "PG:<conninfo>"; "" for no publish
    QString sheet;
    QString operatorName; // "" for the database login's name
    bool force = false;
    // A capture's registration; a job file brings its own.
    QString pointsPath;
    QString transform = QStringLiteral("affine");
    QString crs;
};

// The publish made ready before the capture is read, so that a bad request costs nothing.
struct PreparedPublish {
    std::optional<Registration> registration; // from --points
    QString error;
};
PreparedPublish preparePublish(const PublishRequest &request);

// The job's identity for its feature ids: a digest of the first bytes of its capture or job file.
// Those bytes stay the same while the file grows and wherever it is copied, so features keep their
// ids over republishes of the same job, from any disk.
QString jobIdentity(QByteArrayView firstBytes);
inline constexpr qint64 kJobIdentityBytes = 4096;

// Publishes the replayed trace; the "publish" line on success, else "" with the reason in *error.
QString publishTrace(const TraceStore &store, const std::optional<Registration> &registration,
                     const PublishRequest &request, const QString &jobId, QString *error);

} // namespace digitrace
