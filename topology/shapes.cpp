#include "topology/shapes.h"

#include <geos_c.h>
#include <ogr_api.h>

namespace digitrace::topology {

Geos::Geos() : context_(OGRGeometry::createGEOSContext()) {}

Geos::~Geos() {
    OGRGeometry::freeGEOSContext(context_);
}

std::optional<MapPoint> Geos::invalidAt(const OGRGeometry &shape) const {
    GEOSGeom g = shape.exportToGEOS(context_);
    if (!g)
        return MapPoint{};
    char *reason = nullptr;
    GEOSGeometry *location = nullptr;
    const char valid = GEOSisValidDetail_r(context_, g, 0, &reason, &location);
    std::optional<MapPoint> at;
    if (valid != 1) {
        at = MapPoint{};
        double x = 0, y = 0;
        if (location && GEOSGeomGetX_r(context_, location, &x) == 1 &&
            GEOSGeomGetY_r(context_, location, &y) == 1)
            at = MapPoint{x, y};
    }
    if (reason)
        GEOSFree_r(context_, reason);
    if (location)
        GEOSGeom_destroy_r(context_, location);
    GEOSGeom_destroy_r(context_, g);
    return at;
}

Shape Geos::closing(const OGRGeometry &shape, double by) const {
    GEOSGeom g = shape.exportToGEOS(context_);
    if (!g)
        return nullptr;
    constexpr int kQuadrantSegments = 8;
    constexpr double kMitreLimit = 5;
    GEOSGeom grown = GEOSBufferWithStyle_r(context_, g, by, kQuadrantSegments, GEOSBUF_CAP_FLAT,
                                           GEOSBUF_JOIN_MITRE, kMitreLimit);
    GEOSGeom_destroy_r(context_, g);
    if (!grown)
        return nullptr;
    GEOSGeom shrunk = GEOSBufferWithStyle_r(context_, grown, -by, kQuadrantSegments,
                                            GEOSBUF_CAP_FLAT, GEOSBUF_JOIN_MITRE, kMitreLimit);
    GEOSGeom_destroy_r(context_, grown);
    if (!shrunk)
        return nullptr;
    Shape out(OGRGeometryFactory::createFromGEOS(context_, shrunk));
    GEOSGeom_destroy_r(context_, shrunk);
    return out;
}

Shape ringShape(const std::vector<MapPoint> &ring) {
    auto linear = std::make_unique<OGRLinearRing>();
    linear->setNumPoints(int(ring.size()) + 1, FALSE);
    for (std::size_t i = 0; i <= ring.size(); ++i) {
        const MapPoint &p = ring[i % ring.size()];
        linear->setPoint(int(i), p.x, p.y);
    }
    auto polygon = std::make_unique<OGRPolygon>();
    polygon->addRingDirectly(linear.release());
    return Shape(polygon.release());
}

Shape validShape(const OGRGeometry &shape) {
    if (shape.IsValid())
        return Shape(shape.clone());
    return Shape(shape.MakeValid());
}

double perimeterOf(const OGRPolygon &polygon) {
    double sum = 0;
    for (const OGRLinearRing *ring : polygon)
        sum += ring->get_Length();
    return sum;
}

MapPoint pointInside(const OGRPolygon &polygon) {
    OGRPoint point;
    if (polygon.PointOnSurface(&point) == OGRERR_NONE && !point.IsEmpty())
        return {point.getX(), point.getY()};
    const OGRLinearRing *ring = polygon.getExteriorRing();
    if (ring && ring->getNumPoints() > 0)
        return {ring->getX(0), ring->getY(0)};
    return {};
}

} // namespace digitrace::topology
