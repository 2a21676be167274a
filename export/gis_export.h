#pragma once

#include "classes/classed_feature.h"
#include "export/gis_features.h"
#include "export/io_result.h"
#include "model/trace_store.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace digitrace {

// The formats offered, by their GDAL driver names; the first is the default.
const QStringList &gisFormats();
// The format a file name's extension asks for; "" when it names none.
QString gisFormatForPath(const QString &path);

struct GisExportOptions {
    QString format = QStringLiteral("GPKG");
    Placement placement;
    QString crsWkt; // "" for local map coordinates
    // What the features are; not in use: every feature goes to the designed layers.
    TraceClasses classes = {};
    // Mends the collected features before they are written, returning what it changed; empty:
    // they are written as traced.
    std::function<QStringList(FeatureSet &)> repair = {};
};

struct [[nodiscard]] GisExportResult {
    IoResult result;
    FeatureSet features; // what was written, with the counts
    QStringList files;   // what was written
    // What the operator should know of what was written: names changed to fit the format,
    // values that did not go in whole.
    QStringList notes = {};
    bool ok() const { return result.ok(); }
};

// Writes the trace's features to `path`. GeoPackage and shapefiles get one layer per geometry
// (shapefiles as <name>_points.shp, <name>_lines.shp, <name>_polygons.shp beside `path`) and, with
// classes in use, one per class and kind, its fields typed as declared (<name>_<class>_polygons
// and so on, see planGisLayers); the other formats one layer holding them all, in the file named
// whatever its extension, with the class and every class's fields as columns (a CSV's types in a
// .csvt beside it). Everything
// is made in memory first and replaces the targets as one set only when all of it is on disk, so a
// failed export leaves existing files as they were and its error says what is on disk.
GisExportResult exportGis(const TraceStore &store, const GisExportOptions &options,
                          const QString &path);

} // namespace digitrace
