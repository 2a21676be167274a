#pragma once

#include "classes/classed_feature.h"
#include "export/gis_features.h"

#include <QStringList>

namespace digitrace {

// Repairs placed features in place: vertices within the tolerance of another feature's vertex or
// edge are snapped onto it, crossings of lines get a shared vertex, polygons are made valid.
// Returns one line per change for the operator. `toleranceMapUnits` is in the features' units.
QStringList repairFeatures(FeatureSet &set, const TraceClasses &classes, double toleranceMapUnits);

} // namespace digitrace
