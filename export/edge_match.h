#pragma once

#include "export/gis_features.h"
#include "export/sheet_publisher.h"
#include "registration/registration.h"

#include <QString>

#include <utility>
#include <vector>

namespace digitrace {

// One end of a feature on a sheet's edge: a line's first or last vertex, or a vertex where a
// polygon's boundary comes to or leaves the edge. In map coordinates.
struct SheetEnd {
    QString sheet;
    QString className; // null for a feature without a class
    FeatureKind kind = FeatureKind::Line;
    int firstSlot = -1; // of the own feature; -1 for a neighbour's
    QString fid;        // a neighbour's published feature id; "" for an own end
    MapPoint at;
};

struct EdgeMatchReport {
    QString error;                                      // "" when the check ran
    std::vector<std::pair<SheetEnd, SheetEnd>> matched; // own, neighbour's
    std::vector<SheetEnd> unmatched;                    // own ends on the edge with no partner
    std::vector<SheetEnd> neighboursUnmatched;
    bool ok() const { return error.isEmpty(); }
};

// The ends of this job's lines and polygons that lie on the sheet's published outline within
// the tolerance (map units), matched one to one with the ends the neighbouring sheets published
// there: same kind, same class (no class matches no class), nearest pairs first, none farther
// apart than the tolerance. A neighbour is a sheet whose outline lies within the tolerance of
// this one's. The sheet must have been published under the registration's coordinate system.
// Reads the shared tables in one read-only transaction, every value a parameter: nobody's sheet
// changes.
EdgeMatchReport matchSheetEdges(const QString &connection, const SheetPublication &publication,
                                double toleranceMetres);

// A feature another sheet published, in map coordinates; a polygon's ring without its closing
// repeat.
struct NeighbourFeature {
    QString sheet;
    QString fid;
    QString className; // null for none
    FeatureKind kind = FeatureKind::Point;
    std::vector<MapPoint> vertices;
};

struct NeighbourFeatures {
    QString error;
    std::vector<NeighbourFeature> features; // by sheet, then in the order they were published
    bool ok() const { return error.isEmpty(); }
};

// What the neighbouring sheets published within `distanceMetres` (map units) of this sheet's
// published edge, for a guide while tracing. Read-only, as matchSheetEdges.
NeighbourFeatures neighbourFeatures(const QString &connection, const SheetPublication &publication,
                                    double distanceMetres);

// A tolerance in millimetres on the sheet as map units, through the registration's scale: at
// a sheet's true scale in a metric system the same as mm x denominator / 1000, and right in
// degrees too. 0 when the registration fits no transform.
double edgeTolerance(double sheetMm, double tabletUnitMm, const Registration &registration);

} // namespace digitrace
