#pragma once

#include "export/gis_export.h"
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
};

// The export made ready before the capture is read, so that a bad request costs nothing.
struct PreparedGis {
    GisExportOptions options;
    std::vector<ControlPoint> points;
    std::optional<Fit> fit;
    QString error;
};

PreparedGis prepareGis(const GisRequest &request);

// "transform", "rms_map" and "rms_tablet" lines, then a "residual" line per control point with
// its name, in map units; "" when unregistered.
QString fitReport(const PreparedGis &prepared, const QString &transform);

} // namespace digitrace
