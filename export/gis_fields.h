#pragma once

#include "export/gis_features.h"
#include "export/gis_layers.h"

#include <ogr_feature.h>
#include <ogr_geometry.h>

#include <QHash>

#include <cstddef>
#include <memory>
#include <span>

namespace digitrace {

// The attributes every GIS output of a feature carries, in their order.
struct GisField {
    const char *name;
    OGRFieldType type;
};
std::span<const GisField> gisFields();

// What each kind of feature is called wherever it goes, in the order of FeatureKind: the one
// place a kind's names are written.
struct FeatureKindNames {
    FeatureKind kind;
    const char *name;        // the kind attribute: "point", "line", "polygon"
    const char *layerSuffix; // <name>_points etc. where a file has a layer per kind
    OGRwkbGeometryType geometry;
    const char *sqlGeometry; // the geometry column's type in the shared database
    const char *table;       // the kind's table in the shared database
};
inline constexpr FeatureKindNames kFeatureKinds[] = {
    {FeatureKind::Point, "point", "points", wkbPoint, "Point", "digitrace_points"},
    {FeatureKind::Line, "line", "lines", wkbLineString, "LineString", "digitrace_lines"},
    {FeatureKind::Polygon, "polygon", "polygons", wkbPolygon, "Polygon", "digitrace_polygons"},
};
constexpr const FeatureKindNames &namesOf(FeatureKind kind) {
    return kFeatureKinds[std::size_t(kind)];
}
static_assert(namesOf(FeatureKind::Point).kind == FeatureKind::Point &&
              namesOf(FeatureKind::Line).kind == FeatureKind::Line &&
              namesOf(FeatureKind::Polygon).kind == FeatureKind::Polygon);

// The feature's geometry in its placed coordinates; a polygon's ring closed.
std::unique_ptr<OGRGeometry> geometryOf(const Feature &f);

// Adds gisFields() to a new layer; false when the driver refuses one (CPLGetLastErrorMsg says
// why).
bool createGisFields(OGRLayer &layer);

// Fills gisFields() of `feature` from `f`; a field the kind has no value for stays unset.
void setGisFields(OGRFeature &feature, const Feature &f);

// Adds `planned`'s class column and class columns after gisFields() (text up to
// kShapefileTextBytes in a shapefile); false when the driver refuses one.
bool createClassColumns(OGRLayer &layer, const GisLayer &planned, bool shapefile);

// Values that did not go in whole, by column index in the planned layer.
struct ClassValueTally {
    QHash<qsizetype, int> unreadable; // not of the column's type: left null
    QHash<qsizetype, int> cut;        // text beyond what a shapefile takes
};

// Fills the class column and class columns of `feature` with `classed`'s class and values; null
// where the feature has none (no class, another class, no value).
void setClassFields(OGRFeature &feature, const GisLayer &planned, const ClassedFeature *classed,
                    bool shapefile, ClassValueTally &tally);

} // namespace digitrace
