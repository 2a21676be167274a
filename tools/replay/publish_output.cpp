#include "tools/replay/publish_output.h"

#include "export/publish_sql.h"
#include "export/sheet_publisher.h"
#include "registration/control_points_file.h"
#include "tools/replay/gis_output.h"

#include <QCryptographicHash>

namespace digitrace {

PreparedPublish preparePublish(const PublishRequest &request) {
    PreparedPublish prepared;
    if (!request.connection.startsWith(u"PG:")) {
        prepared.error = QStringLiteral("--publish は PG: で始まるGDALの接続文字列です (例: "
                                        "\"PG:host=server dbname=maps\")");
        return prepared;
    }
    // A job file may name the sheet itself.
    if (!request.sheet.isEmpty())
        prepared.error = checkSheetName(request.sheet);
    if (prepared.error.isEmpty())
        prepared.error =
            checkRegistrationOptions(request.transform, request.crs, request.pointsPath);
    if (!prepared.error.isEmpty() || request.pointsPath.isEmpty())
        return prepared;
    const std::optional<TransformKind> kind = transformForKeyword(request.transform);
    const ControlPointsRead points = loadControlPoints(request.pointsPath);
    if (!points.ok()) {
        prepared.error = points.error;
        return prepared;
    }
    prepared.registration =
        Registration{points.points, kind.value_or(TransformKind::Affine), request.crs};
    return prepared;
}

QString jobIdentity(QByteArrayView firstBytes) {
    return QString::fromLatin1(
        QCryptographicHash::hash(firstBytes.first(std::min(firstBytes.size(), kJobIdentityBytes)),
                                 QCryptographicHash::Sha256)
            .toHex());
}

QString takeJobSheet(PublishRequest &request, const QString &jobSheet,
                     std::optional<int> jobRevision) {
    if (request.sheet.isEmpty())
        request.sheet = jobSheet;
    // The job's revision is of its own sheet, not of another one --sheet names.
    if (request.sheet == jobSheet)
        request.knownRevision = jobRevision;
    return checkSheetName(request.sheet);
}

SheetPublication sheetPublication(const TraceStore &store,
                                  const std::optional<Registration> &registration,
                                  const PublishRequest &request, const QString &jobId,
                                  const TraceClasses &classes) {
    SheetPublication publication;
    publication.sheet = request.sheet;
    publication.operatorName = request.operatorName;
    publication.jobId = jobId;
    publication.registration = registration;
    publication.store = store;
    publication.force = request.force;
    publication.knownRevision = request.knownRevision;
    publication.setClasses(classes);
    publication.repair = request.repair;
    return publication;
}

QString publishTrace(const TraceStore &store, const std::optional<Registration> &registration,
                     const PublishRequest &request, const QString &jobId,
                     const TraceClasses &classes, QString *error, QStringList *notes) {
    const SheetPublication publication =
        sheetPublication(store, registration, request, jobId, classes);
    const PublishResult r = publishSheet(request.connection, publication);
    if (!r.ok()) {
        *error = r.failure == PublishFailure::Conflict ? r.error + QStringLiteral(" (--force)")
                                                       : r.error;
        return {};
    }
    *notes = r.notes;
    return publishedLine(request.sheet, r);
}

QString publishedLine(const QString &sheet, const PublishResult &result) {
    return QStringLiteral("publish\t%1 revision %2: %3 point(s), %4 line(s), %5 polygon(s)\n")
        .arg(sheet)
        .arg(result.revision)
        .arg(result.points)
        .arg(result.lines)
        .arg(result.polygons);
}

} // namespace digitrace
