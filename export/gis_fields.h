#pragma once

#include "export/gis_features.h"

#include <ogr_feature.h>
#include <ogr_geometry.h>

#include <memory>
#include <span>

namespace digitrace {

// The attributes every GIS output of a feature carries, in their order.
struct GisField {
    const char *name;
    OGRFieldType type;
};
std::span<const GisField> gisFields();

// "point", "line" or "polygon", as the kind attribute holds it.
const char *kindName(FeatureKind kind);

// The feature's geometry in its placed coordinates; a polygon's ring closed.
std::unique_ptr<OGRGeometry> geometryOf(const Feature &f);

// Adds gisFields() to a new layer; false when the driver refuses one (CPLGetLastErrorMsg says
// why).
bool createGisFields(OGRLayer &layer);

// Fills gisFields() of `feature` from `f`; a field the kind has no value for stays unset.
void setGisFields(OGRFeature &feature, const Feature &f);

} // namespace digitrace
