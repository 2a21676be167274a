#pragma once

#include "classes/classed_feature.h"
#include "export/gis_features.h"

#include <QStringList>

#include <functional>

namespace digitrace {

// Repairs placed features in place: a vertex within the tolerance of another feature's vertex, or
// else of its edge, is moved onto it; lines of one class that cross get a vertex of both where
// they cross; a polygon that crosses itself keeps its main part when what it loses is within
// the tolerance, else it is left and said so. Returns one line per change for the operator.
// `toleranceMapUnits` is in the features' units.
QStringList repairFeatures(FeatureSet &set, const TraceClasses &classes, double toleranceMapUnits);

// The repair as export and publish take it. It keeps the classes' names as they are now: a
// publication goes to another thread while the job moves on.
std::function<QStringList(FeatureSet &)> repairHook(const TraceClasses &classes,
                                                    double toleranceMapUnits);

// A distance in tablet units as the map units `placement` puts features in.
double mapDistance(const Placement &placement, double tabletUnits);

} // namespace digitrace
