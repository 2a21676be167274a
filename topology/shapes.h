#pragma once

#include "registration/transform_fit.h"

#include <ogr_geometry.h>

#include <memory>
#include <optional>
#include <vector>

namespace digitrace::topology {

using Shape = std::unique_ptr<OGRGeometry, OGRGeometryUniquePtrDeleter>;

// GEOS as GDAL carries it, for what OGR does not offer: where a ring is invalid, and a buffer with
// mitred corners.
class Geos {
public:
    Geos();
    ~Geos();
    Geos(const Geos &) = delete;
    Geos &operator=(const Geos &) = delete;

    // None when the polygon is valid, else where it is not.
    std::optional<MapPoint> invalidAt(const OGRGeometry &shape) const;
    // Grown by `by` then shrunk by it again, with mitred corners so that corners come back as
    // they were: what it adds are the parts narrower than twice `by`.
    Shape closing(const OGRGeometry &shape, double by) const;

private:
    GEOSContextHandle_t context_;
};

Shape ringShape(const std::vector<MapPoint> &ring);
// The polygon as it is when valid, else as GEOS makes it valid.
Shape validShape(const OGRGeometry &shape);

// Calls visit(const OGRPolygon &) for each polygon in a polygon, multipolygon or collection.
template <typename Visit> void forEachPolygon(const OGRGeometry *shape, Visit &&visit) {
    if (!shape)
        return;
    switch (wkbFlatten(shape->getGeometryType())) {
    case wkbPolygon:
        visit(*shape->toPolygon());
        break;
    case wkbMultiPolygon:
    case wkbGeometryCollection:
        for (const OGRGeometry *part : *shape->toGeometryCollection())
            forEachPolygon(part, visit);
        break;
    default:
        break;
    }
}

double perimeterOf(const OGRPolygon &polygon);
MapPoint pointInside(const OGRPolygon &polygon);

} // namespace digitrace::topology
