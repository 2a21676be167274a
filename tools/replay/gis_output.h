#pragma once

#include "export/gis_export.h"
#include "export/map_crs.h"
#include "registration/transform_fit.h"

#include <QString>

#include <optional>
#include <vector>

namespace digitrace {

// What the command line asks of the GIS export.
struct GisRequest {
    QString path;
    QString format;     // "" for the one the path's extension names
    QString pointsPath; // "" for unregistered coordinates
    QString transform = QStringLiteral("affine");
    QString crs;
    double tabletUnitMm = 1;
};

// The export made ready before the capture is read, so that a bad request costs nothing.
struct PreparedGis {
    GisExportOptions options;
    std::vector<ControlPoint> points;
    std::optional<Fit> fit;
    QString error;
    QStringList warnings; // the export goes ahead, but the operator should look
};

// Why --transform, --crs and --points do not go together; "" when they do.
QString checkRegistrationOptions(const QString &transform, const QString &crs,
                                 const QString &pointsPath);

PreparedGis prepareGis(const GisRequest &request);

// "transform", "rms_map", "rms_tablet" and "rms_sheet_mm" lines, then a "residual" line per
// control point: its name, its residual in map units and in mm on the sheet, and its leave-one-out
// residual in map units ("-" where the other points fit nothing); "" when unregistered.
QString fitReport(const PreparedGis &prepared, const QString &transform, double tabletUnitMm);

} // namespace digitrace
