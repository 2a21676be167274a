#pragma once

#include "model/trace_store.h"
#include "registration/transform_fit.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace digitrace {

enum class FeatureKind { Point, Line, Polygon };

// One feature as the walk over the records finds it, with its coordinates already placed.
struct Feature {
    FeatureKind kind = FeatureKind::Point;
    std::optional<std::int16_t> code; // of the record that ended it; none for a line the table
                                      // ends inside
    std::int16_t firstSlot = 0;
    std::int16_t lastSlot = 0;      // the record that ended it for points and polygons, the last
                                    // vertex for lines
    std::vector<MapPoint> vertices; // a polygon's ring without its closing repeat
    double length = 0;              // a line's length, a polygon's perimeter
    double area = 0;                // a polygon's area
};

// Where features land: map coordinates through a fitted transform, or else the sheet's
// real-world metres (a tablet unit is a millimetre on the sheet, times the scale).
struct Placement {
    std::optional<Transform> transform;
    // Unregistered: metres on the ground per tablet unit, through the scale and the unit's size.
    float scaleDenom = 1000;
    double tabletUnitMm = 1;
    MapPoint place(float x, float y) const;
};

struct FeatureSet {
    std::vector<Feature> features;
    int points = 0;
    int lines = 0;
    int polygons = 0;
    int leftOut = 0; // records that belong to no feature: stray vertices, lone start records
};

// Features in slot order, from the same walk as the screen and the DXF.
FeatureSet collectFeatures(const TraceStore &store, const Placement &placement);

} // namespace digitrace
