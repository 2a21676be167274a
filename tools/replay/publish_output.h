#pragma once

#include "classes/classed_feature.h"
#include "export/sheet_publisher.h"
#include "model/trace_store.h"
#include "registration/registration.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

namespace digitrace {

// What the command line asks of a publish to the shared database.
struct PublishRequest {
    QString connection;   // "PG:<conninfo>"; "" for no publish
    QString sheet;        // "" for the one a job file names
    QString operatorName; // "" for the database login's name
    bool force = false;
    // A capture's registration; a job file brings its own.
    QString pointsPath;
    QString transform = QStringLiteral("affine");
    QString crs;
    // The revision a job file last published of the sheet; none for a capture.
    std::optional<int> knownRevision;
    std::function<QStringList(FeatureSet &)> repair = {}; // empty: the features go as traced
};

// The publish made ready before the capture is read, so that a bad request costs nothing.
struct PreparedPublish {
    std::optional<Registration> registration; // from --points
    QString error;
};
PreparedPublish preparePublish(const PublishRequest &request);

// A capture's identity for its feature ids: a digest of its first bytes. Those bytes stay the same
// wherever it is copied, so features keep their ids over republishes of the same capture, from
// any disk. A job file has its own (JobPlayer::jobId()), the one the window publishes with.
QString jobIdentity(QByteArrayView firstBytes);
inline constexpr qint64 kJobIdentityBytes = 4096;

// Takes the sheet name and the revision last published from a job file when --sheet is not
// given, and the revision when --sheet names the job's sheet; "" or why it cannot publish.
QString takeJobSheet(PublishRequest &request, const QString &jobSheet,
                     std::optional<int> jobRevision);

// The replayed trace with its classes as it goes to the database.
SheetPublication sheetPublication(const TraceStore &store,
                                  const std::optional<Registration> &registration,
                                  const PublishRequest &request, const QString &jobId,
                                  const TraceClasses &classes);

// The "publish" line of a publish that went.
QString publishedLine(const QString &sheet, const PublishResult &result);

// Publishes the replayed trace with its classes; the "publish" line on success, with what the
// operator should know of it in *notes, else "" with the reason in *error.
QString publishTrace(const TraceStore &store, const std::optional<Registration> &registration,
                     const PublishRequest &request, const QString &jobId,
                     const TraceClasses &classes, QString *error, QStringList *notes);

} // namespace digitrace
